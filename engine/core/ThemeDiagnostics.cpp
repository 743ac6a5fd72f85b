#include "ThemeDiagnostics.h"

#include <algorithm>
#include <utility>

namespace velum {
namespace parse {
namespace {

// A mangled or foreign file could otherwise produce one diagnostic per line: a megabyte of them
// helps nobody and costs memory.
constexpr std::size_t kMaxDiagnostics = 100;

}  // namespace

void Reporter::Reset()
{
    kept_.clear();
    dropped_ = 0;
    droppedError_ = hasError_ = false;
}

std::vector<Diagnostic> Reporter::Finish()
{
    std::stable_sort(kept_.begin(), kept_.end(), [](const Diagnostic& a, const Diagnostic& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    if (dropped_ > 0) {
        kept_.push_back({file_, 0, 0, droppedError_ ? Severity::Error : Severity::Warning,
                         std::to_string(dropped_) + " more problems not shown"});
    }
    return std::move(kept_);
}

void Reporter::Add(Severity severity, int line, int column, std::string message)
{
    if (severity == Severity::Error)
        hasError_ = true;
    if (kept_.size() < kMaxDiagnostics) {
        kept_.push_back({file_, line, column, severity, std::move(message)});
    } else {
        ++dropped_;
        droppedError_ = droppedError_ || severity == Severity::Error;
    }
}

}  // namespace parse

std::string FormatDiagnostic(const Diagnostic& d)
{
    std::string out = d.file.empty() ? std::string("<theme>") : d.file;
    if (d.line > 0) {
        out += ':' + std::to_string(d.line);
        if (d.column > 0)
            out += ':' + std::to_string(d.column);
    }
    out += d.severity == Severity::Error ? ": error: " : d.severity == Severity::Note ? ": note: " : ": warning: ";
    out += d.message;
    return out;
}

}  // namespace velum

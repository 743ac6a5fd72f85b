// Collecting a theme file's errors and warnings, and the positions they point at.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ThemeFile.h"

namespace velum::parse {

class Reporter {
public:
    explicit Reporter(std::string_view file) : file_(file) {}

    void Error(int line, int column, std::string message) { Add(Severity::Error, line, column, std::move(message)); }
    void Warning(int line, int column, std::string message)
    {
        Add(Severity::Warning, line, column, std::move(message));
    }
    bool HasError() const { return hasError_; }

    // Forgets everything reported so far.
    void Reset();

    // The diagnostics in line and column order, with a last one counting those left out.
    std::vector<Diagnostic> Finish();

private:
    void Add(Severity severity, int line, int column, std::string message);

    std::string file_;
    std::vector<Diagnostic> kept_;
    std::size_t dropped_ = 0;
    bool droppedError_ = false;
    bool hasError_ = false;
};

// One line of the file being scanned. Every position reported comes from pointer differences
// into the line, which keeps columns honest however the line was trimmed or split: `at` must
// be a part of `text`.
class SourceLine {
public:
    SourceLine(Reporter& report, int number, std::string_view text) : report_(&report), number_(number), text_(text) {}

    int Number() const { return number_; }
    int Column(std::string_view at) const { return static_cast<int>(at.data() - text_.data()) + 1; }
    int ColumnAfter(std::string_view at) const { return Column(at) + static_cast<int>(at.size()); }

    void Error(std::string_view at, std::string message) const
    {
        report_->Error(number_, Column(at), std::move(message));
    }
    void ErrorAfter(std::string_view at, std::string message) const
    {
        report_->Error(number_, ColumnAfter(at), std::move(message));
    }
    void Warning(std::string_view at, std::string message) const
    {
        report_->Warning(number_, Column(at), std::move(message));
    }

private:
    Reporter* report_;
    int number_;
    std::string_view text_;
};

}  // namespace velum::parse

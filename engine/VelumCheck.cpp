// velum-check: reads theme files the way the engine will and checks the default scheme and every
// named one, so a broken scheme can't hide behind a good default. Plain standard C++ only: the same
// source is built for Windows.
#include "ThemeFile.h"

#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "usage: velum-check [--] FILE...\n"
    "Checks Velum theme files: the default scheme and every named scheme each file defines.\n"
    "Problems go to stderr, one OK line per valid file to stdout.\n"
    "Exit status: 0 when no file has an error, 1 when any file has one, 2 on a usage error.\n";

bool CheckFile(const std::string& name) {
    std::string bytes;
    velum::Diagnostic readError;
    if (!velum::ReadThemeFile(std::filesystem::path(name), bytes, readError)) {
        readError.file = name;
        std::cerr << velum::FormatDiagnostic(readError) << '\n';
        return false;
    }

    bool ok = true;
    std::set<std::string> printed;  // every scheme repeats the file's own problems
    auto check = [&](std::string_view scheme) {
        velum::ParseResult result = velum::ParseTheme(bytes, name, scheme);
        for (const velum::Diagnostic& d : result.diagnostics) {
            if (d.severity == velum::Severity::Error) ok = false;
            std::string line = velum::FormatDiagnostic(d);
            if (printed.insert(line).second) std::cerr << line << '\n';
        }
        return result;
    };
    const velum::ParseResult base = check("");
    const std::vector<std::string> schemes = velum::ListThemeSchemes(bytes);
    for (const std::string& scheme : schemes) check(scheme);
    if (!ok || !base.theme) return false;

    std::cout << name << ": OK, \"" << base.theme->name << '"';
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        std::cout << (i == 0 ? "; schemes: " : ", ") << schemes[i];
        if (schemes[i] == base.theme->scheme) std::cout << " (default)";
    }
    std::cout << '\n';
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsDone && (arg == "-h" || arg == "--help")) {
            std::cout << kUsage;
            return 0;
        }
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "velum-check: unknown option '" << arg << "'\n" << kUsage;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    bool allOk = true;
    for (const std::string& file : files) allOk = CheckFile(file) && allOk;
    return allOk ? 0 : 1;
}

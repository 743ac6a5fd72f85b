// velum-check: reads theme files the way the engine will and checks the default scheme and every
// named one, so a broken scheme can't hide behind a good default. Standard C++ but for the edges
// of the Windows build: arguments come in as wide text, so any path the engine opens opens here,
// and lines go out as the console shows them. It also tells where a theme's colours read poorly:
// text under 4.5:1, glyphs, field borders and focus indicators under 3:1, disabled and inactive
// parts as notes only; --strict makes those warnings errors.
#include "ContrastReport.h"
#include "ThemeFile.h"
#include "ThemeLoad.h"

#ifdef _WIN32
#include <windows.h>

#include "AnsiText.h"
#endif

#include <algorithm>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "usage: velum-check [--strict] [--] FILE...\n"
    "Checks Velum theme files: the default scheme and every named scheme each file defines.\n"
    "Warns where text reads under 4.5:1 on its background, and where caption button glyphs,\n"
    "check marks, arrows, field borders and focus indicators read under 3:1; disabled and\n"
    "inactive parts get notes, never warnings.\n"
    "  --strict  treat those contrast warnings as errors (notes stay notes)\n"
    "Problems go to stderr, one OK line per valid file to stdout.\n"
    "Exit status: 0 when no file has an error, 1 when any file has one, 2 on a usage error.\n";

// A file to check: its path, and its name as the messages show it (UTF-8).
struct FileArgument {
    std::filesystem::path path;
    std::string name;
};

// Writes a UTF-8 line: to a Windows console as Unicode, elsewhere on Windows in the ANSI code
// page, as other console programs' output is read; unchanged elsewhere.
void Emit(std::ostream& out, const std::string& line)
{
#ifdef _WIN32
    HANDLE handle = GetStdHandle(&out == &std::cerr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        out.flush();
        const std::wstring wide = FromUtf8(line + "\n");
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    out << ToAnsi(FromUtf8(line)) << '\n';
#else
    out << line << '\n';
#endif
}

bool CheckFile(const FileArgument& file, bool strict)
{
    const std::string& name = file.name;
    std::string bytes;
    velum::Diagnostic readError;
    if (!velum::ReadThemeFile(file.path, bytes, readError)) {
        readError.file = name;
        Emit(std::cerr, velum::FormatDiagnostic(readError));
        return false;
    }

    bool ok = true;
    std::set<std::string> printed;  // every scheme repeats the file's own problems
    auto check = [&](std::string_view scheme) {
        velum::ParseResult result = velum::ParseTheme(bytes, name, scheme);
        for (const velum::Diagnostic& d : result.diagnostics) {
            if (d.severity == velum::Severity::Error)
                ok = false;
            std::string line = velum::FormatDiagnostic(d);
            if (printed.insert(line).second)
                Emit(std::cerr, line);
        }
        return result;
    };
    const velum::ParseResult base = check("");
    const std::vector<std::string> schemes = velum::ListThemeSchemes(bytes);
    for (const std::string& scheme : schemes)
        check(scheme);
    if (!ok || !base.theme)
        return false;
    // The images, as the engine reads them: beside the file, under the default scheme and each one.
    std::vector<std::string> every{""};
    every.insert(every.end(), schemes.begin(), schemes.end());
    for (const std::string& scheme : every) {
        const velum::ParseResult parsed = velum::ParseTheme(bytes, name, scheme);
        if (!parsed.theme)
            continue;
        const velum::ThemeImageSet images = velum::LoadThemeImages(*parsed.theme, file.path.parent_path(), name);
        if (images.error && printed.insert(velum::FormatDiagnostic(*images.error)).second) {
            Emit(std::cerr, velum::FormatDiagnostic(*images.error));
            ok = false;
        }
        // The colours as drawn, over the images' own pixels where the images load; in the
        // file's order.
        const velum::ColourPlaces places = velum::LocateColours(bytes, scheme);
        std::vector<velum::Diagnostic> contrast;
        for (const velum::ContrastPair& pair : velum::MeasureContrast(*parsed.theme, places, &images)) {
            if (std::optional<velum::Diagnostic> d = velum::ContrastDiagnostic(pair, name, parsed.theme->scheme))
                contrast.push_back(std::move(*d));
        }
        std::stable_sort(contrast.begin(), contrast.end(), [](const velum::Diagnostic& a, const velum::Diagnostic& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        for (velum::Diagnostic& d : contrast) {
            if (strict && d.severity == velum::Severity::Warning) {
                d.severity = velum::Severity::Error;
                ok = false;
            }
            const std::string line = velum::FormatDiagnostic(d);
            if (printed.insert(line).second)
                Emit(std::cerr, line);
        }
    }
    if (!ok)
        return false;

    std::string line = name + ": OK, \"" + base.theme->name + '"';
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        line += (i == 0 ? "; schemes: " : ", ") + schemes[i];
        if (schemes[i] == base.theme->scheme)
            line += " (default)";
    }
    Emit(std::cout, line);
    return true;
}

#ifdef _WIN32
FileArgument Argument(const wchar_t* arg)
{
    return {std::filesystem::path(arg), ToUtf8(arg)};
}
#else
FileArgument Argument(const char* arg)
{
    return {std::filesystem::path(arg), arg};
}
#endif

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
#else
int main(int argc, char** argv)
{
#endif
    std::vector<FileArgument> files;
    bool optionsDone = false;
    bool strict = false;
    for (int i = 1; i < argc; ++i) {
        const FileArgument file = Argument(argv[i]);
        const std::string& arg = file.name;
        if (!optionsDone && (arg == "-h" || arg == "--help")) {
            std::cout << kUsage;
            return 0;
        }
        if (!optionsDone && arg == "--strict") {
            strict = true;
        } else if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            Emit(std::cerr, "velum-check: unknown option '" + arg + "'");
            std::cerr << kUsage;
            return 2;
        } else {
            files.push_back(file);
        }
    }
    if (files.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    bool allOk = true;
    for (const FileArgument& file : files)
        allOk = CheckFile(file, strict) && allOk;
    return allOk ? 0 : 1;
}

// Checks that files carry a version resource with the given version, as Windows reads it:
// the fixed file and product version numbers and the FileVersion and ProductVersion strings.
// Usage: file_version VERSION FILE...   Prints one line per file; exits 1 if any differs.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Version {
    DWORD high = 0;
    DWORD low = 0;
};

// "1.2.3" -> 1.2.3.0; missing parts are 0, as in the resource's four numbers.
bool ParseVersion(const wchar_t* text, Version& version)
{
    unsigned parts[4] = {};
    int count = 0;
    const wchar_t* p = text;
    while (count < 4) {
        wchar_t* end = nullptr;
        const unsigned long part = std::wcstoul(p, &end, 10);
        if (end == p || part > 0xFFFF)
            return false;
        parts[count++] = static_cast<unsigned>(part);
        if (*end == L'\0')
            break;
        if (*end != L'.')
            return false;
        p = end + 1;
    }
    version.high = (parts[0] << 16) | parts[1];
    version.low = (parts[2] << 16) | parts[3];
    return true;
}

std::wstring Numbers(DWORD high, DWORD low)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
    return text;
}

// Returns the problems found, empty when the file carries the version.
std::wstring Check(const wchar_t* file, const wchar_t* expectedText, const Version& expected)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0)
        return L"no version resource (GetFileVersionInfoSizeW error " + std::to_wstring(GetLastError()) + L")";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file, 0, size, block.data()))
        return L"GetFileVersionInfoW error " + std::to_wstring(GetLastError());

    std::wstring problems;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
        problems += L" no fixed version;";
    } else {
        if (fixed->dwFileVersionMS != expected.high || fixed->dwFileVersionLS != expected.low)
            problems += L" file version " + Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L";";
        if (fixed->dwProductVersionMS != expected.high || fixed->dwProductVersionLS != expected.low)
            problems += L" product version " + Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + L";";
    }

    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation)
        return problems + L" no translation;";
    wchar_t prefix[64];
    std::swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(prefix) + name;
        if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || length == 0)
            problems += std::wstring(L" no ") + name + L" string;";
        else if (std::wcscmp(value, expectedText) != 0)
            problems += std::wstring(L" ") + name + L" \"" + value + L"\";";
    }
    return problems;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Version expected;
    if (argc < 3 || !ParseVersion(argv[1], expected)) {
        std::fwprintf(stderr, L"usage: file_version VERSION FILE...\n");
        return 2;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::wstring problems = Check(argv[i], argv[1], expected);
        if (problems.empty()) {
            std::wprintf(L"%ls: %ls\n", argv[i], argv[1]);
        } else {
            std::wprintf(L"%ls: not version %ls:%ls\n", argv[i], argv[1], problems.c_str());
            status = 1;
        }
    }
    return status;
}

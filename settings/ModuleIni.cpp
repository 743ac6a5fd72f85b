#include "ModuleIni.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "AnsiText.h"
#include "AppError.h"

namespace ModuleIni {

std::wstring IniName;

namespace {

constexpr DWORD kReadBufferSize = kMaxValueBytes + 1;  // Windows ends the text with a NUL inside it

std::wstring ModuleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            ThrowLastError(L"GetModuleFileNameW");
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768)
            ThrowLastError(L"GetModuleFileNameW");
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::wstring ProgramFolder()
{
    std::wstring path = ModuleFileName();
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return path;
    path.erase(slash);
    if (path.size() == 2 && path[1] == L':')
        path += L'\\';
    return path;
}

std::wstring IniFilePath(std::wstring_view name)
{
    std::wstring path = ProgramFolder();
    path += L'\\';
    path += name;
    path += L".ini";
    return path;
}

std::wstring ReadIni(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue)
{
    const std::string file = ToAnsi(IniFilePath(IniName));
    const std::string ansiSection = ToAnsi(section);
    const std::string ansiKey = ToAnsi(key);

    // Zero-filled: when Windows cuts a value inside a double-byte character it may leave a
    // byte of the buffer unwritten.
    std::array<char, kReadBufferSize> buffer{};
    const DWORD copied = GetPrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), "", buffer.data(),
                                                  kReadBufferSize, file.c_str());
    if (static_cast<std::int16_t>(copied) <= 0) {
        WritePrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), ToAnsi(defaultValue).c_str(), file.c_str());
        return std::wstring(defaultValue);
    }
    size_t length = 0;
    while (length < buffer.size() && buffer[length] != '\0')
        ++length;
    return FromAnsi(std::string_view(buffer.data(), length));
}

void WriteIni(std::wstring_view section, std::wstring_view key, std::wstring_view value)
{
    const std::string file = ToAnsi(IniFilePath(IniName));
    WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str(), file.c_str());
}

}  // namespace ModuleIni

#include "AnsiText.h"

#include <windows.h>

#include <climits>

#include "AppError.h"

std::string ToAnsi(std::wstring_view text)
{
    if (text.empty())
        return {};
    if (text.size() > INT_MAX / 4)
        throw AppError(kErrorOverflow, L"文本过长");
    const int wideLength = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        ThrowLastError(L"WideCharToMultiByte");
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), wideLength, result.data(), length, nullptr, nullptr);
    return result;
}

std::wstring FromAnsi(std::string_view text)
{
    if (text.empty())
        return {};
    if (text.size() > INT_MAX / 2)
        throw AppError(kErrorOverflow, L"文本过长");
    const int ansiLength = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, nullptr, 0);
    if (length <= 0)
        ThrowLastError(L"MultiByteToWideChar");
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, result.data(), length);
    return result;
}

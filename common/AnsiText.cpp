#include "AnsiText.h"

#include <windows.h>

#include <climits>

#include "AppError.h"

namespace {

std::string Narrow(UINT codePage, std::wstring_view text)
{
    if (text.empty())
        return {};
    if (text.size() > INT_MAX / 4)
        throw AppError(kErrorOverflow, L"文本过长");
    const int wideLength = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        ThrowLastError(L"WideCharToMultiByte");
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), wideLength, result.data(), length, nullptr, nullptr);
    return result;
}

std::wstring Widen(UINT codePage, std::string_view text)
{
    if (text.empty())
        return {};
    if (text.size() > INT_MAX / 2)
        throw AppError(kErrorOverflow, L"文本过长");
    const int narrowLength = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), narrowLength, nullptr, 0);
    if (length <= 0)
        ThrowLastError(L"MultiByteToWideChar");
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), narrowLength, result.data(), length);
    return result;
}

}  // namespace

std::string ToAnsi(std::wstring_view text)
{
    return Narrow(CP_ACP, text);
}

std::wstring FromAnsi(std::string_view text)
{
    return Widen(CP_ACP, text);
}

bool SurvivesAnsi(std::wstring_view text) noexcept
{
    bool survives = false;
    ContinueOnError([&] { survives = FromAnsi(ToAnsi(text)) == text; });
    return survives;
}

std::string ToUtf8(std::wstring_view text)
{
    return Narrow(CP_UTF8, text);
}

std::wstring FromUtf8(std::string_view text)
{
    return Widen(CP_UTF8, text);
}

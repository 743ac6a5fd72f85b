#include "AppError.h"

#include <utility>

AppError::AppError(long number, std::wstring description) : number_(number), description_(std::move(description)) {}

std::wstring SystemErrorText(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result;
    if (length != 0 && text != nullptr) {
        result.assign(text, length);
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    if (result.empty())
        result = L"未知错误";
    return result;
}

namespace {

std::wstring Describe(std::wstring_view call, std::wstring_view subject, unsigned long code, const std::wstring& text)
{
    std::wstring d(call);
    if (!subject.empty()) {
        d += L"(\"";
        d += subject;
        d += L"\")";
    }
    d += L" 失败，错误 ";
    d += std::to_wstring(code);
    d += L": ";
    d += text;
    return d;
}

}  // namespace

void ThrowLastError(std::wstring_view call, std::wstring_view subject)
{
    const DWORD code = GetLastError();
    throw AppError(static_cast<long>(HRESULT_FROM_WIN32(code)), Describe(call, subject, code, SystemErrorText(code)));
}

void ThrowHresult(HRESULT hr, std::wstring_view call, std::wstring_view subject)
{
    throw AppError(static_cast<long>(hr),
                   Describe(call, subject, static_cast<unsigned long>(hr), SystemErrorText(static_cast<DWORD>(hr))));
}

// Errors carried from the call that failed to whoever reports them, and the one place that
// lets a statement fail and carries on.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

// Error numbers, as the report shows them.
inline constexpr long kErrorBadDllLoad = 48;      // the library exists but cannot be loaded
inline constexpr long kErrorFileNotFound = 53;    // the library cannot be found
inline constexpr long kErrorNoEntryPoint = 453;   // the library lacks an entry point
inline constexpr long kErrorSubscript = 9;        // a menu element index out of range
inline constexpr long kErrorOverflow = 6;         // a 16-bit index cannot grow
inline constexpr long kErrorElementExists = 360;  // an element is already loaded
inline constexpr long kErrorCannotUnload = 362;   // a design-time element cannot be removed

class AppError : public std::exception {
public:
    AppError(long number, std::wstring description);

    long Number() const noexcept { return number_; }
    const std::wstring& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return "Zentora error"; }

private:
    long number_;
    std::wstring description_;
};

// The system's text for a Windows error code, without the trailing line break.
std::wstring SystemErrorText(DWORD code);

// Throws with the code GetLastError holds now: call it right after the failing call.
// The description names the call, what it worked on, and the system's text for the code.
[[noreturn]] void ThrowLastError(std::wstring_view call, std::wstring_view subject = {});

// Throws for a failed COM or automation call.
[[noreturn]] void ThrowHresult(HRESULT hr, std::wstring_view call, std::wstring_view subject = {});

// Runs one statement; if it fails, the failure is dropped and the caller goes on with its next
// statement. Used by the window's methods, which are best effort by design.
template <class Statement>
void ContinueOnError(Statement&& statement) noexcept
{
    try {
        statement();
    } catch (...) {
    }
}

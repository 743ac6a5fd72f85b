// Opens a web page with the user's default handler for its address.
#pragma once

#include <string_view>

namespace ModuleWeb {

// The page opened at every start.
inline constexpr wchar_t kHomePage[] = L"http://www.zentora.example/?AppName=Zentora";

// Returns at once: the shell is asked when the program calls LetPagesOpen, or as it ends if it
// never does. Whether a browser opened is not examined.
void OpenWebPage(std::wstring_view address);

// The pages asked for open now: the program's window is shown, or its start failed.
void LetPagesOpen();

}  // namespace ModuleWeb

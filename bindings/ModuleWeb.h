// Opens a web page with the user's default handler for its address.
#pragma once

#include <string_view>

namespace ModuleWeb {

// The page opened at every start.
inline constexpr wchar_t kHomePage[] = L"http://www.zentora.example/?AppName=Zentora";

// Returns at once; whether a browser opened is not examined.
void OpenWebPage(std::wstring_view address);

}  // namespace ModuleWeb

#include "ModuleWeb.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "AnsiText.h"

namespace ModuleWeb {

void OpenWebPage(std::wstring_view address)
{
    const std::string ansi = ToAnsi(address);
    ShellExecuteA(nullptr, nullptr, ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ModuleWeb

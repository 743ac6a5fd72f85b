#include "ModuleWeb.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "AnsiText.h"

namespace ModuleWeb {

namespace {

void Open(const std::string& address)
{
    ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The pages asked for and not yet handed to the shell. A program that ends before letting them
// open still opens them as it ends: the page is asked for at every start.
class PendingPages {
public:
    ~PendingPages() { OpenAll(); }
    void Add(std::string address) { addresses_.push_back(std::move(address)); }
    void OpenAll()
    {
        for (const std::string& address : std::exchange(addresses_, {}))
            Open(address);
    }

private:
    std::vector<std::string> addresses_;
};

PendingPages& Pending()
{
    static PendingPages pending;
    return pending;
}

}  // namespace

void OpenWebPage(std::wstring_view address)
{
    // Starting the handler's process takes the shell tens of milliseconds, which the window's
    // first paint need not wait for: the shell is asked once the window is shown. (A thread of
    // its own would cost the process a megabyte under Wine, and still take the time on one CPU.)
    Pending().Add(ToAnsi(address));
}

void LetPagesOpen()
{
    Pending().OpenAll();
}

}  // namespace ModuleWeb

#include "ModuleWeb.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "Handles.h"

namespace ModuleWeb {

namespace {

// Set once the program has shown its window (or failed to): starting the handler's process
// until then would take its time from the program's own start on a busy machine.
HANDLE GoAhead()
{
    static const UniqueKernel event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

// The shell may hand the address to its handler through COM: the thread asking has an
// apartment of its own, as Microsoft asks of ShellExecute's callers.
DWORD WINAPI OpenOnItsOwnThread(void* parameter)
{
    const std::unique_ptr<std::string> address(static_cast<std::string*>(parameter));
    WaitForSingleObject(GoAhead(), 2000);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteA(nullptr, nullptr, address->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

// The threads still asking the shell. The program waits for them as it ends, a start that
// fails included, so the page is asked for at every start; a shell that never answers holds
// the end back 10 seconds at most.
class PendingPages {
public:
    ~PendingPages()
    {
        SetEvent(GoAhead());
        for (const UniqueKernel& thread : threads_)
            WaitForSingleObject(thread.get(), 10000);
    }
    void Add(UniqueKernel thread)
    {
        const std::lock_guard hold(lock_);
        threads_.push_back(std::move(thread));
    }

private:
    std::mutex lock_;
    std::vector<UniqueKernel> threads_;
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
    // first paint need not wait for: the shell is asked on a thread of its own, once the
    // window is shown.
    auto request = std::make_unique<std::string>(ToAnsi(address));
    PendingPages& pending = Pending();
    GoAhead();
    UniqueKernel thread(CreateThread(nullptr, 0, OpenOnItsOwnThread, request.get(), 0, nullptr));
    if (!thread) {
        ShellExecuteA(nullptr, nullptr, request->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    request.release();
    pending.Add(std::move(thread));
}

void LetPagesOpen()
{
    SetEvent(GoAhead());
}

}  // namespace ModuleWeb

// Windows a program asked the engine to leave alone. The lists are changed by the exported calls
// (one at a time in the process) and read on the skinned thread by its hook and procedures.
#include "Exclusions.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <vector>

namespace velum {

namespace {

struct ExcludedWindows {
    std::shared_mutex lock;
    std::set<HWND> windows;
    std::vector<std::wstring> classes;  // lower case
    std::atomic<bool> any{false};
};

ExcludedWindows& Excluded()
{
    static ExcludedWindows excluded;
    return excluded;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[257] = L"";
    GetClassNameW(hwnd, name, 257);
    return Lower(name);
}

// The window a window is part of: its parent, or for the list a combo box drops (a pop-up),
// the combo box that owns it.
HWND ContainerOf(HWND hwnd)
{
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if ((style & WS_CHILD) != 0)
        return GetAncestor(hwnd, GA_PARENT);
    return ClassOf(hwnd) == L"comboldbox" || ClassOf(hwnd) == L"combolbox" ? GetWindow(hwnd, GW_OWNER) : nullptr;
}

bool ExcludedItself(ExcludedWindows& e, HWND hwnd)
{
    if (e.windows.count(hwnd) != 0)
        return true;
    if (e.classes.empty())
        return false;
    const std::wstring name = ClassOf(hwnd);
    return std::find(e.classes.begin(), e.classes.end(), name) != e.classes.end();
}

bool ExcludedWithin(ExcludedWindows& e, HWND hwnd)
{
    const HWND desktop = GetDesktopWindow();
    for (int depth = 0; hwnd != nullptr && hwnd != desktop && depth < 64; ++depth, hwnd = ContainerOf(hwnd))
        if (ExcludedItself(e, hwnd))
            return true;
    return false;
}

void Update(ExcludedWindows& e)
{
    e.any = !e.windows.empty() || !e.classes.empty();
}

}  // namespace

bool SetWindowExcluded(HWND hwnd, bool exclude)
{
    if (!IsWindow(hwnd))
        return false;
    ExcludedWindows& e = Excluded();
    const std::unique_lock guard(e.lock);
    // Handles of windows gone since are let go, so a new window never inherits one.
    std::erase_if(e.windows, [](HWND w) { return !IsWindow(w); });
    if (exclude)
        e.windows.insert(hwnd);
    else
        e.windows.erase(hwnd);
    Update(e);
    return true;
}

void SetClassExcluded(std::wstring className, bool exclude)
{
    ExcludedWindows& e = Excluded();
    const std::unique_lock guard(e.lock);
    className = Lower(std::move(className));
    std::erase(e.classes, className);
    if (exclude)
        e.classes.push_back(std::move(className));
    Update(e);
}

bool IsExcluded(HWND hwnd)
{
    ExcludedWindows& e = Excluded();
    if (!e.any.load(std::memory_order_relaxed) || hwnd == nullptr)
        return false;
    const std::shared_lock guard(e.lock);
    return ExcludedWithin(e, hwnd);
}

bool IsExcludedAtCreation(HWND hwnd, const CREATESTRUCTW& create)
{
    ExcludedWindows& e = Excluded();
    if (!e.any.load(std::memory_order_relaxed))
        return false;
    const std::shared_lock guard(e.lock);
    if (ExcludedItself(e, hwnd))
        return true;
    // A child, or a combo box's list, belongs to the window given as its parent.
    const bool inside = (create.style & WS_CHILD) != 0 || ClassOf(hwnd) == L"combolbox";
    return inside && ExcludedWithin(e, create.hwndParent);
}

void ForgetExcludedWindow(HWND hwnd)
{
    ExcludedWindows& e = Excluded();
    if (!e.any.load(std::memory_order_relaxed))
        return;
    const std::unique_lock guard(e.lock);
    e.windows.erase(hwnd);
    Update(e);
}

}  // namespace velum

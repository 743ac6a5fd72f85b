// Subclassing that composes with the program's own. Every window the engine draws has one
// procedure of the engine's in its chain, EngineProc, whatever part draws it; the record says
// which part that is and what the window had before. Without comctl32: under Wine, loading it
// costs more than everything else the engine does at a program's start.
#include "WindowSubclass.h"

#include "SystemColourAnswers.h"

#include <atomic>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ControlClasses.h"
#include "ImportPatches.h"
#include "ScrollBarSkin.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

struct Record {
    WNDPROC previous = nullptr;
    // The part that draws the window; null once the engine let the window go but could not
    // leave its chain, because the program subclassed it later: then it only forwards.
    WNDPROC part = nullptr;
};

// The records are read from the procedures of every thread that still has a window chained
// through the engine, not only the attached one.
class RecordTable {
public:
    bool Find(HWND hwnd, Record& record)
    {
        AcquireSRWLockShared(&lock_);
        const auto found = records_.find(hwnd);
        const bool known = found != records_.end();
        if (known)
            record = found->second;
        ReleaseSRWLockShared(&lock_);
        return known;
    }
    void Set(HWND hwnd, const Record& record)
    {
        AcquireSRWLockExclusive(&lock_);
        records_[hwnd] = record;
        ReleaseSRWLockExclusive(&lock_);
    }
    void Erase(HWND hwnd)
    {
        AcquireSRWLockExclusive(&lock_);
        records_.erase(hwnd);
        ReleaseSRWLockExclusive(&lock_);
    }
    std::vector<std::pair<HWND, Record>> Snapshot()
    {
        AcquireSRWLockShared(&lock_);
        std::vector<std::pair<HWND, Record>> all(records_.begin(), records_.end());
        ReleaseSRWLockShared(&lock_);
        return all;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::unordered_map<HWND, Record> records_;
};

RecordTable& Records()
{
    static RecordTable table;
    return table;
}

// Only the attached thread runs the parts, so only it counts: how many of the engine's
// procedures and exported calls are on its stack, and what waits for them to return.
int procedureDepth = 0;
int callDepth = 0;
std::vector<std::function<void()>>& Deferred()
{
    static std::vector<std::function<void()>> deferred;
    return deferred;
}

void RunDeferred()
{
    while (procedureDepth == 0 && callDepth == 0 && !Deferred().empty()) {
        std::vector<std::function<void()>> work = std::move(Deferred());
        Deferred().clear();
        for (auto& item : work)
            item();
    }
}

LRESULT CALLBACK EngineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool EngineOnTop(HWND hwnd)
{
    return GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(EngineProc);
}

// A window the engine let go but could not leave: it forwards, and leaves as soon as it is on
// top of the chain again (the program took its own procedure out).
LRESULT Forward(HWND hwnd, const Record& record, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        Records().Erase(hwnd);
    } else if (EngineOnTop(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previous));
        Records().Erase(hwnd);
    }
    if (record.previous == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(record.previous, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK EngineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ImportPatches::CatchUp();
    Record record;
    if (!Records().Find(hwnd, record))
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (record.part == nullptr)
        return Forward(hwnd, record, message, wParam, lParam);
    struct Depth {
        Depth() { ++procedureDepth; }
        ~Depth()
        {
            if (--procedureDepth == 0)
                RunDeferred();
        }
    } depth;
    if (message == HeldScrollBarMessage()) {
        RedrawHeldScrollBar(hwnd);
        return 0;
    }
    if (message == StyleFollowMessage()) {
        FollowStyleChange(hwnd);
        return 0;
    }
    const LRESULT result = record.part(hwnd, message, wParam, lParam);
    if (message == WM_CREATE && result != -1)
        CatchUpCommonControlColours(hwnd);
    if (message == WM_STYLECHANGED)
        NoteStyleChange(hwnd, wParam, reinterpret_cast<const STYLESTRUCT*>(lParam));
    return result;
}

}  // namespace

bool InstallSubclass(HWND hwnd, WNDPROC part)
{
    Record record;
    if (Records().Find(hwnd, record)) {
        // One part draws a window; a window the engine only forwards for is taken back.
        if (record.part != nullptr && record.part != part)
            return false;
        record.part = part;
        Records().Set(hwnd, record);
        return true;
    }
    SetLastError(0);
    const auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EngineProc)));
    if (previous == nullptr && GetLastError() != 0)
        return false;
    Records().Set(hwnd, {previous, part});
    return true;
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record record;
    if (!Records().Find(hwnd, record) || record.previous == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return CallWindowProcW(record.previous, hwnd, message, wParam, lParam);
}

bool ProgramProcedureBelow(HWND hwnd)
{
    Record record;
    return Records().Find(hwnd, record) && record.previous != nullptr &&
           IsProgramCode(reinterpret_cast<const void*>(record.previous));
}

void RemoveSubclass(HWND hwnd)
{
    Record record;
    if (!Records().Find(hwnd, record))
        return;
    if (EngineOnTop(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previous));
        Records().Erase(hwnd);
        return;
    }
    // Setting the window's procedure back would cut out the program's own, which calls the
    // engine's as the one it replaced.
    record.part = nullptr;
    Records().Set(hwnd, record);
}

LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        Records().Erase(hwnd);
    return result;
}

bool InsideEngineProcedure()
{
    return procedureDepth > 0;
}

void WhenOutsideEngineProcedures(std::function<void()> work)
{
    Deferred().push_back(std::move(work));
    RunDeferred();
}

std::atomic<DWORD> busyThread{0};

EngineCallScope::EngineCallScope()
{
    DWORD idle = 0;
    taken_ = busyThread.compare_exchange_strong(idle, GetCurrentThreadId());
    holder_ = idle;
    if (taken_)
        ++callDepth;
}

EngineCallScope::~EngineCallScope()
{
    if (!taken_)
        return;
    busyThread = 0;
    if (--callDepth == 0)
        RunDeferred();
}

bool AnyWindowStillChained()
{
    for (const auto& [hwnd, record] : Records().Snapshot())
        if (record.part == nullptr)
            return true;
    return false;
}

void AbandonSubclasses()
{
    for (const auto& [hwnd, record] : Records().Snapshot()) {
        if (!IsWindow(hwnd)) {
            Records().Erase(hwnd);
        } else {
            Record forwarding = record;
            forwarding.part = nullptr;
            Records().Set(hwnd, forwarding);
            RemoveSubclass(hwnd);
        }
    }
    // A thread may end inside a message: none of the engine's procedures is on a stack any more.
    procedureDepth = 0;
    RunDeferred();
}

}  // namespace velum

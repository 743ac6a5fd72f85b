// The engine's place in a window's procedure chain: one record per window, shared by every
// part that draws it (frame, popup menu, each control family).
#pragma once

#include <windows.h>

#include <functional>

namespace velum {

// Puts the engine in the window's procedure chain once and makes `part` the procedure that
// gets its messages. A window the engine is still chained into, because the program
// subclassed it over the engine, is taken back where it is, never subclassed a second time.
bool InstallSubclass(HWND hwnd, WNDPROC part);
// Calls the procedure the window had before the engine (DefWindowProc when there is none).
LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// True when the procedure the window had before the engine is the program's own code: the
// program subclassed a control before the engine was attached, and may draw it itself.
bool ProgramProcedureBelow(HWND hwnd);
// The engine stops drawing the window. When its procedure is still the top of the chain, the
// window gets back the procedure it had; otherwise the engine stays in the chain, below the
// program's own procedure, and only forwards.
void RemoveSubclass(HWND hwnd);
// Passes a message on once the engine no longer draws the window, and forgets the window when
// it goes.
LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// True while one of the engine's window procedures runs on this thread: the program is inside
// a message the engine handles.
bool InsideEngineProcedure();
// Runs `work` as soon as no engine procedure runs on this thread (at once when none does).
// Objects a procedure on the stack may still use are let go this way.
void WhenOutsideEngineProcedures(std::function<void()> work);

// Held while the engine changes the look of its windows: by each exported call, and by a
// detach that waited for a message to return. One at a time in the process; what waits for the
// engine's procedures waits for it too.
class EngineCallScope {
public:
    EngineCallScope();
    ~EngineCallScope();
    EngineCallScope(const EngineCallScope&) = delete;
    EngineCallScope& operator=(const EngineCallScope&) = delete;

    bool Taken() const { return taken_; }
    // Not taken because this thread already holds one: the program called the engine from a
    // message the engine sent.
    bool HeldByThisThread() const { return holder_ == GetCurrentThreadId(); }

private:
    bool taken_ = false;
    DWORD holder_ = 0;
};

// Windows the engine could not take itself out of, because a program's procedure sits above
// the engine's: they keep forwarding through the engine, whose module must stay loaded.
bool AnyWindowStillChained();

// The attached thread ended: every record is let go without a message, and procedures are
// given back where the window still exists and the engine is on top.
void AbandonSubclasses();

}  // namespace velum

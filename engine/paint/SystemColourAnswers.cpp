#include "SystemColourAnswers.h"

#include <array>
#include <map>
#include <vector>

#include "ControlClasses.h"
#include "Engine.h"
#include "Handles.h"
#include "ImportPatches.h"
#include "SystemColours.h"

namespace velum {

namespace {

using GetSysColorFn = DWORD(WINAPI*)(int);
using GetSysColorBrushFn = HBRUSH(WINAPI*)(int);
using FillRectFn = int(WINAPI*)(HDC, const RECT*, HBRUSH);

struct SystemCalls {
    GetSysColorFn colour = User32Function<GetSysColorFn>("GetSysColor");
    GetSysColorBrushFn brush = User32Function<GetSysColorBrushFn>("GetSysColorBrush");
    FillRectFn fill = User32Function<FillRectFn>("FillRect");
};

const SystemCalls& System()
{
    static const SystemCalls calls;
    return calls;
}

struct Answers {
    // One brush a colour, kept until detach: a program may hold a brush it was given.
    std::map<COLORREF, UniqueBrush> brushes;
    ImportPatches patches;
    // The last change found no common control on the skinned thread to tell.
    bool coloursStale = false;
};

Answers& State()
{
    static Answers answers;
    return answers;
}

// The theme's colour for the index, when the calling thread is the skinned one.
const std::optional<Color>* ThemeColour(int index)
{
    const ThemeResources* theme = OnSkinnedThread() ? CurrentTheme() : nullptr;
    if (theme == nullptr || index < 0 || index >= kSystemColourCount)
        return nullptr;
    const std::optional<Color>& c = theme->SystemColours()[static_cast<std::size_t>(index)];
    return c.has_value() ? &c : nullptr;
}

DWORD WINAPI GetSysColorHere(int index)
{
    if (const auto* c = ThemeColour(index))
        return ToColorRef(**c);
    return System().colour(index);
}

HBRUSH WINAPI GetSysColorBrushHere(int index)
{
    if (const auto* c = ThemeColour(index)) {
        const COLORREF colour = ToColorRef(**c);
        UniqueBrush& brush = State().brushes[colour];
        if (!brush)
            brush.reset(CreateSolidBrush(colour));
        if (brush)
            return brush.get();
    }
    return System().brush(index);
}

// FillRect also takes a system colour as its index plus one in place of a brush.
int WINAPI FillRectHere(HDC dc, const RECT* rect, HBRUSH brush)
{
    const auto value = reinterpret_cast<ULONG_PTR>(brush);
    if (value >= 1 && value <= static_cast<ULONG_PTR>(kSystemColourCount) &&
        ThemeColour(static_cast<int>(value) - 1) != nullptr)
        brush = GetSysColorBrushHere(static_cast<int>(value) - 1);
    return System().fill(dc, rect, brush);
}

struct ColourChange {
    DWORD thread;
    std::vector<HWND> controls;
};

BOOL CALLBACK CollectCommonControl(HWND hwnd, LPARAM lParam)
{
    auto& change = *reinterpret_cast<ColourChange*>(lParam);
    if (GetWindowThreadProcessId(hwnd, nullptr) == change.thread && IsCommonControlWindow(hwnd))
        change.controls.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectFromTopLevel(HWND hwnd, LPARAM lParam)
{
    CollectCommonControl(hwnd, lParam);
    EnumChildWindows(hwnd, CollectCommonControl, lParam);
    return TRUE;
}

}  // namespace

HBRUSH ThemeSystemColourBrush(int index)
{
    return ThemeColour(index) != nullptr ? GetSysColorBrushHere(index) : nullptr;
}

void CatchUpCommonControlColours(HWND made)
{
    Answers& a = State();
    if (a.coloursStale && OnSkinnedThread() && IsCommonControlWindow(made)) {
        a.coloursStale = false;
        SendMessageW(made, WM_SYSCOLORCHANGE, 0, 0);
    }
}

void TellCommonControlsColoursChanged(DWORD thread)
{
    if (thread == 0)
        return;
    ColourChange change{thread, {}};
    EnumThreadWindows(thread, CollectFromTopLevel, reinterpret_cast<LPARAM>(&change));
    // A control may destroy others as it is told.
    for (HWND hwnd : change.controls)
        if (IsWindow(hwnd))
            SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    for (HWND hwnd : change.controls)
        if (IsWindow(hwnd))
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    // With none to tell, the first common control the thread makes is told once it is made.
    if (GetCurrentThreadId() == thread)
        State().coloursStale = change.controls.empty();
}

void AnswerSystemColours(HMODULE engine)
{
    Answers& a = State();
    if (a.patches.Applied())
        return;
    const std::array replacements{
        ImportReplacement::Of(System().colour, &GetSysColorHere),
        ImportReplacement::Of(System().brush, &GetSysColorBrushHere),
        ImportReplacement::Of(System().fill, &FillRectHere),
    };
    const std::array except{engine};
    a.patches.Apply(replacements, PatchedModules::AllButCore, except);
}

bool StopAnsweringSystemColours()
{
    Answers& a = State();
    const bool clean = a.patches.Restore();
    a.brushes.clear();
    return clean;
}

}  // namespace velum

#include "SystemColourAnswers.h"

#include <array>
#include <atomic>
#include <map>

#include "Engine.h"
#include "Handles.h"
#include "ImportPatches.h"
#include "SystemColours.h"

namespace velum {

namespace {

using GetSysColorFn = DWORD(WINAPI*)(int);
using GetSysColorBrushFn = HBRUSH(WINAPI*)(int);

struct SystemCalls {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    GetSysColorFn colour =
        reinterpret_cast<GetSysColorFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColor")));
    GetSysColorBrushFn brush =
        reinterpret_cast<GetSysColorBrushFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColorBrush")));
};

const SystemCalls& System()
{
    static const SystemCalls calls;
    return calls;
}

struct Answers {
    std::atomic<DWORD> thread{0};
    // Written on the skinned thread at a switch, read on it.
    SystemColourTable colours{};
    // One brush a colour, kept until detach: a program may hold a brush it was given.
    std::map<COLORREF, UniqueBrush> brushes;
    ImportPatches patches;
};

Answers& State()
{
    static Answers answers;
    return answers;
}

// The theme's colour for the index, when the calling thread is the skinned one.
const std::optional<Color>* ThemeColour(int index)
{
    Answers& a = State();
    if (index < 0 || index >= kSystemColourCount || a.thread.load(std::memory_order_relaxed) != GetCurrentThreadId() ||
        CurrentTheme() == nullptr)
        return nullptr;
    const std::optional<Color>& c = a.colours[static_cast<std::size_t>(index)];
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

}  // namespace

void AnswerSystemColours(DWORD thread, HMODULE engine)
{
    Answers& a = State();
    UseThemeSystemColours();
    a.thread.store(thread);
    if (a.patches.Applied())
        return;
    const std::array replacements{
        ImportReplacement{reinterpret_cast<const void*>(System().colour),
                          reinterpret_cast<const void*>(&GetSysColorHere)},
        ImportReplacement{reinterpret_cast<const void*>(System().brush),
                          reinterpret_cast<const void*>(&GetSysColorBrushHere)},
    };
    const std::array except{engine};
    a.patches.Apply(replacements, PatchedModules::AllButCore, except);
}

void UseThemeSystemColours()
{
    if (const ThemeResources* theme = CurrentTheme())
        State().colours = ThemeSystemColours(theme->Get(), theme->Controls());
}

bool StopAnsweringSystemColours()
{
    Answers& a = State();
    a.thread.store(0);
    const bool clean = a.patches.Restore();
    a.brushes.clear();
    return clean;
}

}  // namespace velum

#include "SystemColourAnswers.h"

#include <array>
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
    GetSysColorFn colour = User32Function<GetSysColorFn>("GetSysColor");
    GetSysColorBrushFn brush = User32Function<GetSysColorBrushFn>("GetSysColorBrush");
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

}  // namespace

void AnswerSystemColours(HMODULE engine)
{
    Answers& a = State();
    if (a.patches.Applied())
        return;
    const std::array replacements{
        ImportReplacement::Of(System().colour, &GetSysColorHere),
        ImportReplacement::Of(System().brush, &GetSysColorBrushHere),
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

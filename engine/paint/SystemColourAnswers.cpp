#include "SystemColourAnswers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "Contrast.h"
#include "ControlClasses.h"
#include "Engine.h"
#include "Handles.h"
#include "ImportPatches.h"
#include "Painter.h"
#include "SystemColours.h"

namespace velum {

namespace {

using GetSysColorFn = DWORD(WINAPI*)(int);
using GetSysColorBrushFn = HBRUSH(WINAPI*)(int);
using FillRectFn = int(WINAPI*)(HDC, const RECT*, HBRUSH);
using DrawEdgeFn = BOOL(WINAPI*)(HDC, LPRECT, UINT, UINT);
using SetTextColorFn = COLORREF(WINAPI*)(HDC, COLORREF);

struct SystemCalls {
    GetSysColorFn colour = User32Function<GetSysColorFn>("GetSysColor");
    GetSysColorBrushFn brush = User32Function<GetSysColorBrushFn>("GetSysColorBrush");
    FillRectFn fill = User32Function<FillRectFn>("FillRect");
    DrawEdgeFn edge = User32Function<DrawEdgeFn>("DrawEdge");
    SetTextColorFn textColour = reinterpret_cast<SetTextColorFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), "SetTextColor")));
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
    // The skinned thread's common controls: found by walking its windows at attach, then kept
    // up as it makes and destroys them, so a switch tells them without walking every window.
    // None while no walk has found them.
    std::optional<std::set<HWND>> commonControls;
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

// The lending under way on the skinned thread, if any.
LentBrushes* lending = nullptr;

HBRUSH WINAPI GetSysColorBrushHere(int index)
{
    if (const auto* c = ThemeColour(index)) {
        const COLORREF colour = ToColorRef(**c);
        if (HBRUSH lent = LentBrushes::Lend(colour))
            return lent;
        UniqueBrush& brush = State().brushes[colour];
        if (!brush)
            brush.reset(CreateSolidBrush(colour));
        if (brush)
            return brush.get();
    }
    return System().brush(index);
}

// The last fill the program made on the skinned thread in a colour of its own (a document view
// that paints its white page itself), and a point of it to see that it is still there.
struct OwnFill {
    HDC dc = nullptr;
    POINT probe{};
    COLORREF colour = 0;
};
OwnFill ownFill;

// A brush the engine handed out for a system colour.
bool IsThemeBrush(HBRUSH brush)
{
    return std::any_of(State().brushes.begin(), State().brushes.end(),
                       [brush](const auto& kept) { return kept.second.get() == brush; });
}

void NoteFill(HDC dc, const RECT* rect, HBRUSH brush, bool themed)
{
    ownFill = {};
    LOGBRUSH look{};
    if (themed || rect == nullptr || IsRectEmpty(rect) || IsThemeBrush(brush) ||
        GetObjectW(brush, sizeof look, &look) != sizeof look || look.lbStyle != BS_SOLID)
        return;
    ownFill = {dc, {(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2}, look.lbColor};
}

// FillRect also takes a system colour as its index plus one in place of a brush.
int WINAPI FillRectHere(HDC dc, const RECT* rect, HBRUSH brush)
{
    const auto value = reinterpret_cast<ULONG_PTR>(brush);
    bool themed = false;
    if (value >= 1 && value <= static_cast<ULONG_PTR>(kSystemColourCount) &&
        ThemeColour(static_cast<int>(value) - 1) != nullptr) {
        brush = GetSysColorBrushHere(static_cast<int>(value) - 1);
        themed = true;
    }
    if (OnSkinnedThread())
        NoteFill(dc, rect, brush, themed);
    return System().fill(dc, rect, brush);
}

// The swap of the paint under way on the skinned thread, if any.
const TextColourSwap* activeSwap = nullptr;

// A text colour the theme answered, set on the program's own background where the two do not
// read together: the system's colour for the same text, which the program chose its background
// for.
COLORREF ReadableOnOwnFill(HDC dc, COLORREF colour)
{
    if (dc == nullptr || ownFill.dc != dc)
        return colour;
    for (const int index : {COLOR_WINDOWTEXT, COLOR_BTNTEXT, COLOR_MENUTEXT, COLOR_INFOTEXT, COLOR_CAPTIONTEXT,
                            COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT}) {
        const auto* themed = ThemeColour(index);
        if (themed == nullptr || ToColorRef(**themed) != colour)
            continue;
        if (ContrastRatio(**themed, ColorOfRef(ownFill.colour)) < kReadableText &&
            GetPixel(dc, ownFill.probe.x, ownFill.probe.y) == ownFill.colour)
            return System().colour(index);
        break;
    }
    return colour;
}

COLORREF WINAPI SetTextColorHere(HDC dc, COLORREF colour)
{
    if (OnSkinnedThread()) {
        if (activeSwap != nullptr)
            colour = activeSwap->Swapped(colour);
        colour = ReadableOnOwnFill(dc, colour);
    }
    return System().textColour(dc, colour);
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

// A 32-bit top-down DIB section of the given size, selected into its own memory DC.
struct Canvas {
    UniqueDc dc;
    void* bits = nullptr;
    UniqueBitmap bitmap;
    ScopedSelect selected;

    Canvas(HDC like, int width, int height)
        : dc(CreateCompatibleDC(like)), bitmap(TopDownBitmap(like, width, height, bits)),
          selected(dc.get(), bitmap.get())
    {
    }
    bool Ok() const { return dc && bitmap && bits != nullptr; }
    std::uint32_t* Pixels() const { return static_cast<std::uint32_t*>(bits); }
};

std::uint32_t DibPixel(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}

// DrawEdge draws in user32 from the system's 3-D colours, which no import asks. On the skinned
// thread the system draws the edge twice, on two canvases of different colours: the pixels that
// come out the same on both are the edge's, and only they go to the DC, each in the theme's
// colour for the system colour it has. Nothing under the edge is read or written again. A DC
// the canvases cannot stand for (a printer, a metafile, a scaled or rotated one) gets the
// system's edge.
BOOL WINAPI DrawEdgeHere(HDC dc, LPRECT rect, UINT edge, UINT flags)
{
    const ThemeResources* theme = OnSkinnedThread() ? CurrentTheme() : nullptr;
    if (theme == nullptr || rect == nullptr || GetDeviceCaps(dc, TECHNOLOGY) != DT_RASDISPLAY ||
        GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) == GM_ADVANCED || (flags & BF_DIAGONAL) != 0)
        return System().edge(dc, rect, edge, flags);
    const RECT area = *rect;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return System().edge(dc, rect, edge, flags);
    constexpr COLORREF kUntouched = RGB(255, 0, 255), kOther = RGB(0, 255, 0);
    Canvas first(dc, width, height), second(dc, width, height);
    if (!first.Ok() || !second.Ok())
        return System().edge(dc, rect, edge, flags);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::fill(first.Pixels(), first.Pixels() + count, DibPixel(kUntouched));
    std::fill(second.Pixels(), second.Pixels() + count, DibPixel(kOther));
    RECT local{0, 0, width, height}, again = local;
    const BOOL drawn = System().edge(first.dc.get(), &local, edge, flags);
    System().edge(second.dc.get(), &again, edge, flags);
    GdiFlush();
    // The colours DrawEdge uses, each to the theme's.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> map;
    for (const int index : {COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_BTNFACE,
                            COLOR_WINDOW, COLOR_WINDOWFRAME}) {
        if (const auto* colour = ThemeColour(index))
            map.emplace_back(DibPixel(System().colour(index)), DibPixel(ToColorRef(**colour)));
    }
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = first.Pixels()[i] & 0xFFFFFFu;
        if (pixel != (second.Pixels()[i] & 0xFFFFFFu)) {
            first.Pixels()[i] = DibPixel(kUntouched);
            continue;
        }
        any = true;
        for (const auto& [system, themed] : map) {
            if (pixel == system) {
                first.Pixels()[i] = themed;
                break;
            }
        }
        if ((first.Pixels()[i] & 0xFFFFFFu) == DibPixel(kUntouched))
            first.Pixels()[i] ^= 1;  // an edge pixel of the key's own colour, one step off
    }
    if (any)
        GdiTransparentBlt(dc, area.left, area.top, width, height, first.dc.get(), 0, 0, width, height, kUntouched);
    if ((flags & BF_ADJUST) != 0)
        *rect = {area.left + local.left, area.top + local.top, area.left + local.right, area.top + local.bottom};
    return drawn;
}

}  // namespace

std::optional<int> ThemeBackgroundIndex(COLORREF colour)
{
    for (const int index : {COLOR_BTNFACE, COLOR_WINDOW, COLOR_MENU, COLOR_MENUBAR, COLOR_INFOBK, COLOR_APPWORKSPACE,
                            COLOR_HIGHLIGHT, COLOR_MENUHILIGHT, COLOR_SCROLLBAR, COLOR_BACKGROUND})
        if (ThemeSystemColour(index) == colour)
            return index;
    return std::nullopt;
}

std::optional<COLORREF> ThemeSystemColour(int index)
{
    if (const auto* c = ThemeColour(index))
        return ToColorRef(**c);
    return std::nullopt;
}

HBRUSH ThemeSystemColourBrush(int index)
{
    return ThemeColour(index) != nullptr ? GetSysColorBrushHere(index) : nullptr;
}

TextColourSwap::TextColourSwap(std::vector<std::pair<COLORREF, COLORREF>> pairs)
    : pairs_(std::move(pairs)), outer_(activeSwap)
{
    activeSwap = this;
}

TextColourSwap::~TextColourSwap()
{
    activeSwap = outer_;
}

COLORREF TextColourSwap::Swapped(COLORREF colour) const
{
    for (const auto& [from, to] : pairs_)
        if (colour == from)
            return to;
    return outer_ != nullptr ? outer_->Swapped(colour) : colour;
}

LentBrushes::LentBrushes() : outer_(std::exchange(lending, this)) {}

LentBrushes::~LentBrushes()
{
    lending = outer_;
    for (HBRUSH brush : lent_)
        if (GetObjectType(brush) == OBJ_BRUSH)
            DeleteObject(brush);
    // A kept brush deleted by someone it was handed to earlier: its handle is no longer the
    // brush's, so it is let go of without deleting, and made again.
    for (auto& [colour, brush] : State().brushes) {
        if (brush && GetObjectType(brush.get()) != OBJ_BRUSH) {
            brush.release();
            brush.reset(CreateSolidBrush(colour));
        }
    }
}

HBRUSH LentBrushes::Lend(COLORREF colour)
{
    if (!OnSkinnedThread() || lending == nullptr)
        return nullptr;
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush != nullptr)
        lending->lent_.push_back(brush);
    return brush;
}

void CatchUpCommonControlColours(HWND made)
{
    Answers& a = State();
    if (a.coloursStale && OnSkinnedThread() && IsCommonControlWindow(made)) {
        a.coloursStale = false;
        SendMessageW(made, WM_SYSCOLORCHANGE, 0, 0);
    }
}

void TellCommonControlsColoursChanged(DWORD thread, HWND within)
{
    if (thread == 0)
        return;
    Answers& a = State();
    std::vector<HWND> controls;
    const bool attached = thread == SkinnedThread() && GetCurrentThreadId() == thread;
    if (within != nullptr) {
        ColourChange change{thread, {}};
        EnumChildWindows(within, CollectCommonControl, reinterpret_cast<LPARAM>(&change));
        controls = std::move(change.controls);
    } else if (attached && a.commonControls) {
        controls.assign(a.commonControls->begin(), a.commonControls->end());
    } else {
        ColourChange change{thread, {}};
        EnumThreadWindows(thread, CollectFromTopLevel, reinterpret_cast<LPARAM>(&change));
        controls = std::move(change.controls);
        // Kept up from here by the engine's hook, which sees every window the thread makes.
        if (attached)
            a.commonControls.emplace(controls.begin(), controls.end());
        else
            a.commonControls.reset();
    }
    // A control may destroy others as it is told.
    for (HWND hwnd : controls)
        if (IsWindow(hwnd))
            SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    for (HWND hwnd : controls)
        if (IsWindow(hwnd))
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    // With none to tell, the first common control the thread makes is told once it is made.
    if (GetCurrentThreadId() == thread && within == nullptr)
        a.coloursStale = controls.empty();
}

void FollowCommonControls(HWND hwnd, bool made)
{
    Answers& a = State();
    if (!a.commonControls || !OnSkinnedThread())
        return;
    if (!made)
        a.commonControls->erase(hwnd);
    else if (IsCommonControlWindow(hwnd))
        a.commonControls->insert(hwnd);
}

BOOL DrawThemedEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    return DrawEdgeHere(dc, rect, edge, flags);
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
        ImportReplacement::Of(System().edge, &DrawEdgeHere),
        ImportReplacement::Of(System().textColour, &SetTextColorHere),
    };
    const std::array except{engine};
    a.patches.Apply(replacements, PatchedModules::AllButCore, except);
}

bool StopAnsweringSystemColours()
{
    Answers& a = State();
    const bool clean = a.patches.Restore();
    a.brushes.clear();
    a.commonControls.reset();
    return clean;
}

}  // namespace velum

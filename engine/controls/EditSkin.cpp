#include "EditSkin.h"

#include <algorithm>

#include "ControlClasses.h"
#include "Engine.h"
#include "FieldSkin.h"
#include "ScrollBarSkin.h"
#include "WindowRegistry.h"

namespace velum {

namespace {

// The edit's own one-pixel frame inside its client area.
void PaintClientFrame(HWND hwnd)
{
    if (!IsWindowVisible(hwnd) || !EngineDrawsField(hwnd))
        return;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    const FieldLook state = LookOf(hwnd, ControlFamily::Edit);
    const Style& look = FieldStyle(CurrentTheme()->Controls().field, state);
    RECT r;
    GetClientRect(hwnd, &r);
    Outline(dc, r, BorderColour(hwnd, look, state));
    ReleaseDC(hwnd, dc);
}

bool DrawsClientFrame(HWND hwnd, const FieldState& field)
{
    return field.clientFrame && (StyleOf(hwnd) & WS_BORDER) == 0;
}

void RepaintEdges(HWND hwnd, const FieldState& field)
{
    PaintFieldBorder(hwnd);
    if (DrawsClientFrame(hwnd, field))
        PaintClientFrame(hwnd);
}

bool HasSelection(HWND hwnd)
{
    DWORD from = 0, to = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return from != to;
}

// The edit shows its selection while it is enabled and has the focus, or always with
// ES_NOHIDESEL.
bool ShowsSelection(HWND hwnd)
{
    return IsWindowEnabled(hwnd) && (GetFocus() == hwnd || (StyleOf(hwnd) & ES_NOHIDESEL) != 0) && HasSelection(hwnd);
}

// A 32-bit top-down bitmap of one area, drawn on in the target's coordinates, whose pixels the
// engine reads and writes directly.
class PixelBuffer {
public:
    PixelBuffer(HDC target, const RECT& area)
        : target_(target), area_(area), width_(std::max(1L, area.right - area.left)),
          height_(std::max(1L, area.bottom - area.top)), dc_(CreateCompatibleDC(target))
    {
        void* bits = nullptr;
        bitmap_ = TopDownBitmap(target, width_, height_, bits);
        if (dc_ && bitmap_ && bits != nullptr) {
            bits_ = static_cast<RGBQUAD*>(bits);
            selected_.emplace(dc_.get(), bitmap_.get());
            SetWindowOrgEx(dc_.get(), area.left, area.top, nullptr);
        }
    }
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    bool Ok() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RGBQUAD* Row(int y) const { return bits_ + static_cast<ptrdiff_t>(y) * width_; }
    void Commit() const
    {
        GdiFlush();
        BitBlt(target_, area_.left, area_.top, width_, height_, dc_.get(), area_.left, area_.top, SRCCOPY);
    }

private:
    HDC target_;
    RECT area_;
    LONG width_, height_;
    UniqueDc dc_;
    UniqueBitmap bitmap_;
    std::optional<ScopedSelect> selected_;
    RGBQUAD* bits_ = nullptr;
};

// Text the system draws in colours of its own: the highlight and highlighted text of a
// selection, the grey text of a disabled edit. Its pixels, background, text and the blend of the
// two at the glyphs' edges, lie on the line between the two colours: each is moved to the same
// place between the theme's.
class TextColours {
public:
    TextColours(COLORREF background, COLORREF text, const Style& theme)
        : from_{GetRValue(background), GetGValue(background), GetBValue(background)}, to_{GetRValue(text),
                                                                                          GetGValue(text),
                                                                                          GetBValue(text)},
          background_(theme.background.from), text_(theme.text)
    {
        for (int i = 0; i < 3; ++i)
            length_ += (to_[i] - from_[i]) * (to_[i] - from_[i]);
    }

    static bool Same(const RGBQUAD& p, COLORREF c)
    {
        return p.rgbRed == GetRValue(c) && p.rgbGreen == GetGValue(c) && p.rgbBlue == GetBValue(c);
    }

    // Where the pixel lies between the background (0) and the text (100), or -1 when it lies off
    // the line between them.
    int Position(const RGBQUAD& p) const
    {
        if (length_ == 0)
            return -1;
        const int d[3] = {p.rgbRed - from_[0], p.rgbGreen - from_[1], p.rgbBlue - from_[2]};
        int along = 0;
        for (int i = 0; i < 3; ++i)
            along += d[i] * (to_[i] - from_[i]);
        if (along < 0 || along > length_)
            return -1;
        const double t = static_cast<double>(along) / length_;
        double off = 0;
        for (int i = 0; i < 3; ++i) {
            const double miss = d[i] - t * (to_[i] - from_[i]);
            off += miss * miss;
        }
        constexpr double kTolerance = 3 * 12 * 12;
        return off <= kTolerance ? static_cast<int>(t * 100 + 0.5) : -1;
    }

    void Recolour(RGBQUAD& p, int position) const
    {
        const Color c = Mix(background_, text_, position);
        p.rgbRed = c.r;
        p.rgbGreen = c.g;
        p.rgbBlue = c.b;
    }

private:
    int from_[3];
    int to_[3];
    int length_ = 0;
    Color background_, text_;
};

// In each row, the selection runs from the first to the last pixel of the highlight, and on
// over the glyph pixels that touch either end.
void RecolourSelection(const PixelBuffer& buffer, const TextColours& colours, COLORREF highlight)
{
    for (int y = 0; y < buffer.Height(); ++y) {
        RGBQUAD* row = buffer.Row(y);
        int first = -1, last = -1;
        for (int x = 0; x < buffer.Width(); ++x) {
            if (TextColours::Same(row[x], highlight)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first < 0)
            continue;
        while (first > 0 && colours.Position(row[first - 1]) >= 0)
            --first;
        while (last + 1 < buffer.Width() && colours.Position(row[last + 1]) >= 0)
            ++last;
        for (int x = first; x <= last; ++x)
            if (const int position = colours.Position(row[x]); position >= 0)
                colours.Recolour(row[x], position);
    }
}

// A disabled edit's text, on the background the engine gave it.
void RecolourAll(const PixelBuffer& buffer, const TextColours& colours)
{
    for (int y = 0; y < buffer.Height(); ++y) {
        RGBQUAD* row = buffer.Row(y);
        for (int x = 0; x < buffer.Width(); ++x)
            if (const int position = colours.Position(row[x]); position >= 0)
                colours.Recolour(row[x], position);
    }
}

void Recolour(HWND hwnd, const PixelBuffer& buffer)
{
    const FieldPalette& palette = CurrentTheme()->Controls().field;
    const FieldLook state = LookOf(hwnd, ControlFamily::Edit);
    const COLORREF background = ToColorRef(FieldStyle(palette, state).background.from);
    if (state == FieldLook::Disabled) {
        RecolourAll(buffer, TextColours(background, GetSysColor(COLOR_GRAYTEXT), palette.disabled));
        return;
    }
    // A field in the highlight's own colour leaves no way to tell the selection apart.
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    if (background != highlight)
        RecolourSelection(buffer, TextColours(highlight, GetSysColor(COLOR_HIGHLIGHTTEXT), palette.selected),
                          highlight);
}

// The edit paints into a buffer, where the text it draws in the system's colours takes the
// theme's on the way to the screen. The caret stays hidden until the buffer is on the screen, or
// its blinking would invert what the buffer put there.
void PaintThroughBuffer(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc == nullptr) {
        EndPaint(hwnd, &ps);
        return;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    HideCaret(hwnd);
    PixelBuffer buffer(dc, client);
    if (buffer.Ok()) {
        CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(buffer.Dc()), PRF_CLIENT);
        Recolour(hwnd, buffer);
        buffer.Commit();
    } else {
        CallPrevious(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    ShowCaret(hwnd);
    EndPaint(hwnd, &ps);
}

LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const FieldState& field)
{
    LRESULT result = 0;
    if (wParam == 0 && (!IsWindowEnabled(hwnd) || ShowsSelection(hwnd)) && EngineDrawsField(hwnd))
        PaintThroughBuffer(hwnd);
    else
        result = CallPrevious(hwnd, message, wParam, lParam);
    if (DrawsClientFrame(hwnd, field))
        PaintClientFrame(hwnd);
    return result;
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const FieldState* found = FindField(hwnd);
    if (CurrentTheme() == nullptr || found == nullptr)
        return PassOn(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ForgetField(hwnd);
        return PassOn(hwnd, message, wParam, lParam);
    }
    // A copy: the program may detach the engine while the edit handles the message.
    const FieldState field = *found;
    if (message == WM_PAINT)
        return OnPaint(hwnd, message, wParam, lParam, field);
    if (LRESULT tracked = 0;
        EngineFollowsBarPointer(hwnd, message) && FollowOwnScrollBars(hwnd, message, wParam, lParam, tracked))
        return tracked;
    const LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT: PaintFieldBorder(hwnd); break;
    case WM_SETFOCUS:
        // A single-line edit draws itself, selection and all, straight onto the window as it
        // takes the focus.
        if (ShowsSelection(hwnd))
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RepaintEdges(hwnd, field);
        break;
    case EM_SETREADONLY:
        // The background follows: a read-only edit asks for the colours of a static.
        InvalidateRect(hwnd, nullptr, TRUE);
        RepaintEdges(hwnd, field);
        break;
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_STYLECHANGED: RepaintEdges(hwnd, field); break;
    default: break;
    }
    if (message != WM_NCPAINT && FindField(hwnd) != nullptr)
        RepaintFieldScrollBars(hwnd);
    return result;
}

}  // namespace velum

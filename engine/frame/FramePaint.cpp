// A skinned frame's painting: the frame and caption band through a back buffer, the caption's
// icon and title, the caption buttons and the menu bar.
#include "FrameWindow.h"

#include <algorithm>
#include <string>

#include "Engine.h"
#include "KeptBitmaps.h"
#include "MdiBarItems.h"
#include "PopupMenu.h"
#include "ScrollBarSkin.h"
#include "WindowRegistry.h"

namespace velum {

void FrameWindow::PaintFrame()
{
    if (!IsWindowVisible(hwnd_) || ownCaption_)
        return;
    // The layout is the screen's order, mirrored or not: so is the DC it is drawn on.
    WindowDc target(hwnd_, WindowDc::Order::Screen);
    if (target.get() == nullptr)
        return;
    HICON icon = nullptr;
    const FrameLayout l = Layout(&icon);
    const Theme& t = ThemeInUse();
    const Style& frame = active_ ? t.frame : t.frameInactive;
    // Only the frame goes to the screen: the client area is the window's own. No bitmap of the
    // whole window is made: the band above the client area, with caption and menu bar, goes
    // through the kept buffer; the rest of the frame holds only its fill and outline, drawn
    // straight on the window.
    const Rect& w = l.window;
    const int top = std::clamp(l.client.top, w.top, w.bottom);
    const int bottom = std::clamp(l.client.bottom, top, w.bottom);
    const int left = std::clamp(l.client.left, w.left, w.right);
    const int right = std::clamp(l.client.right, left, w.right);
    if (const Rect band{w.left, w.top, w.right, top}; !band.Empty()) {
        BackBuffer buffer(target.get(), ToRECT(band), BackBuffer::Kind::Kept);
        if (!buffer.Ok())
            return;
        HDC dc = buffer.Dc();
        if (const ArtImage* image = FrameImage()) {
            // One image around the whole window: the band holds its top.
            DrawFrameImage(dc, *image, ToRECT(w), frame.background);
        } else if (frame.background.from == frame.background.to) {
            // The caption and the menu bar are filled whole by their own painters: a plain
            // frame fill goes only around them.
            for (const Rect& part : Subtract(band, {l.caption, l.menuBar}))
                FillSolid(dc, ToRECT(part), frame.background.from);
        } else {
            FillWith(dc, ToRECT(w), frame.background);
        }
        if (FrameImage() == nullptr)
            Outline(dc, ToRECT(w), frame.border);
        PaintCaption(dc, l, icon);
        menuBar_.Paint(dc, l);
        buffer.Commit();
    }
    // The window's own scroll bars lie inside the frame's client area.
    PaintScrollBars(hwnd_, target.get());
    // Below the caption band, each pixel of the frame is drawn once: the client area left out,
    // and the outline along the window's edges left to itself. A plain fill goes straight to
    // its rectangles; a gradient, which spans the whole window, is drawn within a clip.
    if (top >= w.bottom)
        return;
    HDC dc = target.get();
    if (const ArtImage* image = FrameImage()) {
        // Below the band, the image's sides and bottom, each on its own: the client area is
        // left out, and each is kept drawn at the window's size.
        for (const RECT part : {RECT{w.left, top, left, bottom}, RECT{right, top, w.right, bottom},
                                RECT{w.left, bottom, w.right, w.bottom}}) {
            if (part.right <= part.left || part.bottom <= part.top)
                continue;
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
            DrawFrameImage(dc, *image, ToRECT(w), frame.background);
            RestoreDC(dc, saved);
        }
        return;
    }
    if (frame.background.from == frame.background.to) {
        const FrameEdges edges = EdgesBelow(w, top, {left, top, right, bottom});
        for (const Rect& r : edges.fill)
            FillSolid(dc, ToRECT(r), frame.background.from);
        for (const Rect& r : edges.outline)
            FillSolid(dc, ToRECT(r), frame.border);
        return;
    }
    const int saved = SaveDC(dc);
    if (saved == 0)
        return;
    IntersectClipRect(dc, w.left, top, w.right, w.bottom);
    ExcludeClipRect(dc, left, top, right, bottom);
    const int inside = SaveDC(dc);
    IntersectClipRect(dc, w.left + 1, w.top + 1, w.right - 1, w.bottom - 1);
    FillWith(dc, ToRECT(w), frame.background);
    RestoreDC(dc, inside);
    Outline(dc, ToRECT(w), frame.border);
    RestoreDC(dc, saved);
}

// The frame image over the frame's fill: a plain fill is blended with the image once and kept.
void FrameWindow::DrawFrameImage(HDC dc, const ArtImage& image, const RECT& window, const Fill& fill) const
{
    if (fill.from == fill.to) {
        image.Draw(dc, window, ImageState(&image), 0, fill.from);
        return;
    }
    FillWith(dc, window, fill);
    image.Draw(dc, window, ImageState(&image));
}

const ArtImage* FrameWindow::FrameImage() const
{
    const ThemeArtwork* art = CurrentTheme()->Artwork();
    if (art == nullptr)
        return nullptr;
    const std::optional<ArtImage>& image = active_ ? art->frame : art->frameInactive;
    return image ? &*image : nullptr;
}

const ArtImage* FrameWindow::CaptionImage() const
{
    const ThemeArtwork* art = CurrentTheme()->Artwork();
    if (art == nullptr)
        return nullptr;
    const std::optional<ArtImage>& image = active_ ? art->caption : art->captionInactive;
    return image ? &*image : nullptr;
}

// An inactive window whose image is its active one's draws the strip's second state, if any.
int FrameWindow::ImageState(const ArtImage* image) const
{
    if (active_ || image->Named().states < 2)
        return 0;
    const FrameImages& names = ThemeInUse().images;
    const bool shared = (image->Named() == names.frame && names.frameInactive == names.frame) ||
                        (image->Named() == names.caption && names.captionInactive == names.caption);
    return shared ? 1 : 0;
}

std::wstring FrameWindow::Title() const
{
    // The text the window keeps, as the system's caption shows it: read without sending the
    // program WM_GETTEXT on every paint and layout.
    std::wstring title(256, L'\0');
    for (;;) {
        const int got = InternalGetWindowText(hwnd_, title.data(), static_cast<int>(title.size()));
        if (got < static_cast<int>(title.size()) - 1 || title.size() >= 32768) {
            title.resize(static_cast<size_t>(std::max(got, 0)));
            return title;
        }
        title.resize(title.size() * 2);
    }
}

int FrameWindow::TitleWidth(int dpi) const
{
    HFONT font = CurrentTheme()->CaptionFont(dpi);
    if (titleWidth_.font != font || titleWidth_.dpi != dpi) {
        const std::wstring title = Title();
        SIZE size{};
        if (HDC dc = GetDC(hwnd_)) {
            ScopedSelect selected(dc, font);
            GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &size);
            ReleaseDC(hwnd_, dc);
        }
        titleWidth_ = {font, dpi, static_cast<int>(size.cx)};
    }
    return titleWidth_.width;
}

void FrameWindow::PaintCaption(HDC dc, const FrameLayout& l, HICON icon) const
{
    const Theme& t = ThemeInUse();
    const Style& caption = active_ ? t.caption : t.captionInactive;
    // Over a frame image, the caption shows it unless the caption has an image of its own.
    const ArtImage* image = CaptionImage();
    if (image != nullptr && caption.background.from == caption.background.to) {
        image->Draw(dc, ToRECT(l.caption), ImageState(image), 0, caption.background.from);
    } else {
        if (image != nullptr || FrameImage() == nullptr)
            FillWith(dc, ToRECT(l.caption), caption.background);
        if (image != nullptr)
            image->Draw(dc, ToRECT(l.caption), ImageState(image));
    }
    if (icon != nullptr && !l.icon.Empty())
        DrawIconSized(dc, l.icon.left, l.icon.top, icon, l.icon.Width(), l.icon.Height());
    const std::wstring title = Title();
    {
        ScopedSelect font(dc, CurrentTheme()->CaptionFont(l.dpi));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(caption.text));
        RECT r = ToRECT(l.title);
        // A mirrored caption's title stands beside its icon at the right and reads right to left.
        const UINT side = l.mirrored ? DT_RIGHT | DT_RTLREADING : DT_LEFT;
        DrawTextW(dc, title.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | side | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    buttons_.Paint(dc, l, t, active_);
}

void FrameWindow::PaintMenuBar()
{
    if (IsWindowVisible(hwnd_) && menuBar_.Present())
        menuBar_.Repaint(Layout());
}

// Caption text and buttons move with the window's size: the whole frame needs painting,
// while the client area keeps whatever Windows decided about it.
void FrameWindow::InvalidateFrame()
{
    RECT w{};
    GetWindowRect(hwnd_, &w);
    POINT origin{w.left, w.top};
    ScreenToClient(hwnd_, &origin);
    UniqueRegion frame(CreateRectRgn(origin.x, origin.y, origin.x + w.right - w.left, origin.y + w.bottom - w.top));
    RECT client{};
    GetClientRect(hwnd_, &client);
    UniqueRegion inside(CreateRectRgnIndirect(&client));
    if (frame && inside && CombineRgn(frame.get(), frame.get(), inside.get(), RGN_DIFF) != ERROR)
        RedrawWindow(hwnd_, nullptr, frame.get(), RDW_FRAME | RDW_INVALIDATE);
}

}  // namespace velum

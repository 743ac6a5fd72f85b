#include "FrameLayout.h"

#include <algorithm>
#include <cstdint>

namespace velum {

namespace {

// r moved inside bounds; what lies outside is cut off, and a rectangle wholly outside becomes
// an empty one on the nearest edge, so no width or height is ever negative.
Rect Within(Rect r, const Rect& bounds)
{
    r.left = std::clamp(r.left, bounds.left, bounds.right);
    r.right = std::clamp(r.right, r.left, bounds.right);
    r.top = std::clamp(r.top, bounds.top, bounds.bottom);
    r.bottom = std::clamp(r.bottom, r.top, bounds.bottom);
    return r;
}

// r reflected across the middle of a window `width` wide.
Rect Reflected(const Rect& r, int width)
{
    return {width - r.right, r.top, width - r.left, r.bottom};
}

// The parts that are not symmetric about the window's middle, reflected: the caption band, the
// bar's rows and the client area are (a maximised window's auto-hide band follows the screen).
void Mirror(FrameLayout& l)
{
    const int width = l.window.right;
    l.icon = l.icon.Empty() ? Rect{} : Reflected(l.icon, width);
    l.title = Reflected(l.title, width);
    for (Rect& button : l.buttons)
        button = Reflected(button, width);
    for (Rect& item : l.barItems)
        item = Reflected(item, width);
}

}  // namespace

int Scale(int pixels, int dpi)
{
    const std::int64_t product = static_cast<std::int64_t>(pixels) * dpi;
    const std::int64_t half = 96 / 2;
    const std::int64_t result = (product >= 0 ? product + half : product - half) / 96;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return static_cast<int>(result);
}

FrameLayout LayOutFrame(const Metrics& m, int dpi, int width, int height, const FrameStyle& style,
                        const std::vector<int>& barItemWidths)
{
    FrameLayout l;
    l.dpi = dpi;
    l.window = {0, 0, std::max(0, width), std::max(0, height)};
    l.frame = std::max(1, Scale(m.frameWidth, dpi));
    l.corner = style.zoomed || style.iconic ? 0 : Scale(m.cornerRadius, dpi);
    const int f = l.frame;
    const Rect inside = Within({f, f, l.window.right - f, l.window.bottom - f}, l.window);
    const int captionHeight = style.caption ? Scale(m.captionHeight, dpi) : 0;
    l.caption = style.iconic ? l.window : Within({f, f, l.window.right - f, f + captionHeight}, inside);
    const Rect& c = l.caption;

    int right = c.right - Scale(4, dpi);
    const int bh = std::min(Scale(m.buttonHeight, dpi), c.Height());
    const int top = c.top + (c.Height() - bh) / 2;
    const bool minMax = (style.minimizeBox || style.maximizeBox) && !style.toolWindow;
    l.hasButton[kClose] = style.caption && style.sysMenu;
    l.hasButton[kMaxRestore] = l.hasButton[kClose] && minMax;
    l.hasButton[kMinimize] = l.hasButton[kClose] && minMax;

    int left = c.left + Scale(6, dpi);
    if (style.caption && style.sysMenu && style.icon && !style.dialogFrame && !style.toolWindow) {
        const int size = Scale(16, dpi);
        const int iconTop = c.top + (c.Height() - size) / 2;
        l.icon = Within({left, iconTop, left + size, iconTop + size}, c);
        left += size + Scale(6, dpi);
    }

    // A theme's buttons wider than the system's would cut a narrow window's title short where
    // the system's caption still shows it whole: they narrow as far as the title needs, down to
    // square.
    const int buttons = l.hasButton[kClose] + l.hasButton[kMaxRestore] + l.hasButton[kMinimize];
    const int gap = Scale(2, dpi);
    int bw = Scale(m.buttonWidth, dpi);
    if (buttons > 0 && style.titleWidth > 0) {
        const int room = right - buttons * (bw + gap) - Scale(4, dpi) - left;
        const int shortfall = style.titleWidth - room;
        if (shortfall > 0)
            bw = std::max(std::min(bw, bh), bw - (shortfall + buttons - 1) / buttons);
    }
    for (int b : {kClose, kMaxRestore, kMinimize}) {
        if (!l.hasButton[b])
            continue;
        l.buttons[b] = Within({right - bw, top, right, top + bh}, c);
        right -= bw + gap;
    }
    l.title = Within({left, c.top, std::max(left, right - Scale(4, dpi)), c.bottom}, c);

    int y = c.bottom;
    if (style.menuBar && !style.iconic) {
        const int rowHeight = Scale(m.menuBarHeight, dpi);
        const int rowLeft = f + Scale(2, dpi);
        const int rowRight = l.window.right - f;
        int x = rowLeft;
        l.barRows.push_back({f, y, rowRight, y + rowHeight});
        for (const int itemWidth : barItemWidths) {
            const int w = std::max(0, itemWidth);
            if (x > rowLeft && x + w > rowRight) {
                y += rowHeight;
                l.barRows.push_back({f, y, rowRight, y + rowHeight});
                x = rowLeft;
            }
            l.barItems.push_back({x, y, x + w, y + rowHeight});
            x += w;
        }
        y += rowHeight;
        l.menuBar = {f, c.bottom, rowRight, y};
        for (Rect& row : l.barRows)
            row = Within(row, inside);
        for (Rect& item : l.barItems)
            item = Within(item, inside);
        l.menuBar = Within(l.menuBar, inside);
    }
    Rect client{f, y, l.window.right - f, l.window.bottom - f};
    if (style.zoomed) {
        client.left += (style.autoHideEdges & kEdgeLeft) ? kAutoHideBand : 0;
        client.top += (style.autoHideEdges & kEdgeTop) && !style.caption && !style.menuBar ? kAutoHideBand : 0;
        client.right -= (style.autoHideEdges & kEdgeRight) ? kAutoHideBand : 0;
        client.bottom -= (style.autoHideEdges & kEdgeBottom) ? kAutoHideBand : 0;
    }
    l.client = Within(client, inside);
    if (style.rightToLeft) {
        Mirror(l);
        l.mirrored = true;
    }
    return l;
}

FrameInsets InsetsOf(const Metrics& m, int dpi, const FrameStyle& style)
{
    // Laid out on a window large enough for nothing to be cut off; no items keep one bar row.
    constexpr int kRoomy = 1 << 20;
    FrameStyle roomy = style;
    roomy.iconic = roomy.zoomed = false;
    const Rect client = LayOutFrame(m, dpi, kRoomy, kRoomy, roomy, {}).client;
    return {client.left, client.top, kRoomy - client.right, kRoomy - client.bottom};
}

void RightJustifyBarItems(FrameLayout& l, size_t first)
{
    if (l.barRows.empty() || first >= l.barItems.size())
        return;
    // Justified as left to right, between two reflections: the rows are symmetric.
    if (l.mirrored) {
        for (Rect& item : l.barItems)
            item = Reflected(item, l.window.right);
        l.mirrored = false;
        RightJustifyBarItems(l, first);
        l.mirrored = true;
        for (Rect& item : l.barItems)
            item = Reflected(item, l.window.right);
        return;
    }
    const Rect& lastRow = l.barRows.back();
    int right = lastRow.right;
    for (size_t i = l.barItems.size(); i-- > first;) {
        Rect& item = l.barItems[i];
        if (item.top != lastRow.top || item.right >= right)
            break;
        const int shift = right - item.right;
        item.left += shift;
        item.right += shift;
        right = item.left;
    }
}

CaptionButton ButtonAt(const FrameLayout& l, Point p)
{
    for (CaptionButton b : {kClose, kMaxRestore, kMinimize})
        if (l.hasButton[b] && l.buttons[b].Contains(p))
            return b;
    return kNoButton;
}

int BarItemAt(const FrameLayout& l, Point p)
{
    for (size_t i = 0; i < l.barItems.size(); ++i)
        if (l.barItems[i].Contains(p))
            return static_cast<int>(i);
    return -1;
}

HitArea HitTest(const FrameLayout& l, const FrameStyle& style, Point p)
{
    if (!l.window.Contains(p))
        return HitArea::Nowhere;
    switch (ButtonAt(l, p)) {
    case kClose: return HitArea::Close;
    case kMaxRestore: return HitArea::MaxButton;
    case kMinimize: return HitArea::MinButton;
    case kNoButton: break;
    }
    const bool resizable = style.sizable && !style.zoomed && !style.iconic;
    // A rounded corner's curve cuts into a thin frame and on into the client area: what is left
    // of the window's corner, within the radius of it both ways, grabs the corner.
    if (resizable && l.corner > 0) {
        const int r = l.corner;
        const bool left = p.x < r, right = p.x >= l.window.right - r;
        const bool top = p.y < r, bottom = p.y >= l.window.bottom - r;
        if (top && left)
            return HitArea::TopLeft;
        if (top && right)
            return HitArea::TopRight;
        if (bottom && left)
            return HitArea::BottomLeft;
        if (bottom && right)
            return HitArea::BottomRight;
    }
    if (resizable) {
        // The band is at least the system's, as a person grabs an edge where every other
        // window resizes; a rounded corner cuts away the corner itself: the diagonal grips reach
        // along the edges past the curve, where the frame can still be seen and grabbed.
        const int band = std::max(l.frame, style.sizingBorder);
        const int buttonHeight = l.hasButton[kClose] ? l.buttons[kClose].Height() : 0;
        const int grip = std::max({band, Scale(6, l.dpi), l.corner + Scale(4, l.dpi), buttonHeight});
        const bool left = p.x < band, right = p.x >= l.window.right - band;
        const bool top = p.y < band, bottom = p.y >= l.window.bottom - band;
        const bool nearLeft = p.x < grip, nearRight = p.x >= l.window.right - grip;
        const bool nearTop = p.y < grip, nearBottom = p.y >= l.window.bottom - grip;
        if ((top && nearLeft) || (left && nearTop))
            return HitArea::TopLeft;
        if ((top && nearRight) || (right && nearTop))
            return HitArea::TopRight;
        if ((bottom && nearLeft) || (left && nearBottom))
            return HitArea::BottomLeft;
        if ((bottom && nearRight) || (right && nearBottom))
            return HitArea::BottomRight;
        if (left)
            return HitArea::Left;
        if (right)
            return HitArea::Right;
        if (top)
            return HitArea::Top;
        if (bottom)
            return HitArea::Bottom;
    }
    if (l.client.Contains(p))
        return HitArea::Client;
    if (l.icon.Contains(p))
        return HitArea::SysMenu;
    if (l.caption.Contains(p))
        return HitArea::Caption;
    if (l.menuBar.Contains(p))
        return HitArea::Menu;
    return HitArea::Border;
}

Rect Intersect(const Rect& a, const Rect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

std::vector<Rect> Subtract(const Rect& r, const Rect& hole)
{
    std::vector<Rect> parts;
    const Rect cut = Intersect(r, hole);
    if (r.Empty())
        return parts;
    if (cut.Empty()) {
        parts.push_back(r);
        return parts;
    }
    // Full-width bands above and below the hole, then what is left and right of it between them.
    for (const Rect& part :
         {Rect{r.left, r.top, r.right, cut.top}, Rect{r.left, cut.bottom, r.right, r.bottom},
          Rect{r.left, cut.top, cut.left, cut.bottom}, Rect{cut.right, cut.top, r.right, cut.bottom}})
        if (!part.Empty())
            parts.push_back(part);
    return parts;
}

std::vector<Rect> Subtract(const Rect& r, std::initializer_list<Rect> holes)
{
    std::vector<Rect> parts{r};
    for (const Rect& hole : holes) {
        std::vector<Rect> rest;
        for (const Rect& part : parts)
            for (const Rect& piece : Subtract(part, hole))
                rest.push_back(piece);
        parts = std::move(rest);
    }
    return parts;
}

FrameEdges EdgesBelow(const Rect& window, int top, const Rect& client)
{
    FrameEdges edges;
    const Rect below{window.left, std::max(top, window.top), window.right, window.bottom};
    if (below.Empty())
        return edges;
    const Rect& w = window;
    edges.fill = Subtract(Intersect(below, {w.left + 1, w.top + 1, w.right - 1, w.bottom - 1}), client);
    for (const Rect& line : {Rect{w.left, w.top, w.right, w.top + 1}, Rect{w.left, w.bottom - 1, w.right, w.bottom},
                             Rect{w.left, w.top, w.left + 1, w.bottom}, Rect{w.right - 1, w.top, w.right, w.bottom}})
        for (const Rect& part : Subtract(Intersect(below, line), client))
            edges.outline.push_back(part);
    return edges;
}

}  // namespace velum

// The frame's geometry at several DPIs and styles, and what each point of it answers.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "FrameLayout.h"

namespace velum {

std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}

namespace {

FrameStyle Full()
{
    FrameStyle s;
    s.icon = true;
    s.menuBar = true;
    return s;
}

TEST(FrameLayout, ScaleRoundsLikeMulDiv)
{
    const struct {
        int pixels, dpi, expected;
    } cases[] = {
        {4, 96, 4},  {4, 120, 5}, {26, 120, 33}, {7, 120, 9},   {1, 144, 2},
        {2, 144, 3}, {0, 192, 0}, {-3, 144, -5}, {-1, 120, -1}, {30, 192, 60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Scale(c.pixels, c.dpi), c.expected) << c.pixels << " px at " << c.dpi;
}

TEST(FrameLayout, EveryPartScalesWithTheDpi)
{
    const struct {
        int dpi, frame;
        Rect caption, close, maxRestore, minimize, icon, title, firstItem, secondItem, client;
    } cases[] = {
        {96,
         4,
         {4, 4, 396, 30},
         {362, 7, 392, 27},
         {330, 7, 360, 27},
         {298, 7, 328, 27},
         {10, 9, 26, 25},
         {32, 4, 292, 30},
         {6, 30, 46, 52},
         {46, 30, 96, 52},
         {4, 52, 396, 296}},
        {120,
         5,
         {5, 5, 395, 38},
         {352, 9, 390, 34},
         {311, 9, 349, 34},
         {270, 9, 308, 34},
         {13, 11, 33, 31},
         {41, 5, 262, 38},
         {8, 38, 48, 66},
         {48, 38, 98, 66},
         {5, 66, 395, 295}},
        {144,
         6,
         {6, 6, 394, 45},
         {343, 10, 388, 40},
         {295, 10, 340, 40},
         {247, 10, 292, 40},
         {15, 13, 39, 37},
         {48, 6, 238, 45},
         {9, 45, 49, 78},
         {49, 45, 99, 78},
         {6, 78, 394, 294}},
        {192,
         8,
         {8, 8, 392, 60},
         {324, 14, 384, 54},
         {260, 14, 320, 54},
         {196, 14, 256, 54},
         {20, 18, 52, 50},
         {64, 8, 184, 60},
         {12, 60, 52, 104},
         {52, 60, 102, 104},
         {8, 104, 392, 292}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const FrameLayout l = LayOutFrame(Metrics{}, c.dpi, 400, 300, Full(), {40, 50});
        EXPECT_EQ(l.window, (Rect{0, 0, 400, 300}));
        EXPECT_EQ(l.frame, c.frame);
        EXPECT_EQ(l.caption, c.caption);
        EXPECT_EQ(l.buttons[kClose], c.close);
        EXPECT_EQ(l.buttons[kMaxRestore], c.maxRestore);
        EXPECT_EQ(l.buttons[kMinimize], c.minimize);
        EXPECT_TRUE(l.hasButton[kClose] && l.hasButton[kMaxRestore] && l.hasButton[kMinimize]);
        EXPECT_EQ(l.icon, c.icon);
        EXPECT_EQ(l.title, c.title);
        ASSERT_EQ(l.barItems.size(), 2u);
        EXPECT_EQ(l.barItems[0], c.firstItem);
        EXPECT_EQ(l.barItems[1], c.secondItem);
        ASSERT_EQ(l.barRows.size(), 1u);
        EXPECT_EQ(l.menuBar, (Rect{c.frame, c.caption.bottom, 400 - c.frame, c.firstItem.bottom}));
        EXPECT_EQ(l.client, c.client);
    }
}

TEST(FrameLayout, StylesDecideButtonsIconAndCaption)
{
    const auto with = [](auto change) {
        FrameStyle s = Full();
        s.menuBar = false;
        change(s);
        return s;
    };
    const Rect none{};
    const struct {
        const char* name;
        FrameStyle style;
        bool close, maxRestore, minimize;
        Rect icon, title, client;
    } cases[] = {
        {"normal", with([](FrameStyle&) {}), true, true, true, {10, 9, 26, 25}, {32, 4, 292, 30}, {4, 30, 396, 296}},
        {"tool window",
         with([](FrameStyle& s) { s.toolWindow = true; }),
         true,
         false,
         false,
         none,
         {10, 4, 356, 30},
         {4, 30, 396, 296}},
        // Windows shows both boxes when either style is set, the missing one disabled.
        {"no maximise box",
         with([](FrameStyle& s) { s.maximizeBox = false; }),
         true,
         true,
         true,
         {10, 9, 26, 25},
         {32, 4, 292, 30},
         {4, 30, 396, 296}},
        {"no min or max box",
         with([](FrameStyle& s) { s.maximizeBox = s.minimizeBox = false; }),
         true,
         false,
         false,
         {10, 9, 26, 25},
         {32, 4, 356, 30},
         {4, 30, 396, 296}},
        {"no system menu",
         with([](FrameStyle& s) { s.sysMenu = false; }),
         false,
         false,
         false,
         none,
         {10, 4, 388, 30},
         {4, 30, 396, 296}},
        {"dialog frame",
         with([](FrameStyle& s) { s.dialogFrame = true; }),
         true,
         true,
         true,
         none,
         {10, 4, 292, 30},
         {4, 30, 396, 296}},
        {"no icon",
         with([](FrameStyle& s) { s.icon = false; }),
         true,
         true,
         true,
         none,
         {10, 4, 292, 30},
         {4, 30, 396, 296}},
        {"no caption",
         with([](FrameStyle& s) { s.caption = false; }),
         false,
         false,
         false,
         none,
         {10, 4, 388, 4},
         {4, 4, 396, 296}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameLayout l = LayOutFrame(Metrics{}, 96, 400, 300, c.style, {});
        EXPECT_EQ(l.hasButton[kClose], c.close);
        EXPECT_EQ(l.hasButton[kMaxRestore], c.maxRestore);
        EXPECT_EQ(l.hasButton[kMinimize], c.minimize);
        EXPECT_EQ(l.icon, c.icon);
        EXPECT_EQ(l.title, c.title);
        EXPECT_EQ(l.client, c.client);
        EXPECT_TRUE(l.menuBar.Empty());
        EXPECT_TRUE(l.barRows.empty());
    }
}

void ExpectInside(const Rect& r, const Rect& bounds, const char* what)
{
    EXPECT_GE(r.Width(), 0) << what << ' ' << r;
    EXPECT_GE(r.Height(), 0) << what << ' ' << r;
    EXPECT_TRUE(r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom)
        << what << ' ' << r << " outside " << bounds;
}

// A maximised window leaves a band at each edge an auto-hide taskbar sits on; a restored one,
// or a window whose caption already keeps its client area off the top, leaves none.
TEST(FrameLayout, AMaximisedClientAreaLeavesTheAutoHideTaskbarsEdge)
{
    const struct {
        const char* name;
        bool zoomed, caption;
        unsigned edges;
        Rect client;
    } cases[] = {
        {"no taskbar", true, true, 0, {4, 30, 396, 296}},
        {"bottom", true, true, kEdgeBottom, {4, 30, 396, 294}},
        {"left and right", true, true, kEdgeLeft | kEdgeRight, {6, 30, 394, 296}},
        {"top under a caption", true, true, kEdgeTop, {4, 30, 396, 296}},
        {"top without a caption", true, false, kEdgeTop, {4, 6, 396, 296}},
        {"restored", false, true, kEdgeBottom | kEdgeLeft, {4, 30, 396, 296}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameStyle s = Full();
        s.menuBar = false;
        s.zoomed = c.zoomed;
        s.caption = c.caption;
        s.autoHideEdges = c.edges;
        const Rect client = LayOutFrame(Metrics{}, 96, 400, 300, s, {}).client;
        EXPECT_EQ(client, c.client);
    }
}

TEST(FrameLayout, TooSmallWindowsKeepEveryPartInside)
{
    const struct {
        int width, height, dpi;
    } cases[] = {{60, 40, 96}, {100, 30, 96}, {0, 0, 96}, {5, 5, 144}, {1, 200, 192}, {150, 60, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << 'x' << c.height << " at " << c.dpi);
        const FrameLayout l = LayOutFrame(Metrics{}, c.dpi, c.width, c.height, Full(), {40, 50, 300});
        ExpectInside(l.caption, l.window, "caption");
        ExpectInside(l.icon, l.caption, "icon");
        ExpectInside(l.title, l.caption, "title");
        for (int b : {kClose, kMaxRestore, kMinimize})
            ExpectInside(l.buttons[b], l.caption, "button");
        for (const Rect& r : l.barItems)
            ExpectInside(r, l.window, "bar item");
        ExpectInside(l.menuBar, l.window, "menu bar");
        ExpectInside(l.client, l.window, "client");
        EXPECT_GE(l.client.top, l.menuBar.bottom);
        // Buttons never overlap each other or the title.
        for (int a : {kClose, kMaxRestore, kMinimize}) {
            EXPECT_LE(l.title.right, std::max(l.title.left, l.buttons[a].left));
            for (int b : {kClose, kMaxRestore, kMinimize})
                if (a < b)
                    EXPECT_LE(l.buttons[b].right, std::max(l.buttons[b].left, l.buttons[a].left));
        }
    }
}

// A theme's wide buttons narrow, down to square, as far as the title needs to show whole; a
// title that fits, or a window with no room even so, changes nothing more.
TEST(FrameLayout, WideButtonsNarrowForATitleThatWouldNotFit)
{
    Metrics m;
    m.buttonWidth = 34;
    m.buttonHeight = 24;
    m.captionHeight = 30;
    const struct {
        int width, titleWidth;
        int buttonWidth;
    } cases[] = {{600, 200, 34}, {300, 0, 34}, {300, 120, 34}, {300, 150, 33}, {300, 170, 26}, {200, 400, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " wide, title " << c.titleWidth);
        FrameStyle style = Full();
        style.titleWidth = c.titleWidth;
        const FrameLayout l = LayOutFrame(m, 96, c.width, 200, style, {});
        for (int b : {kClose, kMaxRestore, kMinimize})
            EXPECT_EQ(l.buttons[b].Width(), c.buttonWidth);
        if (c.buttonWidth > 24)
            EXPECT_GE(l.title.Width(), c.titleWidth);
    }
}

TEST(FrameLayout, MenuBarWrapsOntoFurtherRows)
{
    // At 96 DPI in a 200 px window a row runs from x = 6 to x = 196 and is 22 px high,
    // starting under the caption at y = 30.
    const struct {
        const char* name;
        std::vector<int> widths;
        std::vector<Rect> items;
        int rows;
    } cases[] = {
        {"all on one row", {60, 60, 70}, {{6, 30, 66, 52}, {66, 30, 126, 52}, {126, 30, 196, 52}}, 1},
        {"two rows", {80, 80, 80}, {{6, 30, 86, 52}, {86, 30, 166, 52}, {6, 52, 86, 74}}, 2},
        {"three rows",
         {100, 100, 150, 40},
         {{6, 30, 106, 52}, {6, 52, 106, 74}, {6, 74, 156, 96}, {156, 74, 196, 96}},
         3},
        {"a wide item has a row of its own", {30, 250, 30}, {{6, 30, 36, 52}, {6, 52, 196, 74}, {6, 74, 36, 96}}, 3},
        {"a wide first item", {250, 30}, {{6, 30, 196, 52}, {6, 52, 36, 74}}, 2},
        {"no items", {}, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameLayout l = LayOutFrame(Metrics{}, 96, 200, 300, Full(), c.widths);
        EXPECT_EQ(l.barItems, c.items);
        ASSERT_EQ(l.barRows.size(), static_cast<size_t>(c.rows));
        for (int i = 0; i < c.rows; ++i)
            EXPECT_EQ(l.barRows[static_cast<size_t>(i)], (Rect{4, 30 + 22 * i, 196, 52 + 22 * i}));
        EXPECT_EQ(l.menuBar, (Rect{4, 30, 196, 30 + 22 * c.rows}));
        EXPECT_EQ(l.client, (Rect{4, 30 + 22 * c.rows, 196, 296}));
    }
}

TEST(FrameLayout, RightJustifiedItemsGoToTheEndOfTheLastRow)
{
    // A 200 px window: the row runs to x = 196; widths 20 are a maximised MDI child's buttons.
    const struct {
        const char* name;
        std::vector<int> widths;
        size_t first;
        std::vector<Rect> items;
    } cases[] = {
        {"three buttons after two items",
         {24, 50, 20, 20, 20},
         2,
         {{6, 30, 30, 52}, {30, 30, 80, 52}, {136, 30, 156, 52}, {156, 30, 176, 52}, {176, 30, 196, 52}}},
        {"none right-justified", {24, 50}, 2, {{6, 30, 30, 52}, {30, 30, 80, 52}}},
        {"every item", {20, 20}, 0, {{156, 30, 176, 52}, {176, 30, 196, 52}}},
        {"only the last row moves",
         {100, 60, 50, 20},
         1,
         {{6, 30, 106, 52}, {106, 30, 166, 52}, {126, 52, 176, 74}, {176, 52, 196, 74}}},
        {"a full row stays", {100, 90}, 1, {{6, 30, 106, 52}, {106, 30, 196, 52}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameLayout l = LayOutFrame(Metrics{}, 96, 200, 300, Full(), c.widths);
        RightJustifyBarItems(l, c.first);
        EXPECT_EQ(l.barItems, c.items);
    }
}

TEST(FrameLayout, HitTest)
{
    FrameStyle fixed = Full();
    fixed.sizable = false;
    FrameStyle zoomed = Full();
    zoomed.zoomed = true;
    // The system's sizing border wider than the theme's frame (4 px): the band follows it.
    FrameStyle wideBand = Full();
    wideBand.sizingBorder = 8;
    // Right to left: the caption and bar reflected, the sizing edges still the screen's sides.
    FrameStyle rtl = Full();
    rtl.rightToLeft = true;
    const struct {
        int dpi;
        const FrameStyle& style;
        Point p;
        HitArea expected;
        int barItem;
    } cases[] = {
        {96, Full(), {-1, 5}, HitArea::Nowhere, -1},     {96, Full(), {400, 5}, HitArea::Nowhere, -1},
        {96, Full(), {200, 200}, HitArea::Client, -1},   {96, Full(), {370, 15}, HitArea::Close, -1},
        {96, Full(), {340, 15}, HitArea::MaxButton, -1}, {96, Full(), {310, 15}, HitArea::MinButton, -1},
        {96, Full(), {329, 15}, HitArea::Caption, -1},  // the gap between two buttons
        {96, Full(), {12, 12}, HitArea::SysMenu, -1},    {96, Full(), {150, 15}, HitArea::Caption, -1},
        {96, Full(), {20, 40}, HitArea::Menu, 0},        {96, Full(), {50, 40}, HitArea::Menu, 1},
        {96, Full(), {200, 40}, HitArea::Menu, -1},      {96, Full(), {0, 0}, HitArea::TopLeft, -1},
        {96, Full(), {5, 0}, HitArea::TopLeft, -1},      {96, Full(), {6, 0}, HitArea::TopLeft, -1},
        {96, Full(), {19, 0}, HitArea::TopLeft, -1},  // a caption button's height along the edge
        {96, Full(), {20, 0}, HitArea::Top, -1},         {96, Full(), {0, 19}, HitArea::TopLeft, -1},
        {96, Full(), {0, 20}, HitArea::Left, -1},        {96, wideBand, {7, 150}, HitArea::Left, -1},
        {96, wideBand, {392, 150}, HitArea::Right, -1},  {96, wideBand, {200, 292}, HitArea::Bottom, -1},
        {96, wideBand, {8, 150}, HitArea::Client, -1},   {96, wideBand, {200, 7}, HitArea::Top, -1},
        {96, Full(), {0, 5}, HitArea::TopLeft, -1},      {96, Full(), {399, 0}, HitArea::TopRight, -1},
        {96, Full(), {0, 299}, HitArea::BottomLeft, -1}, {96, Full(), {399, 299}, HitArea::BottomRight, -1},
        {96, Full(), {3, 100}, HitArea::Left, -1},       {96, Full(), {396, 100}, HitArea::Right, -1},
        {96, Full(), {200, 3}, HitArea::Top, -1},        {96, Full(), {200, 296}, HitArea::Bottom, -1},
        {96, fixed, {3, 100}, HitArea::Border, -1},      {96, fixed, {0, 0}, HitArea::Border, -1},
        {96, fixed, {200, 3}, HitArea::Border, -1},      {96, zoomed, {399, 299}, HitArea::Border, -1},
        {144, Full(), {8, 0}, HitArea::TopLeft, -1},     {144, Full(), {40, 0}, HitArea::Top, -1},
        {144, Full(), {5, 100}, HitArea::Left, -1},      {144, Full(), {20, 60}, HitArea::Menu, 0},
        {96, rtl, {29, 15}, HitArea::Close, -1},         {96, rtl, {59, 15}, HitArea::MaxButton, -1},
        {96, rtl, {89, 15}, HitArea::MinButton, -1},     {96, rtl, {370, 15}, HitArea::Caption, -1},
        {96, rtl, {387, 12}, HitArea::SysMenu, -1},      {96, rtl, {12, 12}, HitArea::Close, -1},
        {96, rtl, {380, 40}, HitArea::Menu, 0},          {96, rtl, {350, 40}, HitArea::Menu, 1},
        {96, rtl, {20, 40}, HitArea::Menu, -1},          {96, rtl, {3, 100}, HitArea::Left, -1},
        {96, rtl, {396, 100}, HitArea::Right, -1},       {96, rtl, {0, 0}, HitArea::TopLeft, -1},
        {96, rtl, {399, 0}, HitArea::TopRight, -1},      {96, rtl, {399, 299}, HitArea::BottomRight, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '(' << c.p.x << ',' << c.p.y << ") at " << c.dpi);
        const FrameLayout l = LayOutFrame(Metrics{}, c.dpi, 400, 300, c.style, {40, 50});
        EXPECT_EQ(HitTest(l, c.style, c.p), c.expected);
        EXPECT_EQ(BarItemAt(l, c.p), c.barItem);
    }
}

// A rounded corner cuts the corner pixels out of the window: a person must still find a point
// of each corner's diagonal grip on what is left of the frame.
TEST(FrameLayout, EveryRoundedCornerCanBeGrabbed)
{
    const int width = 400, height = 300;
    for (int dpi : {96, 144, 192}) {
        for (int radius : {0, 3, 6, 8, 10, 12, 16}) {
            for (int frameWidth : {1, 3, 4, 8}) {
                Metrics m;
                m.cornerRadius = radius;
                m.frameWidth = frameWidth;
                const FrameLayout l = LayOutFrame(m, dpi, width, height, Full(), {40});
                const int r = l.corner;
                // Inside the rounded rectangle the region is made of: the corner's quarter
                // circle has its centre r pixels in from both edges.
                auto visible = [&](Point p) {
                    const int cx = p.x < r ? r : p.x >= width - r ? width - 1 - r : p.x;
                    const int cy = p.y < r ? r : p.y >= height - r ? height - 1 - r : p.y;
                    return (p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy) <= r * r;
                };
                for (HitArea corner :
                     {HitArea::TopLeft, HitArea::TopRight, HitArea::BottomLeft, HitArea::BottomRight}) {
                    bool found = false;
                    // Corner grips lie within 48 pixels of the corners.
                    auto nearEdge = [](int v, int size) { return v < 48 || v >= size - 48; };
                    for (int y = 0; y < height && !found; ++y)
                        for (int x = 0; x < width && !found; ++x)
                            found = nearEdge(x, width) && nearEdge(y, height) && visible({x, y}) &&
                                    HitTest(l, Full(), {x, y}) == corner;
                    EXPECT_TRUE(found) << "corner " << static_cast<int>(corner) << " at " << dpi << " DPI, radius "
                                       << radius << ", frame " << frameWidth;
                }
            }
        }
    }
}

// Along each rounded corner's diagonal, every point the window region keeps grabs that corner,
// however thin the frame (the curve cuts into the client area when the frame is thinner than it).
TEST(FrameLayout, ARoundedCornersDiagonalGrabsIt)
{
    const int width = 400, height = 300;
    const struct {
        int frame, radius;
    } themes[] = {{2, 8}, {1, 12}, {4, 6}, {3, 16}};
    for (const auto& theme : themes) {
        Metrics m;
        m.frameWidth = theme.frame;
        m.cornerRadius = theme.radius;
        const FrameLayout l = LayOutFrame(m, 96, width, height, Full(), {40});
        const int r = l.corner;
        const struct {
            HitArea area;
            Point corner;
            int dx, dy;
        } corners[] = {{HitArea::TopLeft, {0, 0}, 1, 1},
                       {HitArea::TopRight, {width - 1, 0}, -1, 1},
                       {HitArea::BottomLeft, {0, height - 1}, 1, -1},
                       {HitArea::BottomRight, {width - 1, height - 1}, -1, -1}};
        for (const auto& c : corners) {
            for (int k = 0; k < r; ++k) {
                const Point p{c.corner.x + c.dx * k, c.corner.y + c.dy * k};
                // Kept by the region: within the radius of the curve's centre.
                const int ox = r - k, oy = r - k;
                // A caption button reaching into a top corner keeps its points.
                if (ox * ox + oy * oy > r * r || ButtonAt(l, p) != kNoButton)
                    continue;
                EXPECT_EQ(HitTest(l, Full(), p), c.area)
                    << "frame " << theme.frame << ", radius " << r << ", " << k << " px along the diagonal";
            }
        }
    }
}

// The frame below the caption band, drawn as rectangles, covers exactly the pixels the window
// DC's clip let through before (the window from `top` down, the client area excluded; the fill
// inset by the one-pixel outline), each fill pixel once: clients inside, touching the edges,
// empty, outside, and bands taller than the window.
TEST(FrameLayout, EdgesBelowTheBandCoverWhatTheClipLetThrough)
{
    const Rect window{0, 0, 40, 30};
    const struct {
        int top;
        Rect client;
    } cases[] = {
        {10, {4, 10, 36, 26}},   // an ordinary frame
        {10, {0, 10, 40, 30}},   // a client over the whole width and the bottom edge
        {10, {1, 10, 39, 29}},   // a client up to the outline
        {10, {4, 10, 4, 10}},    // an empty client
        {0, {4, 4, 36, 26}},     // no band: the top outline shows
        {10, {50, 50, 60, 60}},  // a client outside the window
        {30, {4, 30, 36, 30}},   // a band down to the bottom
        {35, {4, 30, 36, 30}},   // a band taller than the window
        {12, {-5, 12, 20, 40}},  // a client past the left and bottom edges
    };
    for (const auto& c : cases) {
        const FrameEdges edges = EdgesBelow(window, c.top, c.client);
        for (int y = -2; y < window.bottom + 2; ++y)
            for (int x = -2; x < window.right + 2; ++x) {
                const Point p{x, y};
                const bool clipped = window.Contains(p) && y >= c.top && !c.client.Contains(p);
                const bool inner =
                    Rect{window.left + 1, window.top + 1, window.right - 1, window.bottom - 1}.Contains(p);
                int fills = 0;
                bool outlined = false;
                for (const Rect& r : edges.fill)
                    fills += r.Contains(p);
                for (const Rect& r : edges.outline)
                    outlined = outlined || r.Contains(p);
                EXPECT_EQ(fills, clipped && inner ? 1 : 0)
                    << "fill at (" << x << "," << y << "), top " << c.top << ", client " << c.client;
                EXPECT_EQ(outlined, clipped && !inner)
                    << "outline at (" << x << "," << y << "), top " << c.top << ", client " << c.client;
            }
    }
}

}  // namespace
}  // namespace velum

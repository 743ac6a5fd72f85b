// Draws the artwork of the image themes shipped in Skin/ (glass and slate) and writes it as PNGs
// beside their theme files. Everything is drawn here from shapes: anti-aliased rounded
// rectangles, circles and strokes, gradients, gloss and a seeded grain, so the same program
// writes the same bytes on every run.
//   theme-art SKINFOLDER
// The cell sizes follow the metrics each .vlm sets: a caption band or a caption button drawn
// at the size the engine draws it needs no stretching, and stays crisp.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// Straight (not premultiplied) colour, each channel 0 to 1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba Hex(std::uint32_t rgb, float alpha = 1.0f)
{
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba WithAlpha(Rgba c, float alpha)
{
    c.a = alpha;
    return c;
}

Rgba Lighter(const Rgba& c, float amount)
{
    return {c.r + amount, c.g + amount, c.b + amount, c.a};
}

float Clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width * height)) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba& At(int x, int y) { return pixels_[static_cast<size_t>(y * width_ + x)]; }
    const Rgba& At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // Source over destination.
    void Blend(int x, int y, const Rgba& s)
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || s.a <= 0.0f)
            return;
        Rgba& d = At(x, y);
        const float a = s.a + d.a * (1.0f - s.a);
        if (a <= 0.0f) {
            d = {};
            return;
        }
        const float keep = d.a * (1.0f - s.a);
        d = {(s.r * s.a + d.r * keep) / a, (s.g * s.a + d.g * keep) / a, (s.b * s.a + d.b * keep) / a, a};
    }

    // Another canvas over this one, its top left corner at (x, y).
    void Place(const Canvas& other, int x, int y)
    {
        for (int j = 0; j < other.height_; ++j)
            for (int i = 0; i < other.width_; ++i)
                Blend(x + i, y + j, other.At(i, j));
    }

    // 8-bit RGBA, rounded, for the PNG.
    std::vector<unsigned char> Bytes() const
    {
        std::vector<unsigned char> out;
        out.reserve(pixels_.size() * 4);
        const auto byte = [](float v) { return static_cast<unsigned char>(std::lround(Clamp01(v) * 255.0f)); };
        for (const Rgba& p : pixels_) {
            // A fully transparent pixel is written as transparent black, whatever colour it kept.
            const bool clear = byte(p.a) == 0;
            out.push_back(clear ? 0 : byte(p.r));
            out.push_back(clear ? 0 : byte(p.g));
            out.push_back(clear ? 0 : byte(p.b));
            out.push_back(byte(p.a));
        }
        return out;
    }

private:
    int width_, height_;
    std::vector<Rgba> pixels_;
};

struct Box {
    float left, top, right, bottom;
    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    Box Inset(float dx, float dy) const { return {left + dx, top + dy, right - dx, bottom - dy}; }
    Box Inset(float d) const { return Inset(d, d); }
};

Box WholeOf(const Canvas& c)
{
    return {0, 0, static_cast<float>(c.Width()), static_cast<float>(c.Height())};
}

// Signed distance from a point to a rounded rectangle: negative inside.
float RoundBoxDistance(float px, float py, const Box& b, float radius)
{
    const float cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    const float hx = b.Width() / 2 - radius, hy = b.Height() / 2 - radius;
    const float qx = std::abs(px - cx) - hx, qy = std::abs(py - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// How much of the pixel whose centre is at distance `d` outside a shape's edge the shape covers.
float CoverageAt(float d)
{
    return Clamp01(0.5f - d);
}

// Colour at a point of a box, as a fraction of its height (v) and width (u).
using Paint = std::function<Rgba(float u, float v, int x, int y)>;

Paint Solid(const Rgba& c)
{
    return [c](float, float, int, int) { return c; };
}

// A vertical gradient through stops at fractions of the height, top to bottom.
Paint Vertical(std::vector<std::pair<float, Rgba>> stops)
{
    return [stops = std::move(stops)](float, float v, int, int) {
        if (v <= stops.front().first)
            return stops.front().second;
        for (size_t i = 1; i < stops.size(); ++i)
            if (v <= stops[i].first) {
                const float span = stops[i].first - stops[i - 1].first;
                return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (v - stops[i - 1].first) / span : 1.0f);
            }
        return stops.back().second;
    };
}

// Gloss: a bright upper half ending sharply at `split`, a deeper lower half that brightens
// again towards the bottom as light comes through the glass.
Paint Gloss(const Rgba& top, const Rgba& upper, const Rgba& lower, const Rgba& bottom, float split = 0.48f)
{
    return Vertical({{0.0f, top}, {split, upper}, {split + 0.001f, lower}, {1.0f, bottom}});
}

// A pixel's own random number in [-1, 1], the same for the same pixel and seed on every run.
// Periodic in x and y with the given periods, so a textured cell tiles without a seam.
float Grain(int x, int y, std::uint32_t seed, int periodX = 1 << 20, int periodY = 1 << 20)
{
    auto h = static_cast<std::uint32_t>(((x % periodX) + periodX) % periodX) * 0x8DA6B343u;
    h ^= static_cast<std::uint32_t>(((y % periodY) + periodY) % periodY) * 0xD8163841u;
    h ^= seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
}

// Brushed metal: grain smeared along each row, with a faint streak a row, periodic like Grain.
float Brushed(int x, int y, std::uint32_t seed, int periodX)
{
    float sum = 0;
    for (int i = -4; i <= 4; ++i)
        sum += Grain(x + i, y, seed, periodX);
    return 0.65f * sum / 3.0f + 0.35f * Grain(0, y, seed + 7);
}

// Adds texture to a paint: `amount` is the largest change of a channel.
Paint Textured(Paint base, float amount, std::uint32_t seed, bool brushed, int periodX = 64, int periodY = 64)
{
    return [=](float u, float v, int x, int y) {
        Rgba c = base(u, v, x, y);
        const float n = brushed ? Brushed(x, y, seed, periodX) : Grain(x, y, seed, periodX, periodY);
        return Lighter(c, n * amount);
    };
}

// Fills a rounded box with a paint, anti-aliased along its edge, at `opacity`.
void FillRound(Canvas& c, const Box& b, float radius, const Paint& paint, float opacity = 1.0f)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(b.left))), y0 = std::max(0, static_cast<int>(b.top));
    const int x1 = std::min(c.Width(), static_cast<int>(std::ceil(b.right)));
    const int y1 = std::min(c.Height(), static_cast<int>(std::ceil(b.bottom)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float cover = CoverageAt(RoundBoxDistance(px, py, b, radius));
            if (cover <= 0)
                continue;
            Rgba colour = paint((px - b.left) / b.Width(), (py - b.top) / b.Height(), x, y);
            colour.a *= cover * opacity;
            c.Blend(x, y, colour);
        }
}

// A ring `width` wide just inside a rounded box's edge; the inside stays as it is.
void Ring(Canvas& c, const Box& b, float radius, float width, const Paint& paint, float opacity = 1.0f)
{
    const Box inner = b.Inset(width);
    const float innerRadius = std::max(0.0f, radius - width);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float cover = CoverageAt(RoundBoxDistance(px, py, b, radius)) -
                                CoverageAt(RoundBoxDistance(px, py, inner, innerRadius));
            if (cover <= 0)
                continue;
            Rgba colour = paint((px - b.left) / b.Width(), (py - b.top) / b.Height(), x, y);
            colour.a *= cover * opacity;
            c.Blend(x, y, colour);
        }
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay;
    const float t = Clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy));
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// A stroke along points, `width` thick with round ends, anti-aliased by 4x4 samples a pixel.
void Stroke(Canvas& c, std::initializer_list<std::pair<float, float>> points, float width, const Rgba& colour)
{
    const std::vector<std::pair<float, float>> p(points);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4.0f;
                    const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4.0f;
                    float d = 1e9f;
                    for (size_t i = 1; i < p.size(); ++i)
                        d = std::min(d,
                                     SegmentDistance(px, py, p[i - 1].first, p[i - 1].second, p[i].first, p[i].second));
                    inside += d <= width / 2 ? 1 : 0;
                }
            if (inside > 0)
                c.Blend(x, y, WithAlpha(colour, colour.a * static_cast<float>(inside) / 16.0f));
        }
}

// Cells side by side or one above the other, all of the first one's size.
Canvas Strip(const std::vector<Canvas>& cells, bool horizontal)
{
    const int w = cells.front().Width(), h = cells.front().Height();
    const int n = static_cast<int>(cells.size());
    Canvas strip(horizontal ? w * n : w, horizontal ? h : h * n);
    for (int i = 0; i < n; ++i)
        strip.Place(cells[static_cast<size_t>(i)], horizontal ? w * i : 0, horizontal ? 0 : h * i);
    return strip;
}

// The look of one rounded face: the outline, the body, a lighter line just inside the outline
// (strongest at the top), and a shade inside along the top for a pressed face.
struct Face {
    Rgba border;
    Paint body;
    float innerLight = 0;  // the light line's opacity at the top
    Rgba light = Hex(0xFFFFFF);
    float innerShade = 0;  // the pressed shadow's opacity
};

void DrawFace(Canvas& c, const Box& b, float radius, const Face& f)
{
    FillRound(c, b, radius, Solid(f.border));
    const Box inside = b.Inset(1);
    const float r = std::max(0.0f, radius - 1);
    FillRound(c, inside, r, f.body);
    if (f.innerLight > 0) {
        const Rgba light = f.light;
        const float top = f.innerLight;
        Ring(c, inside, r, 1, [=](float, float v, int, int) { return WithAlpha(light, top * (1.0f - 0.7f * v)); });
    }
    if (f.innerShade > 0) {
        const float shade = f.innerShade;
        FillRound(c, inside, r,
                  [=](float, float v, int, int) { return Hex(0x000000, shade * Clamp01(1.0f - v * 4.0f)); });
    }
}

// A check mark's path in a box of `size` pixels.
void CheckMark(Canvas& c, float ox, float size, const Rgba& colour, float width)
{
    const float s = size / 13.0f;
    Stroke(c, {{ox + 3.3f * s, 6.8f * s}, {ox + 5.5f * s, 9.2f * s}, {ox + 9.9f * s, 3.6f * s}}, width, colour);
}

bool WritePng(const std::filesystem::path& path, const Canvas& c)
{
    const std::vector<unsigned char> bytes = c.Bytes();
    std::filesystem::create_directories(path.parent_path());
    if (stbi_write_png(path.string().c_str(), c.Width(), c.Height(), 4, bytes.data(), c.Width() * 4) == 0) {
        std::fprintf(stderr, "theme-art: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

// ---- The two looks --------------------------------------------------------------------------

// The states a strip holds, in the order the theme format reads them.
enum ButtonState { kNormal, kHot, kPressed, kDisabled, kDefault };

// What differs between the looks: colours and sizes, the gloss or grain of the bodies and how
// the bands above the client area are drawn.
struct Look {
    std::string folder;
    std::uint32_t seed;
    int frameWidth, captionHeight, buttonWidth, buttonHeight, menuBarHeight, cornerRadius;
    float grain;   // texture of the dark faces, 0 for none
    bool brushed;  // the bands' texture runs along rows

    // The band above the client area, one row at a time from the window's top edge (frame
    // and caption together), for the active and the inactive window.
    std::function<Rgba(int row, int x, bool active)> band;
    std::function<Rgba(float v, int x, int y, bool active)> side;  // below the band
    Rgba outline[2], edgeLight[2], innerLine[2];                   // active, inactive

    // Faces of the controls, by state.
    std::function<Face(ButtonState)> button;
    std::function<Face(int state)> captionButton;  // normal, hot, pressed, inactive, disabled
    std::function<Face(int state)> closeButton;    // hot, pressed
    std::function<Face(int state)> box;            // normal, hot, pressed, disabled
    std::function<Rgba(int state)> mark;
    std::function<Face(int state)> arrow;   // normal, hot, pressed, disabled
    std::function<Face(int state)> thumb;   // normal, hot, pressed
    std::function<Face(int state)> tab;     // normal, hot, selected
    std::function<Face(int state)> header;  // normal, hot, pressed
    Rgba tabAccent;
    std::function<Rgba(int row, int x)> menuBar;
    Face menuBarHot;
    Face popupSelected;
    Paint popupBody;
    // The popup's colour under a selected item, when the popup is one colour: the item's image
    // is then opaque, and the theme is free to give the selected item a colour of its own.
    std::optional<Rgba> popupUnderSelected;
    Rgba popupBorder, popupLight;
    Rgba groupOuter, groupInner;
    Rgba editOuter[4], editInner[4];  // normal, focused, disabled, read-only
    Face progressTrack, progressBar;
    std::function<Rgba(int row, int x)> statusBar;
    int statusHeight;
};

Canvas Frame(const Look& k, bool active)
{
    const int band = k.frameWidth + k.captionHeight;
    const int w = 32, h = band + 24;
    const int f = k.frameWidth;
    const int i = active ? 0 : 1;
    Canvas c(w, h);
    Canvas body(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float v = static_cast<float>(y - band) / static_cast<float>(h - band);
            body.At(x, y) = y < band ? k.band(y, x, active) : k.side(v, x, y, active);
        }
    // The inner line along the client area, the menu bar and the caption's sides.
    for (int y = band; y < h - f + 1; ++y) {
        body.At(f - 1, y) = k.innerLine[i];
        body.At(w - f, y) = k.innerLine[i];
    }
    for (int x = f - 1; x <= w - f; ++x)
        body.At(x, h - f) = k.innerLine[i];
    const Box whole = WholeOf(c);
    const auto radius = static_cast<float>(k.cornerRadius);
    FillRound(c, whole, radius, [&](float, float, int x, int y) { return body.At(x, y); });
    Ring(c, whole.Inset(1), std::max(0.0f, radius - 1), 1, Solid(k.edgeLight[i]));
    Ring(c, whole, radius, 1, Solid(k.outline[i]));
    return c;
}

// The caption alone: the band's rows below the frame's top edge.
Canvas Caption(const Look& k, bool active)
{
    Canvas c(8, k.captionHeight);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            c.At(x, y) = k.band(y + k.frameWidth, x + k.frameWidth, active);
    return c;
}

// A caption button over the band at the height the engine puts it, so its corners show the
// caption as it is, not the button's fill colour.
Canvas CaptionButton(const Look& k, const Face& face, bool active)
{
    Canvas c(k.buttonWidth, k.buttonHeight);
    const int top = k.frameWidth + (k.captionHeight - k.buttonHeight) / 2;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            c.At(x, y) = k.band(top + y, x + 200, active);
    DrawFace(c, WholeOf(c).Inset(1, 1), 4, face);
    return c;
}

Canvas MenuBar(const Look& k)
{
    Canvas c(8, k.menuBarHeight);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            c.At(x, y) = k.menuBar(y, x);
    return c;
}

// The item under the mouse: a rounded face over the bar's own rows.
Canvas MenuBarHot(const Look& k)
{
    Canvas c(24, k.menuBarHeight);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            c.At(x, y) = k.menuBar(y, x);
    DrawFace(c, WholeOf(c).Inset(1, 2), 4, k.menuBarHot);
    return c;
}

Canvas Popup(const Look& k)
{
    Canvas c(24, 48);
    FillRound(c, WholeOf(c), 0, k.popupBody);
    Ring(c, WholeOf(c).Inset(1), 0, 1, Solid(k.popupLight));
    Ring(c, WholeOf(c), 0, 1, Solid(k.popupBorder));
    return c;
}

Canvas PopupSelected(const Look& k)
{
    Canvas c(24, 24);
    if (k.popupUnderSelected)
        FillRound(c, WholeOf(c), 0, Solid(*k.popupUnderSelected));
    DrawFace(c, WholeOf(c).Inset(2, 1), 4, k.popupSelected);
    return c;
}

Canvas Buttons(const Look& k)
{
    std::vector<Canvas> cells;
    for (ButtonState s : {kNormal, kHot, kPressed, kDisabled, kDefault}) {
        Canvas c(20, 22);
        DrawFace(c, WholeOf(c), 3.5f, k.button(s));
        cells.push_back(std::move(c));
    }
    return Strip(cells, false);
}

Canvas CheckBoxes(const Look& k)
{
    std::vector<Canvas> cells;
    for (int checked = 0; checked < 3; ++checked)
        for (int state = 0; state < 4; ++state) {
            Canvas c(13, 13);
            DrawFace(c, WholeOf(c), 2.5f, k.box(state));
            const Rgba mark = k.mark(state);
            if (checked == 1)
                CheckMark(c, 0, 13, mark, 1.9f);
            else if (checked == 2)
                FillRound(c, WholeOf(c).Inset(3.5f), 1.2f,
                          Vertical({{0.0f, Mix(mark, Hex(0xFFFFFF), 0.35f)}, {1.0f, mark}}));
            cells.push_back(std::move(c));
        }
    return Strip(cells, true);
}

Canvas RadioButtons(const Look& k)
{
    std::vector<Canvas> cells;
    for (int checked = 0; checked < 2; ++checked)
        for (int state = 0; state < 4; ++state) {
            Canvas c(13, 13);
            DrawFace(c, WholeOf(c), 6.5f, k.box(state));
            if (checked == 1) {
                const Rgba mark = k.mark(state);
                const Box dot = WholeOf(c).Inset(3.5f);
                FillRound(c, dot, 3, Vertical({{0.0f, Mix(mark, Hex(0xFFFFFF), 0.45f)}, {1.0f, mark}}));
                FillRound(c, {dot.left + 1.4f, dot.top + 1.0f, dot.right - 2.4f, dot.top + 3.0f}, 1,
                          Solid(Hex(0xFFFFFF, 0.55f)));
            }
            cells.push_back(std::move(c));
        }
    return Strip(cells, true);
}

// The frame of a group box: an etched rounded line, the centre left clear.
Canvas GroupBox(const Look& k)
{
    Canvas c(16, 16);
    Ring(c, WholeOf(c).Inset(1, 1), 4, 1, Solid(k.groupInner));
    Ring(c, {0, 0, 15, 15}, 4, 1, Solid(k.groupOuter));
    return c;
}

// The two pixels of a field's edge: its outline and a softer line inside it.
Canvas Edits(const Look& k)
{
    std::vector<Canvas> cells;
    for (int s = 0; s < 4; ++s) {
        Canvas c(8, 8);
        FillRound(c, WholeOf(c), 1.0f, Solid(k.editOuter[s]));
        FillRound(c, WholeOf(c).Inset(1), 0, Solid(k.editInner[s]));
        cells.push_back(std::move(c));
    }
    return Strip(cells, false);
}

Canvas FaceStrip(const std::function<Face(int)>& face, int states, int w, int h, float radius, float inset = 0)
{
    std::vector<Canvas> cells;
    for (int s = 0; s < states; ++s) {
        Canvas c(w, h);
        DrawFace(c, WholeOf(c).Inset(inset), radius, face(s));
        cells.push_back(std::move(c));
    }
    return Strip(cells, false);
}

// Tabs are open at the bottom, where they meet their page.
Canvas Tabs(const Look& k)
{
    std::vector<Canvas> cells;
    for (int s = 0; s < 3; ++s) {
        Canvas c(20, 22);
        const Face f = k.tab(s);
        const Box b{0, 0, 20, 26};
        DrawFace(c, b, 4, f);
        if (s == 2)
            FillRound(c, {1, 1, 19, 3}, 1, Solid(k.tabAccent));
        cells.push_back(std::move(c));
    }
    return Strip(cells, false);
}

// Column headers: square faces with a short divider at the right and a line along the bottom.
Canvas Headers(const Look& k)
{
    std::vector<Canvas> cells;
    for (int s = 0; s < 3; ++s) {
        Canvas c(12, 22);
        const Face f = k.header(s);
        FillRound(c, WholeOf(c), 0, f.body);
        for (int y = 4; y < 18; ++y) {
            c.Blend(10, y, WithAlpha(f.light, f.innerLight));
            c.Blend(11, y, f.border);
        }
        for (int x = 0; x < 12; ++x)
            c.At(x, 21) = f.border;
        cells.push_back(std::move(c));
    }
    return Strip(cells, false);
}

Canvas StatusBar(const Look& k)
{
    Canvas c(8, k.statusHeight);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            c.At(x, y) = k.statusBar(y, x);
    return c;
}

Canvas Progress(const Face& face, int h)
{
    Canvas c(16, h);
    DrawFace(c, WholeOf(c), 3, face);
    return c;
}

// ---- Glass: light blue glass, glossy bands and faces -----------------------------------------

Look Glass()
{
    Look k;
    k.folder = "glass";
    k.seed = 11;
    k.frameWidth = 5;
    k.captionHeight = 30;
    k.buttonWidth = 32;
    k.buttonHeight = 20;
    k.menuBarHeight = 24;
    k.cornerRadius = 8;
    k.grain = 0;
    k.brushed = false;
    const int bandRows = k.frameWidth + k.captionHeight;
    k.band = [bandRows](int row, int, bool active) {
        const float v = static_cast<float>(row) / static_cast<float>(bandRows - 1);
        return active ? Gloss(Hex(0xEAF4FE), Hex(0xC9E1F9), Hex(0x9CC4EE), Hex(0xB9D8F6), 0.5f)(0, v, 0, 0)
                      : Gloss(Hex(0xF6F8FB), Hex(0xE6EBF1), Hex(0xD5DDE7), Hex(0xDEE5ED), 0.5f)(0, v, 0, 0);
    };
    k.side = [](float v, int, int, bool active) {
        return active ? Mix(Hex(0xB9D8F6), Hex(0xA8CCF1), v) : Mix(Hex(0xDEE5ED), Hex(0xD3DBE5), v);
    };
    k.outline[0] = Hex(0x3F6EA8);
    k.outline[1] = Hex(0x8E9DB0);
    k.edgeLight[0] = Hex(0xFFFFFF, 0.75f);
    k.edgeLight[1] = Hex(0xFFFFFF, 0.6f);
    k.innerLine[0] = Hex(0x7BA2CF);
    k.innerLine[1] = Hex(0xAFBCCB);

    k.button = [](ButtonState s) {
        Face f;
        f.innerLight = 0.85f;
        switch (s) {
        case kNormal:
        case kDefault:
            f.border = s == kDefault ? Hex(0x3F7DCB) : Hex(0x8EA3BD);
            f.body = Gloss(Hex(0xFFFFFF), Hex(0xF1F5FA), Hex(0xE0E9F3), Hex(0xECF2F8));
            if (s == kDefault)
                f.light = Hex(0xA9CDF3), f.innerLight = 1.0f;
            break;
        case kHot:
            f.border = Hex(0x3C84D6);
            f.body = Gloss(Hex(0xEEF7FF), Hex(0xD2E8FD), Hex(0xADD4FA), Hex(0xC8E3FC));
            break;
        case kPressed:
            f.border = Hex(0x32689F);
            f.body = Gloss(Hex(0xD6E8FA), Hex(0xC3DCF6), Hex(0xA9CBF0), Hex(0xBCD8F4));
            f.innerLight = 0;
            f.innerShade = 0.18f;
            break;
        case kDisabled:
            f.border = Hex(0xC3CCD7);
            f.body = Solid(Hex(0xF2F4F7));
            f.innerLight = 0.5f;
            break;
        }
        return f;
    };
    k.captionButton = [](int s) {
        Face f;
        f.innerLight = 0.8f;
        switch (s) {
        case 0:  // normal: a clear glass pane, barely there
            f.border = Hex(0x4A77AE, 0.75f);
            f.body = Gloss(Hex(0xFFFFFF, 0.6f), Hex(0xFFFFFF, 0.25f), Hex(0xFFFFFF, 0.05f), Hex(0xFFFFFF, 0.3f));
            break;
        case 1:
            f.border = Hex(0x2F6DB8);
            f.body = Gloss(Hex(0xE9F5FF), Hex(0xB9DCFB), Hex(0x7DBAF2), Hex(0xA7D3FA));
            break;
        case 2:
            f.border = Hex(0x1F5090);
            f.body = Gloss(Hex(0x6399D8), Hex(0x4A87CF), Hex(0x2F6DB8), Hex(0x4480C8));
            f.innerLight = 0.3f;
            f.innerShade = 0.2f;
            break;
        case 3:  // inactive window
            f.border = Hex(0x8C9BAE, 0.5f);
            f.body = Gloss(Hex(0xFFFFFF, 0.4f), Hex(0xFFFFFF, 0.1f), Hex(0xFFFFFF, 0.0f), Hex(0xFFFFFF, 0.15f));
            break;
        default:  // disabled
            f.border = Hex(0x8FA7C4, 0.35f);
            f.body = Solid(Hex(0xFFFFFF, 0.12f));
            f.innerLight = 0.3f;
            break;
        }
        return f;
    };
    k.closeButton = [](int s) {
        Face f;
        f.innerLight = s == 0 ? 0.7f : 0.25f;
        f.light = Hex(0xFFD9D4);
        f.border = s == 0 ? Hex(0x9E2A22) : Hex(0x7A1C15);
        f.body = s == 0 ? Gloss(Hex(0xE98579), Hex(0xD9503F), Hex(0xBE3426), Hex(0xD0483A))
                        : Gloss(Hex(0xD8786D), Hex(0xB8473B), Hex(0x98251B), Hex(0xB23A2A));
        f.innerShade = s == 0 ? 0 : 0.2f;
        return f;
    };
    k.box = [](int s) {
        Face f;
        f.innerLight = 0;
        const Rgba borders[] = {Hex(0x7F95B0), Hex(0x3D86D8), Hex(0x2C68AE), Hex(0xBCC5D0)};
        f.border = borders[s];
        f.body = s == 0   ? Vertical({{0.0f, Hex(0xE7EDF4)}, {0.5f, Hex(0xF7F9FC)}, {1.0f, Hex(0xFFFFFF)}})
                 : s == 1 ? Vertical({{0.0f, Hex(0xDCEBFB)}, {0.5f, Hex(0xF0F7FF)}, {1.0f, Hex(0xFFFFFF)}})
                 : s == 2 ? Vertical({{0.0f, Hex(0xB9D5F4)}, {1.0f, Hex(0xDCEBFB)}})
                          : Solid(Hex(0xF1F3F6));
        return f;
    };
    k.mark = [](int s) { return s == 3 ? Hex(0xA3AEBB) : s == 2 ? Hex(0x1A4F8F) : Hex(0x1F62B4); };
    k.arrow = [](int s) {
        Face f;
        f.innerLight = 0.8f;
        switch (s) {
        case 0:
            f.border = Hex(0xA9BAD0);
            f.body = Gloss(Hex(0xFCFDFF), Hex(0xEFF4FA), Hex(0xE1E9F3), Hex(0xEAF0F7));
            break;
        case 1:
            f.border = Hex(0x5B98DC);
            f.body = Gloss(Hex(0xF4FAFF), Hex(0xDDEDFD), Hex(0xC3DFFA), Hex(0xD6E9FC));
            break;
        case 2:
            f.border = Hex(0x3A73B6);
            f.body = Gloss(Hex(0xCFE3F8), Hex(0xB9D6F4), Hex(0x9DC4EE), Hex(0xB0D1F2));
            f.innerLight = 0.3f;
            break;
        default:
            f.border = Hex(0xD2DAE4);
            f.body = Solid(Hex(0xF0F3F7));
            f.innerLight = 0.4f;
            break;
        }
        return f;
    };
    k.thumb = [](int s) {
        Face f;
        f.innerLight = 0.75f;
        const Rgba borders[] = {Hex(0x8FA7C5), Hex(0x5A93D4), Hex(0x3A6FB0)};
        const Rgba bodies[] = {Hex(0xD3E2F3), Hex(0xBBD6F4), Hex(0x93BDEB)};
        f.border = borders[s];
        f.body = Solid(bodies[s]);
        return f;
    };
    k.tab = [](int s) {
        Face f;
        f.innerLight = 0.9f;
        f.border = s == 1 ? Hex(0x74A3DA) : Hex(0x9FB2C8);
        f.body = s == 0   ? Vertical({{0.0f, Hex(0xFAFCFE)}, {1.0f, Hex(0xE1E9F2)}})
                 : s == 1 ? Vertical({{0.0f, Hex(0xEAF5FF)}, {1.0f, Hex(0xC3DEFA)}})
                          : Vertical({{0.0f, Hex(0xFFFFFF)}, {0.8f, Hex(0xF3F7FB)}, {1.0f, Hex(0xF3F7FB)}});
        return f;
    };
    k.tabAccent = Hex(0x3D86D8);
    k.header = [](int s) {
        Face f;
        f.border = Hex(0xB5C4D6);
        f.light = Hex(0xFFFFFF);
        f.innerLight = 1.0f;
        f.body = s == 0   ? Vertical({{0.0f, Hex(0xFFFFFF)}, {1.0f, Hex(0xEAF0F6)}})
                 : s == 1 ? Vertical({{0.0f, Hex(0xF5FAFF)}, {1.0f, Hex(0xD9EAFB)}})
                          : Vertical({{0.0f, Hex(0xC8DEF6)}, {1.0f, Hex(0xDCEAF9)}});
        return f;
    };
    k.menuBar = [](int row, int) {
        if (row == 23)
            return Hex(0xB3C6DC);
        const float v = static_cast<float>(row) / 22.0f;
        return Gloss(Hex(0xFDFEFF), Hex(0xF1F6FC), Hex(0xE4EDF7), Hex(0xEBF2FA), 0.5f)(0, v, 0, 0);
    };
    k.menuBarHot.border = Hex(0x7EA8DA);
    k.menuBarHot.innerLight = 0.9f;
    k.menuBarHot.body = Gloss(Hex(0xF5FAFF), Hex(0xE0EEFD), Hex(0xC9E1FA), Hex(0xDCECFC));
    k.popupSelected.border = Hex(0x86ADDC);
    k.popupSelected.innerLight = 0.8f;
    k.popupSelected.body = Vertical({{0.0f, Hex(0xEEF6FF)}, {1.0f, Hex(0xCFE4FA)}});
    k.popupBody = Vertical({{0.0f, Hex(0xFFFFFF)}, {1.0f, Hex(0xEEF3F9)}});
    k.popupBorder = Hex(0x8EA6C2);
    k.popupLight = Hex(0xFFFFFF);
    k.groupOuter = Hex(0xAFC1D6);
    k.groupInner = Hex(0xFFFFFF);
    k.editOuter[0] = Hex(0x9DB0C7), k.editInner[0] = Hex(0xE9EFF6);
    k.editOuter[1] = Hex(0x3D86D8), k.editInner[1] = Hex(0xC2DCF6);
    k.editOuter[2] = Hex(0xC8D0DA), k.editInner[2] = Hex(0xEEF1F4);
    k.editOuter[3] = Hex(0xB1BFCF), k.editInner[3] = Hex(0xF1F4F8);
    k.progressTrack.border = Hex(0x9FB2C8);
    k.progressTrack.body = Vertical({{0.0f, Hex(0xD9E2EC)}, {0.4f, Hex(0xEDF2F7)}, {1.0f, Hex(0xF8FAFC)}});
    k.progressBar.border = Hex(0x2F73C4);
    k.progressBar.innerLight = 0.6f;
    k.progressBar.body = Gloss(Hex(0xB6DCFB), Hex(0x7DBCF3), Hex(0x3E92E4), Hex(0x62AEF0));
    k.statusHeight = 22;
    k.statusBar = [](int row, int) {
        if (row == 0)
            return Hex(0xB3C6DC);
        if (row == 1)
            return Hex(0xFFFFFF);
        return Mix(Hex(0xF3F7FB), Hex(0xDFE8F2), static_cast<float>(row - 2) / 19.0f);
    };
    return k;
}

// ---- Slate: charcoal with a brushed grain, amber accents -------------------------------------

Look Slate()
{
    Look k;
    k.folder = "slate";
    k.seed = 29;
    k.frameWidth = 4;
    k.captionHeight = 28;
    k.buttonWidth = 30;
    k.buttonHeight = 20;
    k.menuBarHeight = 24;
    k.cornerRadius = 6;
    k.grain = 0.018f;
    k.brushed = true;
    const std::uint32_t seed = k.seed;
    const int bandRows = k.frameWidth + k.captionHeight;
    // Rows repeat every 64 pixels along the band, so the stretched or tiled band has no seam.
    k.band = [seed, bandRows](int row, int x, bool active) {
        const float v = static_cast<float>(row) / static_cast<float>(bandRows - 1);
        Rgba c = active ? Vertical({{0.0f, Hex(0x4A4F57)}, {0.12f, Hex(0x3C4047)}, {1.0f, Hex(0x26292E)}})(0, v, 0, 0)
                        : Vertical({{0.0f, Hex(0x3A3D42)}, {0.12f, Hex(0x313338)}, {1.0f, Hex(0x26282B)}})(0, v, 0, 0);
        // The bottom row of the band: an amber line under an active caption.
        if (row == bandRows - 1 && active)
            return Hex(0xC98A2E);
        return Lighter(c, 0.02f * Brushed(x, row, seed, 64));
    };
    k.side = [seed](float, int x, int y, bool active) {
        return Lighter(active ? Hex(0x2A2D32) : Hex(0x27292D), 0.015f * Grain(x, y, seed + 3));
    };
    k.outline[0] = Hex(0x0B0C0E);
    k.outline[1] = Hex(0x141518);
    k.edgeLight[0] = Hex(0x6A7079, 0.7f);
    k.edgeLight[1] = Hex(0x55595F, 0.6f);
    k.innerLine[0] = Hex(0x17191C);
    k.innerLine[1] = Hex(0x1B1D20);

    const auto grained = [seed](Paint p, std::uint32_t salt) {
        return Textured(std::move(p), 0.014f, seed + salt, false);
    };
    k.button = [grained](ButtonState s) {
        Face f;
        f.light = Hex(0x8C929B);
        f.innerLight = 0.55f;
        switch (s) {
        case kNormal:
        case kDefault:
            f.border = Hex(0x121315);
            f.body = grained(Vertical({{0.0f, Hex(0x50555D)}, {0.5f, Hex(0x43474E)}, {1.0f, Hex(0x373A40)}}), 1);
            if (s == kDefault)
                f.border = Hex(0xD0912F), f.light = Hex(0xF1B75A), f.innerLight = 0.55f;
            break;
        case kHot:
            f.border = Hex(0xE0A040);
            f.body = grained(Vertical({{0.0f, Hex(0x5E636C)}, {0.5f, Hex(0x51555D)}, {1.0f, Hex(0x43464D)}}), 1);
            f.light = Hex(0xA9AFB8);
            break;
        case kPressed:
            f.border = Hex(0xC98A2E);
            f.body = grained(Vertical({{0.0f, Hex(0x25272B)}, {1.0f, Hex(0x34373C)}}), 1);
            f.innerLight = 0;
            f.innerShade = 0.35f;
            break;
        case kDisabled:
            f.border = Hex(0x25272A);
            f.body = Solid(Hex(0x303236));
            f.innerLight = 0.12f;
            break;
        }
        return f;
    };
    k.captionButton = [](int s) {
        Face f;
        f.light = Hex(0x9AA0A8);
        f.innerLight = 0.35f;
        switch (s) {
        case 0:
            f.border = Hex(0x101113, 0.7f);
            f.body = Vertical({{0.0f, Hex(0x565B63, 0.6f)}, {1.0f, Hex(0x2E3136, 0.6f)}});
            break;
        case 1:
            f.border = Hex(0x0E0F11);
            f.body = Vertical({{0.0f, Hex(0xF4BE62)}, {0.5f, Hex(0xE3A241)}, {1.0f, Hex(0xC7862A)}});
            f.light = Hex(0xFFE2A8);
            f.innerLight = 0.6f;
            break;
        case 2:
            f.border = Hex(0x0E0F11);
            f.body = Vertical({{0.0f, Hex(0xA86D1C)}, {1.0f, Hex(0xC7862A)}});
            f.innerLight = 0;
            f.innerShade = 0.3f;
            break;
        case 3:
            f.border = Hex(0x101113, 0.5f);
            f.body = Vertical({{0.0f, Hex(0x45484E, 0.5f)}, {1.0f, Hex(0x2B2D31, 0.5f)}});
            f.innerLight = 0.2f;
            break;
        default:
            f.border = Hex(0x101113, 0.35f);
            f.body = Solid(Hex(0x3A3D42, 0.35f));
            f.innerLight = 0.1f;
            break;
        }
        return f;
    };
    k.closeButton = [](int s) {
        Face f;
        f.border = Hex(0x0E0F11);
        f.light = Hex(0xFF9D8E);
        f.innerLight = s == 0 ? 0.5f : 0;
        f.body = s == 0 ? Vertical({{0.0f, Hex(0xE4584A)}, {0.5f, Hex(0xCC3B2E)}, {1.0f, Hex(0xA82A20)}})
                        : Vertical({{0.0f, Hex(0x8A2119)}, {1.0f, Hex(0xA82A20)}});
        f.innerShade = s == 0 ? 0 : 0.3f;
        return f;
    };
    k.box = [](int s) {
        Face f;
        const Rgba borders[] = {Hex(0x6A7078), Hex(0xE0A040), Hex(0xC98A2E), Hex(0x3E4146)};
        f.border = borders[s];
        f.body = s == 2   ? Vertical({{0.0f, Hex(0x17181B)}, {1.0f, Hex(0x2E2820)}})
                 : s == 3 ? Solid(Hex(0x26282B))
                          : Vertical({{0.0f, Hex(0x15161A)}, {1.0f, Hex(0x2A2D32)}});
        f.light = Hex(0x000000);
        f.innerLight = s == 3 ? 0 : 0.35f;
        return f;
    };
    k.mark = [](int s) { return s == 3 ? Hex(0x6A6F76) : s == 1 ? Hex(0xFFC060) : Hex(0xF0A93B); };
    k.arrow = [grained](int s) {
        Face f;
        f.light = Hex(0x7C828B);
        f.innerLight = 0.4f;
        switch (s) {
        case 0:
            f.border = Hex(0x141517);
            f.body = grained(Vertical({{0.0f, Hex(0x42464D)}, {1.0f, Hex(0x35383D)}}), 2);
            break;
        case 1:
            f.border = Hex(0xC98A2E);
            f.body = grained(Vertical({{0.0f, Hex(0x51555D)}, {1.0f, Hex(0x42454B)}}), 2);
            break;
        case 2:
            f.border = Hex(0xC98A2E);
            f.body = Vertical({{0.0f, Hex(0x25272B)}, {1.0f, Hex(0x303338)}});
            f.innerLight = 0;
            break;
        default:
            f.border = Hex(0x1D1F22);
            f.body = Solid(Hex(0x2B2D31));
            f.innerLight = 0.08f;
            break;
        }
        return f;
    };
    k.thumb = [](int s) {
        Face f;
        f.light = Hex(0x9AA0A8);
        f.innerLight = s == 2 ? 0.5f : 0.3f;
        f.light = s == 2 ? Hex(0xFFD58A) : Hex(0x8A9099);
        const Rgba borders[] = {Hex(0x141517), Hex(0x141517), Hex(0x5E3E10)};
        const Rgba bodies[] = {Hex(0x51565E), Hex(0x666C75), Hex(0xD69630)};
        f.border = borders[s];
        f.body = Solid(bodies[s]);
        return f;
    };
    k.tab = [grained](int s) {
        Face f;
        f.border = Hex(0x141517);
        f.light = Hex(0x737982);
        f.innerLight = 0.45f;
        f.body = s == 0   ? grained(Vertical({{0.0f, Hex(0x3A3D43)}, {1.0f, Hex(0x303338)}}), 3)
                 : s == 1 ? grained(Vertical({{0.0f, Hex(0x4A4E55)}, {1.0f, Hex(0x3C3F45)}}), 3)
                          : Solid(Hex(0x2B2E33));
        return f;
    };
    k.tabAccent = Hex(0xE0A040);
    k.header = [grained](int s) {
        Face f;
        f.border = Hex(0x141517);
        f.light = Hex(0x5C6169);
        f.innerLight = 1.0f;
        f.body = s == 0   ? grained(Vertical({{0.0f, Hex(0x40444A)}, {1.0f, Hex(0x33363B)}}), 4)
                 : s == 1 ? grained(Vertical({{0.0f, Hex(0x4D5158)}, {1.0f, Hex(0x3F4248)}}), 4)
                          : Vertical({{0.0f, Hex(0x26282C)}, {1.0f, Hex(0x34373C)}});
        return f;
    };
    k.menuBar = [seed](int row, int x) {
        if (row == 23)
            return Hex(0x121315);
        if (row == 0)
            return Hex(0x43474E);
        const float v = static_cast<float>(row) / 22.0f;
        const Rgba c = Mix(Hex(0x35383E), Hex(0x2B2E33), v);
        return Lighter(c, 0.016f * Brushed(x, row, seed + 5, 8));
    };
    k.menuBarHot.border = Hex(0xB9802B);
    k.menuBarHot.light = Hex(0x8C929B);
    k.menuBarHot.innerLight = 0.35f;
    k.menuBarHot.body = Vertical({{0.0f, Hex(0x585D65)}, {1.0f, Hex(0x464A51)}});
    k.popupSelected.border = Hex(0x8A5A14);
    k.popupSelected.light = Hex(0xFFDFA0);
    k.popupSelected.innerLight = 0.6f;
    k.popupSelected.body = Vertical({{0.0f, Hex(0xF3BA5C)}, {1.0f, Hex(0xDB9A35)}});
    k.popupUnderSelected = Hex(0x2D3035);
    k.popupBody = Textured(Solid(Hex(0x2D3035)), 0.016f, seed + 6, false, 16, 40);
    k.popupBorder = Hex(0x0E0F11);
    k.popupLight = Hex(0x474B52);
    k.groupOuter = Hex(0x141517);
    k.groupInner = Hex(0x44484F);
    k.editOuter[0] = Hex(0x111214), k.editInner[0] = Hex(0x3A3E44);
    k.editOuter[1] = Hex(0xD0912F), k.editInner[1] = Hex(0x5A4424);
    k.editOuter[2] = Hex(0x1C1D20), k.editInner[2] = Hex(0x2C2E32);
    k.editOuter[3] = Hex(0x15161A), k.editInner[3] = Hex(0x33363B);
    k.progressTrack.border = Hex(0x0F1012);
    k.progressTrack.body = Vertical({{0.0f, Hex(0x141517)}, {1.0f, Hex(0x25272B)}});
    k.progressBar.border = Hex(0x7A4E10);
    k.progressBar.light = Hex(0xFFE0A0);
    k.progressBar.innerLight = 0.55f;
    k.progressBar.body = Gloss(Hex(0xF7C36B), Hex(0xECAA45), Hex(0xD18E2A), Hex(0xE3A13C));
    k.statusHeight = 22;
    k.statusBar = [seed](int row, int x) {
        if (row == 0)
            return Hex(0x111214);
        if (row == 1)
            return Hex(0x43474E);
        const Rgba c = Mix(Hex(0x33363B), Hex(0x2A2D31), static_cast<float>(row - 2) / 19.0f);
        return Lighter(c, 0.016f * Brushed(x, row, seed + 8, 8));
    };
    return k;
}

bool WriteLook(const std::filesystem::path& skin, const Look& k)
{
    const std::filesystem::path dir = skin / k.folder;
    const std::vector<std::pair<const char*, Canvas>> images = {
        {"frame.png", Strip({Frame(k, true), Frame(k, false)}, false)},
        {"caption.png", Strip({Caption(k, true), Caption(k, false)}, false)},
        {"caption-buttons.png",
         Strip({CaptionButton(k, k.captionButton(0), true), CaptionButton(k, k.captionButton(1), true),
                CaptionButton(k, k.captionButton(2), true), CaptionButton(k, k.captionButton(3), false),
                CaptionButton(k, k.captionButton(4), true)},
               true)},
        {"close.png",
         Strip({CaptionButton(k, k.closeButton(0), true), CaptionButton(k, k.closeButton(1), true)}, true)},
        {"menubar.png", MenuBar(k)},
        {"menubar-hot.png", MenuBarHot(k)},
        {"popup.png", Popup(k)},
        {"popup-selected.png", PopupSelected(k)},
        {"button.png", Buttons(k)},
        {"check.png", CheckBoxes(k)},
        {"radio.png", RadioButtons(k)},
        {"groupbox.png", GroupBox(k)},
        {"edit.png", Edits(k)},
        {"scroll-arrows.png", FaceStrip(k.arrow, 4, 16, 16, 3)},
        {"scroll-thumb.png", FaceStrip(k.thumb, 3, 16, 16, 3.5f)},
        {"progress.png", Progress(k.progressTrack, 16)},
        {"progress-bar.png", Progress(k.progressBar, 14)},
        {"tabs.png", Tabs(k)},
        {"header.png", Headers(k)},
        {"statusbar.png", StatusBar(k)},
    };
    bool ok = true;
    for (const auto& [name, canvas] : images)
        ok = WritePng(dir / name, canvas) && ok;
    if (ok)
        std::printf("theme-art: wrote %zu images to %s\n", images.size(), dir.string().c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: theme-art SKINFOLDER\n");
        return 2;
    }
    // The same bytes every run: stb's own compression level, not one left to a default elsewhere.
    stbi_write_png_compression_level = 9;
    const std::filesystem::path skin = argv[1];
    bool ok = WriteLook(skin, Glass());
    ok = WriteLook(skin, Slate()) && ok;
    return ok ? 0 : 1;
}

// Draws Zentora's application icon and writes it as one .ico holding eleven sizes.
// Build and run with scripts/make-icon.sh; the result is committed as app/Zentora.ico.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

double Clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// Signed distance to a rounded square centred in the unit square.
double RoundedSquare(double x, double y, double half, double radius)
{
    const double qx = std::fabs(x - 0.5) - (half - radius);
    const double qy = std::fabs(y - 0.5) - (half - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// Distance to the segment a-b.
double Segment(double x, double y, double ax, double ay, double bx, double by)
{
    const double px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const double t = Clamp01((px * dx + py * dy) / (dx * dx + dy * dy));
    return std::hypot(px - t * dx, py - t * dy);
}

Rgba Over(Rgba top, Rgba under)
{
    const double a = top.a + under.a * (1 - top.a);
    if (a <= 0)
        return {0, 0, 0, 0};
    auto mix = [&](double t, double u) { return (t * top.a + u * under.a * (1 - top.a)) / a; };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), a};
}

// One sample of the picture at (x, y) in [0,1]^2.
Rgba Sample(double x, double y)
{
    Rgba c{0, 0, 0, 0};
    const double body = RoundedSquare(x, y, 0.46, 0.12);
    if (body <= 0) {
        const double t = Clamp01((x + y) / 2);  // teal at the top left to indigo at the bottom right
        c = {0.05 + 0.20 * t, 0.62 - 0.40 * t, 0.66 + 0.18 * t, 1.0};
        if (y < 0.27)  // a lighter title band, like a skinned caption
            c = Over({1, 1, 1, 0.22}, c);
        if (y < 0.27 && std::hypot(x - 0.80, y - 0.165) < 0.045)
            c = Over({1.0, 0.45, 0.38, 1}, c);  // the close button
    }
    const double stroke = 0.065;
    const double z = std::min({Segment(x, y, 0.30, 0.40, 0.70, 0.40), Segment(x, y, 0.70, 0.40, 0.30, 0.80),
                               Segment(x, y, 0.30, 0.80, 0.70, 0.80)});
    if (z < stroke && body <= 0)
        c = Over({1, 1, 1, 0.96}, c);
    return c;
}

std::vector<std::uint8_t> Render(int size)
{
    constexpr int kGrid = 4;  // 4x4 samples a pixel smooth the edges
    std::vector<std::uint8_t> bgra(static_cast<size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const Rgba s = Sample((px + (sx + 0.5) / kGrid) / size, (py + (sy + 0.5) / kGrid) / size);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            }
            const double n = kGrid * kGrid;
            const double alpha = a / n;
            const size_t row = static_cast<size_t>(size - 1 - py);  // bitmaps run bottom-up
            std::uint8_t* p = &bgra[(row * size + px) * 4];
            auto channel = [&](double premultiplied) {
                return static_cast<std::uint8_t>(std::lround(a > 0 ? Clamp01(premultiplied / a) * 255 : 0));
            };
            p[0] = channel(b);
            p[1] = channel(g);
            p[2] = channel(r);
            p[3] = static_cast<std::uint8_t>(std::lround(alpha * 255));
        }
    }
    return bgra;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 32-bit DIB with its AND mask, the form every Windows version reads.
std::vector<std::uint8_t> IconImage(int size)
{
    const std::vector<std::uint8_t> bgra = Render(size);
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    out.insert(out.end(), bgra.begin(), bgra.end());
    const size_t maskStride = static_cast<size_t>((size + 31) / 32) * 4;
    for (int row = 0; row < size; ++row) {
        std::vector<std::uint8_t> mask(maskStride, 0);
        for (int x = 0; x < size; ++x)
            if (bgra[(static_cast<size_t>(row) * size + x) * 4 + 3] == 0)
                mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icon OUTPUT.ico\n");
        return 2;
    }
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 192, 255};
    std::vector<std::vector<std::uint8_t>> images;
    for (const int size : sizes)
        images.push_back(IconImage(size));

    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<std::uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        file.insert(file.end(), image.begin(), image.end());

    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

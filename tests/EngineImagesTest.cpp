// Themes with artwork on a program's window: a frame image nine-sliced around the window at
// several sizes, its edges stretched or tiled, a caption's strip of active and inactive states,
// and images the engine must refuse, each with the look kept.
#include "EngineTestKit.h"
#include "images/PngWriter.h"

using namespace enginetest;

namespace {

constexpr std::uint32_t kTopLeft = 0xFFC00000, kTopRight = 0xFF00C000, kBottomLeft = 0xFF0000C0,
                        kBottomRight = 0xFFC0C000, kTop = 0xFF305070, kBottom = 0xFF706050, kLeft = 0xFF703050,
                        kLeftLower = 0xFF2080A0, kRight = 0xFF507030, kCentre = 0xFF202020;

// 24x24: 6-pixel corners, edges between them; the left edge is two colours, 6 rows each.
std::string FrameImage()
{
    std::vector<std::uint32_t> p(24 * 24, kCentre);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool left = x < 6, right = x >= 18, top = y < 6, bottom = y >= 18;
            std::uint32_t& c = p[static_cast<std::size_t>(y * 24 + x)];
            if (top)
                c = left ? kTopLeft : right ? kTopRight : kTop;
            else if (bottom)
                c = left ? kBottomLeft : right ? kBottomRight : kBottom;
            else if (left)
                c = y < 12 ? kLeft : kLeftLower;
            else if (right)
                c = kRight;
        }
    return testimages::Png(24, 24, p);
}

COLORREF Ref(std::uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

class ThemeFolder {
public:
    ThemeFolder() : path_(harness::BuildFolder() + L"\\tests\\images-" + std::to_wstring(GetCurrentProcessId()))
    {
        CreateDirectoryW((harness::BuildFolder() + L"\\tests").c_str(), nullptr);
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\art").c_str(), nullptr);
    }
    ~ThemeFolder()
    {
        for (const auto& f : files_)
            DeleteFileW(f.c_str());
        RemoveDirectoryW((path_ + L"\\art").c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes)
    {
        const std::wstring file = path_ + L"\\" + name;
        harness::WriteBytes(file, bytes);
        files_.push_back(file);
        return file;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

const char kFrameTheme[] = R"([Theme]
name = Art
[Metrics]
frame-width = 6
caption-height = 26
menubar-height = 22
corner-radius = 0
[Frame]
background = #000000
image = art/frame.png
image-margins = 6
)";

}  // namespace

TEST(EngineImages, AFrameImageIsNineSlicedAroundTheWindowAtEverySize)
{
    ThemeFolder folder;
    folder.Write(L"art\\frame.png", FrameImage());
    UiThread ui;
    HWND hwnd = ui.Window();
    for (const bool tile : {false, true}) {
        const std::wstring theme =
            folder.Write(tile ? L"tiled.vlm" : L"stretched.vlm",
                         std::string(kFrameTheme) + (tile ? "image-fill = tile\n" : "image-fill = stretch\n"));
        ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
        for (const SIZE size : {SIZE{320, 200}, SIZE{521, 347}, SIZE{760, 530}}) {
            SCOPED_TRACE((tile ? "tiled, " : "stretched, ") + std::to_string(size.cx) + "x" + std::to_string(size.cy));
            ui.Call([&] {
                return static_cast<int>(SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER));
            });
            ui.Activate();
            const int w = size.cx, h = size.cy;
            // The corners, every pixel as in the image.
            const struct {
                int x, y;
                std::uint32_t colour;
            } corners[] = {
                {0, 0, kTopLeft}, {w - 6, 0, kTopRight}, {0, h - 6, kBottomLeft}, {w - 6, h - 6, kBottomRight}};
            ASSERT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, 0, 0) == Ref(kTopLeft); }))
                << Hex(WindowPixel(hwnd, 0, 0));
            for (const auto& c : corners) {
                int wrong = 0;
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 6; ++x)
                        wrong += WindowPixel(hwnd, c.x + x, c.y + y) != Ref(c.colour) ? 1 : 0;
                EXPECT_EQ(wrong, 0) << "corner at " << c.x << "," << c.y;
            }
            // The edges: top, right and bottom one colour along their length; the left one two,
            // which stretch into one half each, or repeat every 12 rows from the top.
            EXPECT_EQ(WindowPixel(hwnd, w / 2, 2), Ref(kTop));
            EXPECT_EQ(WindowPixel(hwnd, w - 3, h / 2), Ref(kRight));
            EXPECT_EQ(WindowPixel(hwnd, w / 2, h - 3), Ref(kBottom));
            const int edge = h - 12;
            for (const int y : {6 + 3, 6 + 9, 6 + 12 + 3, 6 + 12 + 9, h - 6 - 4}) {
                const int along = y - 6;
                const bool upper = tile ? along % 12 < 6 : along < edge / 2;
                if (!tile && std::abs(along - edge / 2) < 2)
                    continue;
                EXPECT_EQ(Hex(WindowPixel(hwnd, 2, y)), Hex(Ref(upper ? kLeft : kLeftLower))) << "left edge, row " << y;
            }
        }
    }
}

// A caption image of two states: the active window shows the first, an inactive one the second.
TEST(EngineImages, ACaptionStripShowsTheActiveAndInactiveStates)
{
    ThemeFolder folder;
    constexpr std::uint32_t kActive = 0xFF3060C0, kInactive = 0xFF909090;
    std::vector<std::uint32_t> strip(4 * 8, kActive);
    for (std::size_t i = 16; i < strip.size(); ++i)
        strip[i] = kInactive;
    folder.Write(L"art\\caption.png", testimages::Png(4, 8, strip));
    const std::wstring theme = folder.Write(L"caption.vlm", "[Caption]\nimage = art/caption.png\nimage-states = 2\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    const velum::Theme t = LoadExpected(theme);
    const int f = t.metrics.frameWidth;
    RECT r{};
    GetWindowRect(hwnd, &r);
    const POINT at{(r.right - r.left) / 2 + 60, f + 3};
    ui.Activate();
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, at.x, at.y) == Ref(kActive); }))
        << Hex(WindowPixel(hwnd, at.x, at.y));
    HWND other = nullptr;
    ui.Call([&] {
        other = CreateWindowExW(0, kClass, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 420, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        return 0;
    });
    EXPECT_TRUE(WaitUntil([&] { return WindowPixel(hwnd, at.x, at.y) == Ref(kInactive); }))
        << Hex(WindowPixel(hwnd, at.x, at.y));
    ui.Call([&] { return static_cast<int>(DestroyWindow(other)); });
}

// A caption-button strip: the close button in its normal, hot, pressed and inactive states
// shows each state's part of the strip, under the mouse as a person moves and presses it.
TEST(EngineImages, ACaptionButtonStripShowsEachState)
{
    ThemeFolder folder;
    const std::uint32_t states[] = {0xFF204080, 0xFF3070C0, 0xFF102040, 0xFF707070, 0xFF505050};
    std::vector<std::uint32_t> strip;
    for (const std::uint32_t c : states)
        strip.insert(strip.end(), 8 * 8, c);
    folder.Write(L"art/buttons.png", testimages::Png(8, 40, strip));
    const std::wstring theme =
        folder.Write(L"buttons.vlm", "[CaptionButton]\nimage = art/buttons.png\nimage-states = 5\n");
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(theme), VELUM_OK) << ui.LastError();
    ui.Activate();
    const velum::Theme t = LoadExpected(theme);
    const Sample close = FrameSamples(hwnd, t, true)[1];
    ASSERT_STREQ(close.part, "close button");
    RECT w{};
    GetWindowRect(hwnd, &w);
    const auto shows = [&](std::uint32_t c) {
        return WaitUntil([&] { return WindowPixel(hwnd, close.at.x, close.at.y) == Ref(c); });
    };
    EXPECT_TRUE(shows(states[0])) << "normal: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    SetCursorPos(w.left + close.at.x + 4, w.top + close.at.y + 4);
    EXPECT_TRUE(shows(states[1])) << "hot: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(shows(states[2])) << "pressed: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    // Let go away from the button: the window stays.
    SetCursorPos(w.left + 200, w.bottom + 100);
    Sleep(150);
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(IsWindow(hwnd));
    HWND other = nullptr;
    ui.Call([&] {
        other = CreateWindowExW(0, kClass, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 420, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        return 0;
    });
    EXPECT_TRUE(shows(states[3])) << "inactive: " << Hex(WindowPixel(hwnd, close.at.x, close.at.y));
    ui.Call([&] { return static_cast<int>(DestroyWindow(other)); });
}

// Every image the engine cannot use fails the whole call with the key's line and column, and
// the look in use stays.
TEST(EngineImages, ImagesThatCannotBeUsedAreRefusedWithTheLookKept)
{
    ThemeFolder folder;
    const std::string png = testimages::Png(12, 12, std::vector<std::uint32_t>(144, 0xFF808080));
    folder.Write(L"art\\good.png", png);
    folder.Write(L"art\\truncated.png", png.substr(0, png.size() / 2));
    folder.Write(L"art\\text.png", "[Caption]\nbackground = #FFFFFF\n");
    folder.Write(L"art\\wide.png", testimages::Png(4097, 1, std::vector<std::uint32_t>(4097, 0xFF000000)));
    const struct {
        const char* what;
        std::string keys;
        int code;
        const char* error;
    } cases[] = {
        {"missing", "image = art/none.png", VELUM_E_THEME, ":3:9: error: 'art/none.png': cannot open the image"},
        {"truncated", "image = art/truncated.png", VELUM_E_THEME, "'art/truncated.png': the image cannot be decoded"},
        {"not an image", "image = art/text.png", VELUM_E_THEME, "'art/text.png': not a PNG or BMP image"},
        {"a strip that does not divide", "image = art/good.png\nimage-states = 5", VELUM_E_THEME,
         "do not divide into 5 states"},
        {"margins larger than the image", "image = art/good.png\nimage-margins = 7", VELUM_E_THEME,
         "sizing margins (7 7 7 7) do not fit"},
        {"over the size cap", "image = art/wide.png", VELUM_E_THEME, "at most 4096 on a side"},
        {"a path leaving the folder", "image = ../art/good.png", VELUM_E_THEME, ":3:9: error: the image path leaves"},
    };
    UiThread ui;
    HWND hwnd = ui.Window();
    const std::wstring good = SkinFile(L"midnight.vlm");
    ASSERT_EQ(ui.AttachEx(good), VELUM_OK);
    ui.Activate();
    const velum::Theme kept = LoadExpected(good);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring theme = folder.Write(L"broken.vlm", "[Caption]\nbackground = #FF0000\n" + c.keys + "\n");
        EXPECT_EQ(ui.AttachEx(theme), c.code);
        EXPECT_NE(ui.LastError().find(c.error), std::string::npos) << ui.LastError();
        ExpectFrame(hwnd, kept, true, "after a refused theme");
    }
}

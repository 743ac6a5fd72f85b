// What a developer who ships the engine calls beside attaching: paths in UTF-16, windows the
// engine must leave alone, the theme's colours and fonts for a program's own drawing, and the
// message that tells the program the look changed.
#include "EngineTestKit.h"

#include <commctrl.h>

using namespace enginetest;

namespace {

std::wstring WideError()
{
    std::wstring text(1024, L'\0');
    Velum_GetLastErrorTextW(text.data(), static_cast<int>(text.size()));
    return text.c_str();
}

// The window's pixels as the window has them (its whole rectangle).
std::vector<COLORREF> Pixels(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::vector<COLORREF> pixels;
    HDC dc = GetWindowDC(hwnd);
    for (int y = 0; y < r.bottom - r.top; y += 2)
        for (int x = 0; x < r.right - r.left; x += 2)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}

WNDPROC ProcedureOf(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

}  // namespace

// The test window's procedure, which excludes the window itself when asked from inside it.
LRESULT CALLBACK SelfExcludingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 9)
        return Velum_ExcludeWindow(hwnd, static_cast<int>(wParam));
    return RecordingProc(hwnd, message, wParam, lParam);
}

WNDPROC programsPrevious = nullptr;
int programsMessages = 0;

// A program's own subclass of one of its controls, made after the engine took the control.
LRESULT CALLBACK ProgramsSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++programsMessages;
    return CallWindowProcW(programsPrevious, hwnd, message, wParam, lParam);
}

TEST(EngineKit, WideCallsReachPathsTheCodePageCannotSpell)
{
    const std::wstring folder = harness::BuildFolder() + L"\\tests\\테마 🎨 " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW((harness::BuildFolder() + L"\\tests").c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    const std::wstring good = folder + L"\\주제.vlm", broken = folder + L"\\깨진.vlm";
    harness::WriteBytes(good, harness::ReadBytes(SkinFile(L"velum.vlm")));
    harness::WriteBytes(broken, "[Theme]\nname = x\n\n[Caption]\nbackground = #12345G\n");

    const struct {
        const char* what;
        std::function<int()> call;
        int code;
        std::wstring text;  // in the wide error text; empty: no error
    } cases[] = {
        {"the wide call loads it", [&] { return Velum_AttachExW(good.c_str(), L""); }, VELUM_OK, L""},
        {"the ANSI call cannot name it", [&] { return Velum_AttachEx(harness::Ansi(good).c_str(), ""); }, VELUM_E_FILE,
         L"cannot open the theme file"},
        {"errors name the file, its line and column", [&] { return Velum_AttachExW(broken.c_str(), nullptr); },
         VELUM_E_THEME, broken + L":5:20: error:"},
        {"a scheme the code page cannot spell", [&] { return Velum_AttachExW(good.c_str(), L"없음"); }, VELUM_E_SCHEME,
         L"no scheme named \"없음\""},
        {"no path", [&] { return Velum_AttachExW(nullptr, nullptr); }, VELUM_E_ARGUMENT, L"no theme file given"},
    };
    UiThread ui;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring text;
        std::string ansi(1024, '\0');
        int ansiLength = 0;
        EXPECT_EQ(ui.Call([&] {
            const int result = c.call();
            text = WideError();
            ansiLength = Velum_GetLastErrorText(ansi.data(), static_cast<int>(ansi.size()));
            return result;
        }),
                  c.code);
        if (c.text.empty()) {
            EXPECT_EQ(text, L"");
            EXPECT_EQ(ansiLength, 0);
        } else {
            EXPECT_NE(text.find(c.text), std::wstring::npos) << harness::Utf8(text);
            // The ANSI text says the same in the code page, with what it cannot spell replaced.
            EXPECT_EQ(ansi.c_str(), harness::Ansi(text));
        }
    }
    // A wide buffer is cut in characters and always ended.
    wchar_t small[5] = L"????";
    EXPECT_EQ(ui.Call([&] { return Velum_GetLastErrorTextW(small, 5); }),
              static_cast<int>(std::wstring(L"no theme file given").size()));
    EXPECT_STREQ(small, L"no t");
    DeleteFileW(good.c_str());
    DeleteFileW(broken.c_str());
    RemoveDirectoryW(folder.c_str());
}

// An excluded window and everything inside it look and work as without the engine: the
// pixels are the unskinned ones and the procedures the program's own. Given back, it is
// skinned again at once.
TEST(EngineKit, ExcludedWindowsKeepTheSystemsLookAndProcedures)
{
    InitCommonControls();
    UiThread ui;
    HWND main = ui.Window();
    struct Control {
        const wchar_t* name;
        const wchar_t* cls;
        DWORD style;
        RECT at;
    } controls[] = {
        {L"button", L"BUTTON", BS_PUSHBUTTON, {20, 20, 110, 28}},
        {L"check box", L"BUTTON", BS_AUTOCHECKBOX, {150, 20, 110, 24}},
        {L"edit", L"EDIT", WS_BORDER | ES_AUTOHSCROLL, {20, 60, 150, 24}},
        {L"list box", L"LISTBOX", WS_BORDER | WS_VSCROLL | LBS_NOTIFY, {20, 95, 150, 70}},
        {L"combo box", L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, {200, 60, 150, 120}},
        {L"scroll bar", L"SCROLLBAR", SBS_HORZ, {200, 100, 150, 18}},
        {L"progress bar", PROGRESS_CLASSW, 0, {200, 130, 150, 18}},
    };
    std::vector<HWND> windows;
    HWND holder = nullptr;
    ui.Call([&] {
        // The progress bar stands in a window of its own (see below).
        holder = CreateWindowExW(0, kClass, L"holder", WS_POPUP | WS_VISIBLE | WS_BORDER, 600, 450, 200, 60, main,
                                 nullptr, nullptr, nullptr);
        for (const auto& c : controls) {
            const bool progress = lstrcmpW(c.cls, PROGRESS_CLASSW) == 0;
            HWND hwnd = CreateWindowExW(0, c.cls, c.name, WS_CHILD | WS_VISIBLE | c.style, progress ? 10 : c.at.left,
                                        progress ? 10 : c.at.top, c.at.right, c.at.bottom, progress ? holder : main,
                                        nullptr, nullptr, nullptr);
            if (lstrcmpW(c.cls, L"LISTBOX") == 0 || lstrcmpW(c.cls, L"COMBOBOX") == 0) {
                const UINT add = lstrcmpW(c.cls, L"LISTBOX") == 0 ? LB_ADDSTRING : CB_ADDSTRING;
                SendMessageW(hwnd, add, 0, reinterpret_cast<LPARAM>(L"第一项"));
                SendMessageW(hwnd, add, 0, reinterpret_cast<LPARAM>(L"第二项"));
            }
            if (lstrcmpW(c.cls, L"COMBOBOX") == 0)
                SendMessageW(hwnd, CB_SETCURSEL, 0, 0);
            if (lstrcmpW(c.cls, PROGRESS_CLASSW) == 0)
                SendMessageW(hwnd, PBM_SETPOS, 60, 0);
            windows.push_back(hwnd);
        }
        SetFocus(main);
        return 0;
    });
    ui.Activate();
    const velum::Theme theme = LoadExpected(SkinFile(L"velum.vlm"));
    const auto captionSkinned = [&] {
        const Sample caption = FrameSamples(main, theme, true).front();
        return InFill(WindowPixel(main, caption.at.x, caption.at.y), caption.expected);
    };

    // Each window as the program sees it without the engine.
    struct Seen {
        std::vector<COLORREF> pixels;
        WNDPROC procedure;
    };
    const auto see = [&](HWND hwnd) { return Seen{Pixels(hwnd), ProcedureOf(hwnd)}; };
    Sleep(300);
    std::vector<Seen> unskinned;
    unskinned.push_back(see(main));
    for (HWND hwnd : windows)
        unskinned.push_back(see(hwnd));

    const auto attach = [&] { ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK) << ui.LastError(); };
    const auto detach = [&] { ui.Call([] { return Velum_Detach(); }); };
    for (std::size_t i = 0; i <= windows.size(); ++i) {
        HWND target = i == 0 ? main : windows[i - 1];
        // The progress bar draws with colours comctl32 keeps for the whole process, which are the
        // theme's while the engine is attached: its procedure is checked, not its pixels.
        const bool comparePixels = i != windows.size();
        for (const bool beforeAttach : {true, false}) {
            SCOPED_TRACE(harness::Utf8(i == 0 ? L"top-level window" : controls[i - 1].name) +
                         (beforeAttach ? ", excluded before attaching" : ", excluded while attached"));
            if (beforeAttach) {
                ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(target, 1); }), VELUM_OK);
                attach();
            } else {
                attach();
                ASSERT_TRUE(WaitUntil([&] { return ProcedureOf(target) != unskinned[i].procedure; }))
                    << "the engine did not take the window in the first place";
                ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(target, 1); }), VELUM_OK);
            }
            ui.Activate();
            EXPECT_EQ(ProcedureOf(target), unskinned[i].procedure);
            if (comparePixels) {
                EXPECT_TRUE(WaitUntil([&] { return Pixels(target) == unskinned[i].pixels; }))
                    << "the excluded window's pixels differ from its unskinned ones";
            }
            if (i != 0) {
                EXPECT_TRUE(WaitUntil(captionSkinned)) << "the rest of the window is no longer skinned";
            }
            // Given back, it is skinned again.
            ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(target, 0); }), VELUM_OK);
            EXPECT_NE(ProcedureOf(target), unskinned[i].procedure);
            if (comparePixels) {
                EXPECT_TRUE(WaitUntil([&] { return Pixels(target) != unskinned[i].pixels; }))
                    << "given back, the window still shows the system's look";
            }
            detach();
        }
    }

    // By class: the windows of a class, those made later too, are left alone.
    attach();
    HWND edit = windows[2];
    ASSERT_EQ(ui.Call([] { return Velum_ExcludeClassW(L"edit", 1); }), VELUM_OK);
    EXPECT_EQ(ProcedureOf(edit), unskinned[3].procedure);
    HWND later = nullptr;
    ui.Call([&] {
        later = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 180, 150, 24, main, nullptr,
                                nullptr, nullptr);
        return 0;
    });
    EXPECT_EQ(ProcedureOf(later), unskinned[3].procedure);
    EXPECT_NE(ProcedureOf(windows[0]), unskinned[1].procedure) << "a button is not an edit";
    ASSERT_EQ(ui.Call([] { return Velum_ExcludeClass("EDIT", 0); }), VELUM_OK);
    EXPECT_NE(ProcedureOf(edit), unskinned[3].procedure);
    EXPECT_NE(ProcedureOf(later), unskinned[3].procedure);
    detach();

    // A control the program subclassed over the engine: excluded, it shows the system's look
    // while the program's procedure stays on top and still gets every message.
    HWND button = windows[0];
    attach();
    ui.Call([&] {
        programsPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgramsSubclass)));
        return 0;
    });
    ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(button, 1); }), VELUM_OK);
    EXPECT_TRUE(WaitUntil([&] { return Pixels(button) == unskinned[1].pixels; }));
    EXPECT_EQ(ProcedureOf(button), ProgramsSubclass);
    const int before = programsMessages;
    ui.Call([&] { return static_cast<int>(SendMessageW(button, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"button"))); });
    EXPECT_GT(programsMessages, before);
    ASSERT_EQ(ui.Call([&] { return Velum_ExcludeWindow(button, 0); }), VELUM_OK);
    EXPECT_TRUE(WaitUntil([&] { return Pixels(button) != unskinned[1].pixels; }));
    detach();
    EXPECT_EQ(ProcedureOf(button), ProgramsSubclass);
    EXPECT_EQ(ui.Call([] { return Velum_ExcludeWindow(nullptr, 1); }), VELUM_E_ARGUMENT);

    // The program excludes its skinned main window from inside its own window procedure, with
    // the engine's procedure on the stack below it, and gives it back the same way.
    ui.Call([&] {
        SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SelfExcludingProc));
        return 0;
    });
    attach();
    ui.Activate();
    ASSERT_TRUE(WaitUntil(captionSkinned));
    EXPECT_EQ(ui.Call([&] { return static_cast<int>(SendMessageW(main, WM_APP + 9, 1, 0)); }), VELUM_OK);
    EXPECT_EQ(ProcedureOf(main), SelfExcludingProc) << "the engine is still in the window's chain";
    EXPECT_TRUE(WaitUntil([&] { return !captionSkinned(); })) << "the caption is still the theme's";
    EXPECT_EQ(ui.Call([&] { return static_cast<int>(SendMessageW(main, WM_APP + 9, 0, 0)); }), VELUM_OK);
    EXPECT_TRUE(WaitUntil(captionSkinned)) << "given back from inside its procedure, the window is not skinned";
    detach();
}

// A colour the engine gives a program is the colour it draws that part with, in every theme.
TEST(EngineKit, ThemeColoursAreTheColoursOnScreen)
{
    UiThread ui;
    HWND main = ui.Window();
    HWND button = nullptr, edit = nullptr, list = nullptr;
    ui.Call([&] {
        button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 110, 30, main,
                                 nullptr, nullptr, nullptr);
        edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 70, 150, 24, main, nullptr,
                               nullptr, nullptr);
        list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 110, 150, 60, main, nullptr,
                               nullptr, nullptr);
        SetFocus(main);
        return 0;
    });
    EXPECT_EQ(Velum_GetThemeColor("Window", "", "background"), -1) << "no theme before attaching";
    for (const auto& name : ColourThemes()) {
        SCOPED_TRACE(harness::Utf8(name));
        const velum::Theme t = LoadExpected(SkinFile(name));
        ASSERT_EQ(ui.AttachEx(SkinFile(name)), VELUM_OK) << ui.LastError();
        ui.Activate();
        ExpectFrame(main, t, true, "attached");
        struct Part {
            const char* part;
            HWND window;
            POINT at;
        };
        std::vector<Part> parts = {{"Button", button, {8, 15}}, {"Edit", edit, {75, 12}}, {"List", list, {75, 30}}};
        for (const Sample& s : FrameSamples(main, t, true)) {
            const std::string sample = s.part;
            const char* part = sample == "caption"        ? "Caption"
                               : sample == "close button" ? "CaptionButton"
                               : sample == "menu bar"     ? "MenuBar"
                               : sample == "client area"  ? "Window"
                                                          : "Frame";
            parts.push_back({part, main, s.at});
        }
        for (const Part& p : parts) {
            SCOPED_TRACE(p.part);
            const int from = ui.Call([&] { return Velum_GetThemeColor(p.part, nullptr, "background"); });
            const int to = ui.Call([&] { return Velum_GetThemeColor(p.part, "", "background-end"); });
            ASSERT_NE(from, -1);
            const auto colour = [](int c) { return velum::Color{GetRValue(c), GetGValue(c), GetBValue(c)}; };
            const velum::Fill fill{colour(from), colour(to), true};
            EXPECT_TRUE(WaitUntil([&] { return InFill(WindowPixel(p.window, p.at.x, p.at.y), fill); }))
                << Hex(WindowPixel(p.window, p.at.x, p.at.y)) << " on screen, " << Hex(fill) << " from the engine";
        }
        // Fonts: the face the theme names first among those installed, at its size and weight.
        for (const auto& [part, font] :
             {std::pair{"Caption", t.captionFont}, std::pair{"MenuBar", t.menuFont}, std::pair{"Popup", t.popupFont}}) {
            SCOPED_TRACE(part);
            LOGFONTA ansi{};
            LOGFONTW wide{};
            ASSERT_EQ(ui.Call([&] { return Velum_GetThemeFont(part, &ansi); }), VELUM_OK);
            ASSERT_EQ(ui.Call([&] { return Velum_GetThemeFontW(harness::Widen(part).c_str(), &wide); }), VELUM_OK);
            EXPECT_EQ(wide.lfHeight, -MulDiv(font.sizePt, 96, 72));
            EXPECT_EQ(wide.lfWeight, font.weight);
            EXPECT_EQ(ansi.lfHeight, wide.lfHeight);
            EXPECT_EQ(ansi.lfFaceName, harness::Ansi(wide.lfFaceName));
            EXPECT_NE(std::find(font.faces.begin(), font.faces.end(), harness::Utf8(wide.lfFaceName)), font.faces.end())
                << harness::Utf8(wide.lfFaceName);
        }
    }
    // Names the theme format does not have.
    const struct {
        const char *part, *state, *key;
    } unknown[] = {{"Caption", "", "colour"},
                   {"Captions", "", "background"},
                   {"Button", "Selected", "text"},
                   {"Edit", "", "mark"},
                   {nullptr, "", "text"}};
    for (const auto& u : unknown)
        EXPECT_EQ(ui.Call([&] { return Velum_GetThemeColor(u.part, u.state, u.key); }), -1) << u.key;
    LOGFONTA font{};
    EXPECT_EQ(ui.Call([&] { return Velum_GetThemeFont("Button", &font); }), VELUM_E_ARGUMENT);
    EXPECT_NE(ui.LastError().find("Caption, MenuBar or Popup"), std::string::npos) << ui.LastError();
}

namespace {

UINT themeChanged = 0;
struct Heard {
    int count = 0;
    WPARAM wParam = 99;
    int windowColour = -2;  // asked of the engine from inside the message
};
Heard heard;
// Set, the next frame change of a listener makes another listener: a window made while the
// engine applies a look.
bool makeListenerInFrameChange = false;
HWND madeListener = nullptr;

LRESULT CALLBACK ListeningProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCALCSIZE && makeListenerInFrameChange) {
        makeListenerInFrameChange = false;
        madeListener = CreateWindowExW(0, L"VelumTestListener", L"made in a switch", WS_OVERLAPPEDWINDOW, 600, 100, 200,
                                       150, nullptr, nullptr, nullptr, nullptr);
    }
    if (message == themeChanged && themeChanged != 0) {
        ++heard.count;
        heard.wParam = wParam;
        heard.windowColour = Velum_GetThemeColor("Window", "", "background");
        return 0;
    }
    if (message == WM_APP + 7)  // a detach from inside a message the engine passes on
        return Velum_Detach();
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

// The look-changed message: once per successful attach or switch, once at detach, never for a
// call that failed or changed nothing; the program may ask the engine for colours inside it.
TEST(EngineKit, TheLookChangedMessageComesOncePerChange)
{
    themeChanged = RegisterWindowMessageW(VELUM_THEMECHANGED_NAMEW);
    ASSERT_NE(themeChanged, 0u);
    UiThread ui;
    HWND listener = nullptr;
    ui.Call([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ListeningProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelumTestListener";
        RegisterClassW(&wc);
        listener = CreateWindowExW(0, wc.lpszClassName, L"listener", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400, 200,
                                   150, nullptr, nullptr, nullptr, nullptr);
        return 0;
    });
    const std::wstring broken = SourceFolder() + L"\\tests\\native\\broken\\bad-colour.vlm";
    const auto windowBackground = [](const wchar_t* name) {
        const velum::Color c = LoadExpected(SkinFile(name)).window.background.from;
        return static_cast<int>(RGB(c.r, c.g, c.b));
    };
    const velum::Color builtIn = velum::DefaultTheme().window.background.from;
    const struct {
        const char* what;
        std::function<int()> call;
        int heardMore;
        WPARAM wParam;
        int colour;
    } steps[] = {
        {"attach", [&] { return Velum_AttachExW(SkinFile(L"velum.vlm").c_str(), L""); }, 1, 1,
         windowBackground(L"velum.vlm")},
        {"a broken theme", [&] { return Velum_AttachExW(broken.c_str(), L""); }, 0, 1, windowBackground(L"velum.vlm")},
        {"a switch", [&] { return Velum_AttachEx(harness::Ansi(SkinFile(L"midnight.vlm")).c_str(), ""); }, 1, 1,
         windowBackground(L"midnight.vlm")},

        {"detach", [] { return Velum_Detach(); }, 1, 0, -1},
        {"detach again", [] { return Velum_Detach(); }, 0, 0, -1},
        {"the built-in look", [] { return Velum_Attach(); }, 1, 1,
         static_cast<int>(RGB(builtIn.r, builtIn.g, builtIn.b))},
        {"detach from inside a message", [&] { return static_cast<int>(SendMessageW(listener, WM_APP + 7, 0, 0)); }, 1,
         0, -1},
        // Both windows hear it, the one the program made while the engine applied the look too.
        {"an attach in which a window is made",
         [&] {
             makeListenerInFrameChange = true;
             return Velum_AttachEx(harness::Ansi(SkinFile(L"midnight.vlm")).c_str(), "");
         },
         2, 1, windowBackground(L"midnight.vlm")},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        const int before = heard.count;
        ui.Call(s.call);
        ui.Call([] { return 0; });  // what waited for the message to return has run
        EXPECT_EQ(heard.count - before, s.heardMore);
        EXPECT_EQ(heard.wParam, s.wParam);
        EXPECT_EQ(heard.windowColour, s.colour);
    }
    ui.Call([&] { return Velum_Detach() + static_cast<int>(DestroyWindow(madeListener) && DestroyWindow(listener)); });
}

namespace {

// Wine always answers that high contrast is off: the engine's question is answered here instead,
// through its own import of SystemParametersInfoW.
std::atomic<bool> highContrast{false};
using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersFn systemParameters = nullptr;

BOOL WINAPI ContrastParameters(UINT action, UINT param, PVOID data, UINT flags)
{
    if (action == SPI_GETHIGHCONTRAST && data != nullptr) {
        auto* contrast = static_cast<HIGHCONTRASTW*>(data);
        contrast->dwFlags = HCF_AVAILABLE | (highContrast ? HCF_HIGHCONTRASTON : 0);
        contrast->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return systemParameters(action, param, data, flags);
}

// Points `module`'s import of `function` (from `dll`) at `replacement`; returns what it was.
void* RepointImport(HMODULE module, const char* dll, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            void* was = reinterpret_cast<void*>(slots->u1.Function);
            DWORD protect = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &protect);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), protect, &protect);
            return was;
        }
    }
    return nullptr;
}

}  // namespace

// Under high contrast the engine stands aside: the frame, the menu bar and a push button are the
// system's, pixel for pixel, colour questions get the system's answers, and the program hears
// that the engine stepped aside. A switch meanwhile shows nothing and is the look when high
// contrast goes off; an attach while it is on waits the same way.
TEST(EngineKit, HighContrastSetsTheEngineAsideUntilItGoesOff)
{
    HMODULE engine = GetModuleHandleW(L"Velum_VB6.dll");
    ASSERT_NE(engine, nullptr);
    systemParameters = reinterpret_cast<SystemParametersFn>(
        RepointImport(engine, "user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(ContrastParameters)));
    ASSERT_NE(systemParameters, nullptr) << "the engine does not import SystemParametersInfoW";
    themeChanged = RegisterWindowMessageW(VELUM_THEMECHANGED_NAMEW);
    UiThread ui;
    HWND hwnd = ui.Window();
    HWND listener = nullptr;
    ui.Call([&] {
        CreateWindowExW(0, L"BUTTON", L"确定", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 90, 28, hwnd, nullptr,
                        nullptr, nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = ListeningProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelumTestListener";
        RegisterClassW(&wc);
        listener = CreateWindowExW(0, wc.lpszClassName, L"listener", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   nullptr);
        return 0;
    });
    ui.Activate();
    Sleep(300);
    const std::vector<COLORREF> system = WindowPixels(hwnd);
    const int systemFace = static_cast<int>(GetSysColor(COLOR_BTNFACE));
    const auto announce = [&](bool on) {
        highContrast = on;
        ui.Call([&] { return static_cast<int>(SendMessageW(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0)); });
        ui.Call([] { return 0; });  // what the engine does once the message has returned
    };
    const auto face = [&] { return ui.Call([] { return static_cast<int>(GetSysColor(COLOR_BTNFACE)); }); };
    const auto looksAsTheSystemDraws = [&] {
        std::vector<COLORREF> now;
        WaitUntil([&] { return (now = WindowPixels(hwnd)) == system; });
        return FirstDifference(now, system) == static_cast<std::ptrdiff_t>(system.size());
    };
    const velum::Theme midnight = LoadExpected(SkinFile(L"midnight.vlm"));
    const struct {
        const char* what;
        std::function<void()> step;
        WPARAM heard;
        bool drawing;
    } steps[] = {
        {"attached", [&] { ASSERT_EQ(ui.AttachEx(SkinFile(L"velum.vlm")), VELUM_OK); }, 1, true},
        {"high contrast on", [&] { announce(true); }, 2, false},
        {"a switch meanwhile", [&] { ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK); }, 2, false},
        {"high contrast off", [&] { announce(false); }, 1, true},
        {"detached", [&] { ui.Call([] { return Velum_Detach(); }); }, 0, false},
        {"attached while on",
         [&] {
             highContrast = true;
             ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
         },
         2, false},
        {"off again", [&] { announce(false); }, 1, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        heard.wParam = 99;
        s.step();
        EXPECT_EQ(heard.wParam, s.heard);
        EXPECT_EQ(ui.Call([] { return Velum_IsDrawing(); }), s.drawing ? 1 : 0);
        if (!s.drawing) {
            EXPECT_EQ(face(), systemFace) << "GetSysColor on the program's thread";
            EXPECT_TRUE(looksAsTheSystemDraws());
        } else {
            EXPECT_NE(face(), systemFace);
            Sleep(200);
            EXPECT_NE(WindowPixels(hwnd), system);
        }
    }
    ExpectFrame(hwnd, midnight, true, "the theme switched to while high contrast was on");
    ui.Call([&] {
        DestroyWindow(listener);
        return Velum_Detach();
    });
    RepointImport(engine, "user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(systemParameters));
}

namespace {

// What the engine asked of VirtualProtect, through its own import of it.
using VirtualProtectFn = BOOL(WINAPI*)(void*, SIZE_T, DWORD, DWORD*);
VirtualProtectFn virtualProtect = nullptr;
std::vector<std::pair<const void*, DWORD>> protectionsAsked;

BOOL WINAPI RecordingVirtualProtect(void* address, SIZE_T size, DWORD protection, DWORD* previous)
{
    protectionsAsked.emplace_back(address, protection);
    return virtualProtect(address, size, protection, previous);
}

// The first page of the module's ordinary import slots.
BYTE* ImportSlotsPage(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto* first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    return reinterpret_cast<BYTE*>(reinterpret_cast<ULONG_PTR>(base + first->FirstThunk) & ~ULONG_PTR{0xFFF});
}

// Each import slot of the module given what its lookup table holds (a name's address), as
// Windows' loader leaves them when it announces a module; or, `bound`, the function itself.
void SetImportSlots(HMODULE module, bool bound)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        HMODULE from = GetModuleHandleA(reinterpret_cast<const char*>(base + d->Name));
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            DWORD was = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_EXECUTE_READWRITE, &was);
            slots->u1.Function =
                bound ? reinterpret_cast<ULONG_PTR>(GetProcAddress(from, byName->Name)) : names->u1.AddressOfData;
            VirtualProtect(&slots->u1.Function, sizeof(void*), was, &was);
        }
    }
}

// The test's own loader notification, registered before the engine's: Wine announces a module
// after binding its imports, so this one takes the binding back for the plug-in named, and puts
// its slots on a page that runs code, before the engine hears of it.
struct LoaderString {
    USHORT length, maximumLength;
    PWSTR buffer;
};
struct LoadNotice {
    ULONG flags;
    const LoaderString* fullName;
    const LoaderString* baseName;
    void* base;
    ULONG size;
};
const wchar_t* unboundAtAnnouncement = nullptr;

void CALLBACK UnbindWhenAnnounced(ULONG reason, const void* data, void*)
{
    const auto* notice = static_cast<const LoadNotice*>(data);
    if (reason != 1 || unboundAtAnnouncement == nullptr ||
        std::wstring(notice->baseName->buffer, notice->baseName->length / sizeof(wchar_t)) != unboundAtAnnouncement)
        return;
    auto* module = static_cast<HMODULE>(notice->base);
    SetImportSlots(module, false);
    DWORD was = 0;
    VirtualProtect(ImportSlotsPage(module), 1, PAGE_EXECUTE_READ, &was);
}

}  // namespace

// Plug-ins a program loads after attaching get the theme's colours: one the loader announces
// before its imports are bound (Windows' order, made here by the test's own notification), whose
// import slots share a page with code, and one that delay-loads GetSysColor.
TEST(EngineKit, PluginsLoadedAfterAttachingGetTheThemesColours)
{
    using RegisterFn = LONG(NTAPI*)(ULONG, void(CALLBACK*)(ULONG, const void*, void*), void*, void**);
    const auto registerLoads = reinterpret_cast<RegisterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrRegisterDllNotification")));
    void* cookie = nullptr;
    ASSERT_GE(registerLoads(0, UnbindWhenAnnounced, nullptr, &cookie), 0);
    HMODULE engine = GetModuleHandleW(L"Velum_VB6.dll");
    virtualProtect = reinterpret_cast<VirtualProtectFn>(
        RepointImport(engine, "kernel32.dll", "VirtualProtect", reinterpret_cast<void*>(RecordingVirtualProtect)));
    ASSERT_NE(virtualProtect, nullptr) << "the engine does not import VirtualProtect";
    UiThread ui;
    HWND hwnd = ui.Window();
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    const DWORD system = GetSysColor(COLOR_WINDOW);
    const DWORD themed = static_cast<DWORD>(ui.Call([] { return static_cast<int>(GetSysColor(COLOR_WINDOW)); }));
    ASSERT_NE(themed, system);
    wchar_t folder[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, folder, MAX_PATH);
    *wcsrchr(folder, L'\\') = L'\0';
    const struct {
        const wchar_t* plugin;
        bool announcedUnbound;  // and its import slots on a page that runs code
    } plugins[] = {{L"late_colours.dll", true}, {L"delay_colours.dll", false}};
    for (const auto& p : plugins) {
        SCOPED_TRACE(harness::Ansi(p.plugin));
        const std::wstring path = std::wstring(folder) + L"\\" + p.plugin;
        protectionsAsked.clear();
        HMODULE plugin = nullptr;
        BYTE* slotsPage = nullptr;
        ui.Call([&] {
            unboundAtAnnouncement = p.announcedUnbound ? p.plugin : nullptr;
            plugin = LoadLibraryW(path.c_str());
            unboundAtAnnouncement = nullptr;
            if (plugin != nullptr && p.announcedUnbound) {
                slotsPage = ImportSlotsPage(plugin);
                SetImportSlots(plugin, true);  // the loader binds it after announcing it
            }
            return 0;
        });
        ASSERT_NE(plugin, nullptr) << GetLastError();
        const auto colour =
            reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "WindowColour")));
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(ui.Call([&] {
            SendMessageW(hwnd, WM_NULL, 0, 0);  // the program's next message
            return static_cast<int>(colour());
        }),
                  static_cast<int>(themed));
        EXPECT_EQ(colour(), system) << "on a thread the engine does not skin";
        if (slotsPage != nullptr) {
            int asked = 0;
            for (const auto& [address, protection] : protectionsAsked)
                if (static_cast<const BYTE*>(address) >= slotsPage &&
                    static_cast<const BYTE*>(address) < slotsPage + 4096) {
                    ++asked;
                    EXPECT_NE(protection & (PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE), 0u)
                        << "the slot's page lost its right to run code: " << std::hex << protection;
                }
            EXPECT_GT(asked, 0) << "the engine never wrote the plug-in's slot";
        }
        ui.Call([&] { return FreeLibrary(plugin); });
    }
    ui.Call([] { return Velum_Detach(); });
    RepointImport(engine, "kernel32.dll", "VirtualProtect", reinterpret_cast<void*>(virtualProtect));
    using UnregisterFn = LONG(NTAPI*)(void*);
    reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrUnregisterDllNotification")))(cookie);
}

// The engine is where it was linked for in a program's process: a 32-bit image the loader has to
// move becomes the process's own copy, 1.5 MiB of memory every program that uses it pays. Windows
// puts an image marked for address randomisation where it likes and shares its relocated pages:
// the question is Wine's.
TEST(EngineKit, TheEngineLoadsWhereItWasLinkedFor)
{
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr)
        GTEST_SKIP() << "Windows places a randomised image itself";
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(L"Velum_VB6.dll"));
    ASSERT_NE(base, nullptr);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(base), static_cast<ULONG_PTR>(nt->OptionalHeader.ImageBase));
}

namespace {

// What the skinned window and a common control in it hear while a settings message is handled.
struct SettingsHeard {
    HWND frame = nullptr, control = nullptr;
    std::atomic<int> calculations{0}, framePaints{0}, controlTold{0};
};
SettingsHeard settingsHeard;

LRESULT CALLBACK HearSettings(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == settingsHeard.frame) {
        settingsHeard.calculations += sent->message == WM_NCCALCSIZE;
        settingsHeard.framePaints += sent->message == WM_NCPAINT;
    }
    if (code == HC_ACTION && sent->hwnd == settingsHeard.control && sent->message == WM_SYSCOLORCHANGE)
        ++settingsHeard.controlTold;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Wine keeps a work area set with SPI_SETWORKAREA out of the monitor's: the engine is told the
// new one through its import of GetMonitorInfoW.
using MonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
MonitorInfoFn monitorInfo = nullptr;
const RECT* reportedWork = nullptr;

BOOL WINAPI ReportedMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    const BOOL ok = monitorInfo(monitor, info);
    if (ok && reportedWork != nullptr)
        info->rcWork = *reportedWork;
    return ok;
}

}  // namespace

// Each settings message redoes what it changes and nothing else: non-client metrics lay the
// frame out again and repaint it, a new work area places a maximised window over it, a colour
// change tells the common controls, and a visual style change leaves the frame as it is.
TEST(EngineKit, EachSettingsMessageRedoesWhatItChangesAndNothingElse)
{
    UiThread ui;
    HWND hwnd = ui.Window();
    settingsHeard.frame = hwnd;
    HHOOK hook = nullptr;
    ui.Call([&] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        settingsHeard.control = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 20, 20, 200,
                                                100, hwnd, nullptr, nullptr, nullptr);
        hook = SetWindowsHookExW(WH_CALLWNDPROC, HearSettings, nullptr, GetCurrentThreadId());
        return 0;
    });
    ASSERT_NE(hook, nullptr);
    HMODULE engine = GetModuleHandleW(L"Velum_VB6.dll");
    monitorInfo = reinterpret_cast<MonitorInfoFn>(
        RepointImport(engine, "user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(ReportedMonitorInfo)));
    ASSERT_NE(monitorInfo, nullptr) << "the engine does not import GetMonitorInfoW";
    ASSERT_EQ(ui.AttachEx(SkinFile(L"midnight.vlm")), VELUM_OK);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT smaller{work.left, work.top, work.right, work.bottom - 40};
    const int frame = LoadExpected(SkinFile(L"midnight.vlm")).metrics.frameWidth;
    const RECT overSmaller{smaller.left - frame, smaller.top - frame, smaller.right + frame, smaller.bottom + frame};
    // Wine's X11 driver without a window manager restores a maximised window whose frame is
    // changed or that moves: the window is maximised for the work area's change only, which the
    // engine hears of from the monitor's work area as the test reports it.
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        const RECT* newWork;  // the work area the system has before it tells, the window maximised
        bool laidOut, framePainted, controlTold;
        const RECT* placed;  // where the window is afterwards; null: where it was
    } changes[] = {
        {"non-client metrics", WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, nullptr, true, true, false, nullptr},
        {"work area", WM_SETTINGCHANGE, SPI_SETWORKAREA, &smaller, true, true, false, &overSmaller},
        {"visual style", WM_THEMECHANGED, 0, nullptr, false, false, false, nullptr},
        {"colours", WM_SYSCOLORCHANGE, 0, nullptr, false, false, true, nullptr},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        if (change.newWork != nullptr) {
            ui.Call([&] { return ShowWindow(hwnd, SW_MAXIMIZE); });
            Sleep(200);
            reportedWork = change.newWork;
        }
        RECT before{};
        GetWindowRect(hwnd, &before);
        settingsHeard.calculations = settingsHeard.framePaints = settingsHeard.controlTold = 0;
        // Read as the message returns: Wine's X11 driver restores a maximised window moved
        // without a window manager once it next reads its X events.
        RECT after{};
        ui.Call([&] {
            SendMessageW(hwnd, change.message, change.wParam, 0);
            return GetWindowRect(hwnd, &after);
        });
        Sleep(100);
        ui.Call([] { return 0; });
        EXPECT_EQ(settingsHeard.calculations > 0, change.laidOut)
            << settingsHeard.calculations << " frame calculations";
        EXPECT_EQ(settingsHeard.framePaints > 0, change.framePainted) << settingsHeard.framePaints << " frame paints";
        EXPECT_EQ(settingsHeard.controlTold.load(), change.controlTold ? 1 : 0) << "the list view told of new colours";
        const RECT expected = change.placed != nullptr ? *change.placed : before;
        EXPECT_TRUE(EqualRect(&after, &expected))
            << before.left << "," << before.top << " " << before.right << "," << before.bottom << " -> " << after.left
            << "," << after.top << " " << after.right << "," << after.bottom;
        EXPECT_EQ(ui.Call([] { return Velum_IsDrawing(); }), 1);
        if (change.newWork != nullptr) {
            reportedWork = nullptr;
            ui.Call([&] { return ShowWindow(hwnd, SW_RESTORE); });
            Sleep(200);
        }
    }
    ui.Call([&] { return UnhookWindowsHookEx(hook); });
    RepointImport(engine, "user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(monitorInfo));
    settingsHeard.frame = settingsHeard.control = nullptr;
}

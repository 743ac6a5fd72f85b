// A C++ program that wears a Velum theme and draws parts of its own window itself:
// - it attaches with a theme file named on the command line (any path: the wide call);
// - a status panel is drawn in the theme's colours and caption font, and redrawn each time the
//   registered look-changed message says the look changed;
// - a "canvas" child window, drawn entirely by the program, is excluded from the engine;
// - it detaches before it ends.
// Usage: velum_sample.exe [THEME_FILE] [--once]
//   --once closes the window as soon as it has been shown and exits with 0 when every call of
//   the engine answered as expected (a quick check that the kit works on this machine).
// Built with the kit's CMake package: see CMakeLists.txt beside this file. It uses no C or C++
// runtime library beyond what the compiler itself provides, so it builds the same way with
// MinGW and with Microsoft's tools.
#include <windows.h>

#include "Velum.h"

namespace {

// Owns a GDI object and deletes it when it goes.
template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject()
    {
        if (handle_ != nullptr)
            DeleteObject(handle_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return handle_; }

private:
    Handle handle_;
};

// A colour of the theme, or `fallback` while no theme is in use.
COLORREF ThemeColour(const char* part, const char* key, COLORREF fallback)
{
    const int colour = Velum_GetThemeColor(part, nullptr, key);
    return colour >= 0 ? static_cast<COLORREF>(colour) : fallback;
}

class SampleWindow {
public:
    static constexpr wchar_t kClass[] = L"VelumSampleWindow";
    static constexpr wchar_t kCanvasClass[] = L"VelumSampleCanvas";
    static constexpr UINT_PTR kCloseTimer = 1;

    bool Create(HINSTANCE instance, bool once)
    {
        once_ = once;
        lookChanged_ = RegisterWindowMessageW(VELUM_THEMECHANGED_NAMEW);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        WNDCLASSW canvas = wc;
        canvas.lpfnWndProc = CanvasProc;
        canvas.hbrBackground = nullptr;
        canvas.lpszClassName = kCanvasClass;
        if (RegisterClassW(&wc) == 0 || RegisterClassW(&canvas) == 0)
            return false;
        hwnd_ = CreateWindowExW(0, kClass, L"Velum sample", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, 520, 360, nullptr, nullptr, instance, this);
        return hwnd_ != nullptr;
    }

    HWND Handle() const { return hwnd_; }
    int LookChanges() const { return lookChanges_; }
    bool PanelColoured() const { return panelColoured_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<SampleWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr)
            return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == self->lookChanged_ && message != 0)
            return self->OnLookChanged(wParam != 0);
        switch (message) {
        case WM_CREATE: return self->OnCreate(hwnd);
        case WM_SIZE: return self->OnSize(LOWORD(lParam), HIWORD(lParam));
        case WM_PAINT: return self->OnPaint();
        case WM_TIMER: return self->OnTimer(wParam);
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }

    // The canvas draws itself: a game view or a chart would. The engine leaves it alone.
    static LRESULT CALLBACK CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_ERASEBKGND)
            return 1;
        if (message != WM_PAINT)
            return DefWindowProcW(hwnd, message, wParam, lParam);
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{};
        GetClientRect(hwnd, &r);
        const GdiObject<HBRUSH> black(CreateSolidBrush(RGB(0, 0, 0)));
        FillRect(dc, &r, black.get());
        const GdiObject<HBRUSH> green(CreateSolidBrush(RGB(0, 200, 80)));
        RECT dot{r.right / 2 - 10, r.bottom / 2 - 10, r.right / 2 + 10, r.bottom / 2 + 10};
        FillRect(dc, &dot, green.get());
        EndPaint(hwnd, &ps);
        return 0;
    }

    LRESULT OnCreate(HWND hwnd)
    {
        hwnd_ = hwnd;
        canvas_ = CreateWindowExW(WS_EX_CLIENTEDGE, kCanvasClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, nullptr,
                                  nullptr, nullptr);
        Velum_ExcludeWindow(canvas_, 1);
        if (once_)
            SetTimer(hwnd, kCloseTimer, 1500, nullptr);
        return 0;
    }

    LRESULT OnSize(int width, int height)
    {
        MoveWindow(canvas_, 12, kPanelHeight + 12, width - 24, height - kPanelHeight - 24, TRUE);
        return 0;
    }

    // The status panel along the top, in the theme's caption colours and font.
    LRESULT OnPaint()
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT panel{};
        GetClientRect(hwnd_, &panel);
        panel.bottom = kPanelHeight;
        const COLORREF background = ThemeColour("Caption", "background", GetSysColor(COLOR_ACTIVECAPTION));
        const COLORREF text = ThemeColour("Caption", "text", GetSysColor(COLOR_CAPTIONTEXT));
        panelColoured_ = Velum_GetThemeColor("Caption", nullptr, "background") >= 0;
        const GdiObject<HBRUSH> brush(CreateSolidBrush(background));
        FillRect(dc, &panel, brush.get());
        LOGFONTW lf{};
        const bool themed = Velum_GetThemeFontW(L"Caption", &lf) == VELUM_OK;
        const GdiObject<HFONT> font(themed ? CreateFontIndirectW(&lf) : nullptr);
        HGDIOBJ previous = font.get() != nullptr ? SelectObject(dc, font.get()) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        DrawTextW(dc, themed ? L"  Drawn by the program in the theme's colours" : L"  No theme: the system's colours",
                  -1, &panel, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (previous != nullptr)
            SelectObject(dc, previous);
        EndPaint(hwnd_, &ps);
        return 0;
    }

    LRESULT OnLookChanged(bool attached)
    {
        ++lookChanges_;
        (void)attached;  // either way the panel takes the colours now in use
        InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    }

    LRESULT OnTimer(WPARAM id)
    {
        if (id == kCloseTimer) {
            KillTimer(hwnd_, kCloseTimer);
            DestroyWindow(hwnd_);
        }
        return 0;
    }

    static constexpr int kPanelHeight = 40;
    HWND hwnd_ = nullptr;
    HWND canvas_ = nullptr;
    UINT lookChanged_ = 0;
    int lookChanges_ = 0;
    bool once_ = false;
    bool panelColoured_ = false;
};

// The command line's arguments after the program's name, split at spaces outside quotes, in
// place. Returns how many it found, at most `max`.
int SplitArguments(wchar_t* line, wchar_t** args, int max)
{
    int count = 0;
    bool first = true;
    while (*line != L'\0') {
        while (*line == L' ' || *line == L'\t')
            ++line;
        if (*line == L'\0')
            break;
        const bool quoted = *line == L'"';
        if (quoted)
            ++line;
        wchar_t* start = line;
        while (*line != L'\0' && (quoted ? *line != L'"' : (*line != L' ' && *line != L'\t')))
            ++line;
        if (*line != L'\0')
            *line++ = L'\0';
        if (!first && count < max)
            args[count++] = start;
        first = false;
    }
    return count;
}

bool Same(const wchar_t* a, const wchar_t* b)
{
    while (*a != L'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    wchar_t* args[4] = {};
    const int count = SplitArguments(GetCommandLineW(), args, 4);
    const wchar_t* theme = nullptr;
    bool once = false;
    for (int i = 0; i < count; ++i) {
        if (Same(args[i], L"--once"))
            once = true;
        else
            theme = args[i];
    }

    SampleWindow window;
    if (!window.Create(instance, once))
        return 2;
    // Before the window shows: it appears in the theme at once. On an error the program goes on
    // in the system's look and says why.
    const int attached = theme != nullptr ? Velum_AttachExW(theme, nullptr) : Velum_Attach();
    if (attached != VELUM_OK && !once) {
        wchar_t text[512];
        Velum_GetLastErrorTextW(text, 512);
        MessageBoxW(window.Handle(), text, L"Velum sample", MB_ICONWARNING);
    }
    ShowWindow(window.Handle(), show);
    UpdateWindow(window.Handle());

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Velum_Detach();
    if (!once)
        return static_cast<int>(msg.wParam);
    // The check: attached, told of the look once, and the panel was drawn in a theme colour.
    if (attached != VELUM_OK)
        return 3;
    if (window.LookChanges() != 1)
        return 4;
    return window.PanelColoured() ? 0 : 5;
}

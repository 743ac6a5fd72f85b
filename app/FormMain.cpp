#include "FormMain.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>

#include "AnsiText.h"
#include "AppError.h"
#include "Automation.h"
#include "ModuleIni.h"
#include "ModuleSkin.h"
#include "ModuleWeb.h"
#include "ScreenDpi.h"
#include "resource.h"

namespace {

constexpr wchar_t kCaption[] = L"Zentora 界面换肤演示 - 作者: 沈砚秋";
constexpr wchar_t kThemeMenuCaption[] = L"主题(&T)";
constexpr wchar_t kThemeListHeading[] = L"主题列表";
constexpr wchar_t kFontFace[] = L"微软雅黑";
constexpr int kFontPoints = 9;
constexpr int kClientWidth = 549;  // 8235 x 5085 twips at 15 twips a pixel
constexpr int kClientHeight = 339;
constexpr UINT kFirstThemeCommand = 0x1000;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;

// True when a normal, read-only, hidden or system file matches the path; folders do not
// count, and "*" or "?" in the last component match any file.
bool FileExists(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(path.c_str(), &data));
    if (!find)
        return false;  // not found, or not a usable file name: nothing to apply either way
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return true;
    } while (FindNextFileW(find.get(), &data));
    return false;
}

// The part of a path after its last backslash; the whole text when it holds none.
std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// True when a theme name reaches the engine and the settings file intact. Both take ANSI text:
// a character the code page lacks would arrive as "?" or a look-alike, giving another file's
// name, or a pattern that matches other files when the next start looks for it. The settings
// file drops spaces at either end of a value and gives back only its first bytes, so such a
// name would come back as another one.
bool PassesIntact(const std::wstring& name)
{
    if (!name.empty() && (name.front() == L' ' || name.back() == L' '))
        return false;
    // Every ANSI code page holds ASCII, and most theme names are ASCII: no conversion for them.
    if (std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; }))
        return name.size() <= ModuleIni::kMaxValueBytes;
    if (!SurvivesAnsi(name))
        return false;
    size_t bytes = ModuleIni::kMaxValueBytes + 1;
    ContinueOnError([&] { bytes = ToAnsi(name).size(); });
    return bytes <= ModuleIni::kMaxValueBytes;
}

// A theme name is a bare file name of the theme folder. A saved value that names a path (another
// folder, a drive, a stream) or the folder itself is not one, and nothing the Theme menu saves.
bool IsBareFileName(const std::wstring& name)
{
    return name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

}  // namespace

FormMain::FormMain(HINSTANCE instance) : instance_(instance) {}

int FormMain::Run(int showCommand)
{
    try {
        Create();
        Form_Load();
    } catch (const AppError& e) {
        ModuleWeb::LetPagesOpen();
        ReportStartupError(e.Number(), e.Description());
        return e.Number() != 0 ? static_cast<int>(e.Number()) : 1;
    } catch (const std::bad_alloc&) {
        ModuleWeb::LetPagesOpen();
        ReportStartupError(7, L"内存不足");
        return 7;
    }
    loaded_ = true;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    ModuleWeb::LetPagesOpen();  // the page asked for at load opens behind the painted window

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void FormMain::Create()
{
    const int dpi = ScreenDpi();
    icon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_ZENTORA), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_ZENTORA), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = icon_.get();
    wc.hIconSm = smallIcon_.get();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        ThrowLastError(L"RegisterClassExW", kClassName);

    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(kFontPoints, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(lf.lfFaceName, kFontFace);
    font_.reset(CreateFontIndirectW(&lf));

    // The window owns its menu bar, and the bar owns the Theme popup.
    HMENU bar = CreateMenu();
    HMENU themeMenu = CreatePopupMenu();
    if (bar == nullptr || themeMenu == nullptr)
        ThrowLastError(L"CreateMenu");
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(themeMenu), kThemeMenuCaption);
    themes_ = std::make_unique<MenuElementArray>(themeMenu, kFirstThemeCommand, kThemeListHeading);

    RECT frame{0, 0, MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96)};
    AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0, static_cast<int>(work.right - work.left - width) / 2);
    const int y = work.top + std::max(0, static_cast<int>(work.bottom - work.top - height) / 2);

    if (CreateWindowExW(kExStyle, kClassName, kCaption, kStyle, x, y, width, height, nullptr, bar, instance_, this) ==
        nullptr) {
        DestroyMenu(bar);
        ThrowLastError(L"CreateWindowExW", kClassName);
    }
}

// The start-up sequence; any error it raises stops the program before the window shows.
void FormMain::Form_Load()
{
    ModuleIni::IniName = L"SerCheckConfig";
    LoadIni();
    ModuleWeb::OpenWebPage(ModuleWeb::kHomePage);
    SkinList();
    ModuleSkin::Velum_Attach();
    const std::wstring savedTheme = GetAppPath() + L"Skin\\" + skin_;
    if (IsBareFileName(skin_) && FileExists(savedTheme))
        ModuleSkin::Velum_AttachEx(savedTheme, L"");
}

std::wstring FormMain::GetAppPath()
{
    std::wstring path;
    ContinueOnError([&] { path = ModuleIni::ProgramFolder() + L"\\"; });
    ContinueOnError([&] {
        for (size_t at = path.find(L"\\\\"); at != std::wstring::npos; at = path.find(L"\\\\", at))
            path.replace(at, 2, L"\\");
    });
    return path;
}

void FormMain::LoadIni()
{
    ContinueOnError([&] { skin_ = ModuleIni::ReadIni(L"SETUP", L"SKIN", L"velum.vlm"); });
}

void FormMain::SkinList()
{
    std::int16_t index = 0;
    int listed = 0;
    std::optional<AutomationObject> fileSystem;
    std::optional<AutomationObject> files;
    std::optional<AutomationObject::Walk> walk;

    ContinueOnError([&] { fileSystem = AutomationObject::Create(L"Scripting.FileSystemObject"); });
    ContinueOnError([&] {
        files = fileSystem.value().CallWithString(L"getfolder", GetAppPath() + L"Skin\\").GetObjectProperty(L"Files");
    });
    ContinueOnError([&] { walk = files.value().Items(); });

    // Element 0 is made with the menu; each later file gets an element of its own, which has
    // its caption and state before it becomes visible, so it goes into the menu once, complete.
    // The index after the last is never an element: at most 32767 files are listed, the first
    // in the folder's order.
    while (walk && index < INT16_MAX) {
        std::wstring item;
        bool more = false;
        ContinueOnError([&] { more = walk->Next(item); });  // a walk that cannot advance ends here
        if (!more)
            break;
        if (index > 0)
            ContinueOnError([&] { themes_->Add(index); });
        ContinueOnError([&] {
            const std::wstring name = FileNameOf(item);
            themes_->SetCaption(index, name);
            ++listed;
            // Listed like every file, but greyed: a pick could not apply or save it as itself.
            if (!PassesIntact(name))
                themes_->SetEnabled(index, false);
        });
        ContinueOnError([&] { themes_->SetVisible(index, true); });
        ++index;
    }

    // Without a single file the first element is a greyed heading, so a click cannot save a
    // name that is not a theme.
    if (listed == 0) {
        ContinueOnError([&] { themes_->SetCaption(0, kThemeListHeading); });
        ContinueOnError([&] { themes_->SetEnabled(0, false); });
    }

    walk.reset();
    files.reset();
    fileSystem.reset();
}

void FormMain::Menu_ListThemes_Click(std::int16_t index)
{
    std::wstring caption;
    bool enabled = false;
    ContinueOnError([&] {
        caption = themes_->Caption(index);
        enabled = themes_->Enabled(index);
    });
    if (caption.empty() || !enabled)
        return;
    ContinueOnError([&] { ModuleSkin::Velum_AttachEx(GetAppPath() + L"Skin\\" + caption, L""); });
    ContinueOnError([&] { ModuleIni::WriteIni(L"SETUP", L"SKIN", caption); });
}

void FormMain::ReportStartupError(long number, const std::wstring& description)
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    const std::wstring text = L"运行时错误 '" + std::to_wstring(number) + L"':\n\n" + description;

    // The same text on stderr, for whoever started the program from a console or a script.
    std::string ansi;
    ContinueOnError([&] { ansi = ToAnsi(L"Zentora: " + text + L"\n"); });
    std::fwrite(ansi.data(), 1, ansi.size(), stderr);
    std::fflush(stderr);

    MessageBoxW(nullptr, text.c_str(), L"Zentora", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

LRESULT CALLBACK FormMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT FormMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.get());
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void FormMain::OnCommand(UINT command)
{
    if (const auto index = themes_ ? themes_->IndexOfCommand(command) : std::nullopt)
        Menu_ListThemes_Click(*index);
}

void FormMain::OnDestroy()
{
    // A window torn down by a failed start must not post WM_QUIT: it would close the error
    // report's message box at once.
    if (loaded_)
        PostQuitMessage(0);
}

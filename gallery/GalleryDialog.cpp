#include "GalleryDialog.h"

#include <commctrl.h>

#include <iterator>

#include "AnsiText.h"
#include "AppError.h"
#include "ModuleSkin.h"
#include "ThemeSwatches.h"
#include "resource.h"

namespace {

constexpr wchar_t kStartTheme[] = L"velum.vlm";
constexpr wchar_t kWatchItem[] = L"监视主题文件(&W)";
constexpr UINT_PTR kWatchTimer = 1;

std::wstring FileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The full path, so the file stays the same whatever the current folder becomes.
std::wstring FullPath(const std::wstring& path)
{
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    return full;
}

HWND Item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

void AddStrings(HWND dialog, int id, UINT message, std::initializer_list<const wchar_t*> items)
{
    for (const wchar_t* item : items)
        Send(dialog, id, message, 0, reinterpret_cast<LPARAM>(item));
}

void FillToolbar(HWND toolbar)
{
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP standard{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    SendMessageW(toolbar, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
    TBBUTTON buttons[] = {
        {STD_FILENEW, 1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {STD_FILEOPEN, 2, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {STD_FILESAVE, 3, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
        {STD_CUT, 4, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK, {}, 0, 0},
        {STD_COPY, 5, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {STD_PASTE, 6, 0, BTNS_BUTTON, {}, 0, 0},
    };
    SendMessageW(toolbar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
}

void FillTabs(HWND tab)
{
    const wchar_t* tabs[] = {L"常规", L"高级", L"关于"};
    for (int i = 0; i < static_cast<int>(std::size(tabs)); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(tabs[i]);
        SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void FillListView(HWND list)
{
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const struct {
        const wchar_t* title;
        int width;
    } columns[] = {{L"名称", 90}, {L"大小", 50}, {L"类型", 50}};
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        column.cx = columns[i].width;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    const wchar_t* rows[][3] = {
        {L"velum.vlm", L"4 KB", L"主题"},
        {L"midnight.vlm", L"4 KB", L"主题"},
        {L"说明.txt", L"1 KB", L"文本"},
        {L"图片.png", L"52 KB", L"图像"},
    };
    for (int r = 0; r < static_cast<int>(std::size(rows)); ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<wchar_t*>(rows[r][0]);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 3; ++c) {
            item.iSubItem = c;
            item.pszText = const_cast<wchar_t*>(rows[r][c]);
            SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    LVITEMW selected{};
    selected.stateMask = selected.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
}

void FillTreeView(HWND tree)
{
    const auto insert = [tree](HTREEITEM parent, const wchar_t* text) {
        TVINSERTSTRUCTW item{};
        item.hParent = parent;
        item.hInsertAfter = TVI_LAST;
        item.item.mask = TVIF_TEXT;
        item.item.pszText = const_cast<wchar_t*>(text);
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    };
    HTREEITEM root = insert(TVI_ROOT, L"程序文件夹");
    insert(root, L"VelumGallery.exe");
    insert(root, L"Velum_VB6.dll");
    HTREEITEM skins = insert(root, L"Skin");
    HTREEITEM first = insert(skins, L"velum.vlm");
    insert(skins, L"midnight.vlm");
    insert(TVI_ROOT, L"文档");
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(skins));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
}

}  // namespace

GalleryDialog::GalleryDialog(HINSTANCE instance) : instance_(instance), more_(instance) {}

GalleryDialog::~GalleryDialog()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
}

void GalleryDialog::Create(const std::wstring& skinFolder)
{
    ThemeSwatches::Register(instance_);
    if (CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_GALLERY), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this)) == nullptr)
        ThrowLastError(L"CreateDialogParamW", L"IDD_GALLERY");
    HMENU themePopup = GetSubMenu(GetMenu(hwnd_), 0);
    themes_ = std::make_unique<ThemeMenu>(themePopup, IDM_FIRST_THEME);
    themes_->Fill(skinFolder);
    AppendMenuW(themePopup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(themePopup, MF_STRING, IDM_WATCH_THEME, kWatchItem);
}

void GalleryDialog::ApplyStartTheme()
{
    std::optional<size_t> start = themes_->IndexOfName(kStartTheme);
    for (size_t i = 0; !start && i < themes_->Count(); ++i) {
        if (themes_->Usable(i))
            start = i;
    }
    if (start) {
        ApplyTheme(*start);
    } else {
        ModuleSkin::Velum_Attach();
        ShowStatus(L"主题: 引擎的内置外观");
    }
}

void GalleryDialog::WatchThemeFile(const std::wstring& path)
{
    // Begun before the first apply, so a save from then on is applied.
    BeginWatch(path);
    if (!watch_ || !ApplyWatchedFile())
        ModuleSkin::Velum_Attach();
}

void GalleryDialog::ToggleWatch()
{
    if (watch_) {
        const std::wstring name = FileName(watch_->Path());
        StopWatching();
        ShowStatus(L"不再监视 " + name);
    } else if (themeInUse_.empty()) {
        ShowStatus(L"没有可监视的主题文件: 正在使用引擎的内置外观");
    } else {
        BeginWatch(themeInUse_);
        if (watch_)
            ShowStatus(L"监视 " + FileName(watch_->Path()) + L": 保存后重新应用");
    }
}

void GalleryDialog::BeginWatch(const std::wstring& path)
{
    StopWatching();
    watch_.emplace(FullPath(path));
    if (SetTimer(hwnd_, kWatchTimer, SavedFileWatch::kLookIntervalMs, nullptr) == 0) {
        const DWORD error = GetLastError();
        ShowStatus(L"无法监视 " + watch_->Path() + L": SetTimer: error " + std::to_wstring(error) + L": " +
                   SystemErrorText(error));
        watch_.reset();
        return;
    }
    CheckMenuItem(GetMenu(hwnd_), IDM_WATCH_THEME, MF_BYCOMMAND | MF_CHECKED);
}

bool GalleryDialog::ApplyWatchedFile()
{
    const std::wstring& path = watch_->Path();
    const std::wstring name = FileName(path);
    if (!SurvivesAnsi(path)) {
        ShowStatus(L"无法应用 " + name + L": 文件名含有系统代码页以外的字符");
        return false;
    }
    if (ModuleSkin::Velum_AttachEx(path, L"") != 0) {
        ShowStatus(L"无法应用 " + name + L": " + ModuleSkin::Velum_GetLastErrorText());
        return false;
    }
    themeInUse_ = path;
    ShowStatus(L"主题: " + name + L" (保存后重新应用)");
    return true;
}

void GalleryDialog::StopWatching()
{
    if (!watch_)
        return;
    KillTimer(hwnd_, kWatchTimer);
    watch_.reset();
    CheckMenuItem(GetMenu(hwnd_), IDM_WATCH_THEME, MF_BYCOMMAND | MF_UNCHECKED);
}

int GalleryDialog::Run(int showCommand)
{
    HACCEL keys = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(IDR_GALLERY_KEYS));
    running_ = true;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (hwnd_ != nullptr && keys != nullptr && TranslateAcceleratorW(hwnd_, keys, &msg))
            continue;
        if (more_.TakeMessage(msg))
            continue;
        if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

INT_PTR CALLBACK GalleryDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<GalleryDialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<GalleryDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR GalleryDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == ModuleSkin::ThemeChangedMessage() && message != 0) {
        OnThemeChanged();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return FALSE;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return TRUE;
    case WM_TIMER: OnTimer(wParam); return TRUE;
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_INITMENUPOPUP:
        // The second page may have been closed with its own buttons.
        CheckMenuItem(GetMenu(hwnd_), IDM_MORE_CONTROLS,
                      MF_BYCOMMAND | (more_.Window() != nullptr ? MF_CHECKED : MF_UNCHECKED));
        return FALSE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    default: return FALSE;
    }
}

// The engine attached, switched or detached: the strip the gallery draws itself takes the
// colours now in use.
void GalleryDialog::OnThemeChanged()
{
    InvalidateRect(Item(hwnd_, IDC_SWATCHES), nullptr, FALSE);
}

void GalleryDialog::OnInitDialog()
{
    FillControls();
    FillCommonControls();
    AddTooltip();
    // The gallery draws the strip itself, in the colours the engine gives it.
    ModuleSkin::Velum_ExcludeWindow(Item(hwnd_, IDC_SWATCHES), true);
    // The focus starts in a field: a push button with the focus would take the default
    // button's look from the one that shows it.
    SetFocus(Item(hwnd_, IDC_EDIT));
}

void GalleryDialog::OnCommand(UINT command)
{
    if (const auto index = themes_ ? themes_->IndexOfCommand(command) : std::nullopt) {
        // While watching, the theme picked is the one watched from now on, applied or not: a
        // broken file picked is applied at its first good save.
        if (watch_)
            BeginWatch(themes_->Path(*index));
        ApplyTheme(*index);
        return;
    }
    switch (command) {
    case IDM_DISABLE_ALL: ToggleDisabled(); break;
    case IDM_WATCH_THEME: ToggleWatch(); break;
    case IDM_MORE_CONTROLS: ToggleSecondPage(); break;
    case IDM_EXIT: OnClose(); break;
    default: break;  // the sample's buttons and fields do nothing but show their states
    }
}

void GalleryDialog::OnTimer(UINT_PTR timer)
{
    if (timer == kWatchTimer && watch_ && watch_->Saved())
        ApplyWatchedFile();
}

void GalleryDialog::OnClose()
{
    DestroyWindow(hwnd_);
}

void GalleryDialog::OnDestroy()
{
    // Only the program's own loop ends with the window; a test that made it goes on.
    if (running_)
        PostQuitMessage(0);
}

void GalleryDialog::FillControls()
{
    CheckDlgButton(hwnd_, IDC_CHECK_ON, BST_CHECKED);
    CheckDlgButton(hwnd_, IDC_CHECK_MIXED, BST_INDETERMINATE);
    CheckDlgButton(hwnd_, IDC_CHECK_DISABLED, BST_CHECKED);
    CheckDlgButton(hwnd_, IDC_RADIO_ON, BST_CHECKED);

    SetDlgItemTextW(hwnd_, IDC_EDIT, L"单行编辑框");
    SetDlgItemTextW(hwnd_, IDC_EDIT_MULTI,
                    L"多行编辑框，带滚动条。\r\n第二行\r\n第三行\r\n第四行\r\n第五行\r\n第六行\r\n第七行\r\n第八行");
    SetDlgItemTextW(hwnd_, IDC_EDIT_READONLY, L"只读编辑框");
    SetDlgItemTextW(hwnd_, IDC_EDIT_DISABLED, L"禁用的编辑框");

    AddStrings(hwnd_, IDC_LIST_SELECTED, LB_ADDSTRING, {L"苹果", L"香蕉", L"樱桃", L"葡萄"});
    Send(hwnd_, IDC_LIST_SELECTED, LB_SETCURSEL, 1);
    for (int i = 1; i <= 30; ++i)
        Send(hwnd_, IDC_LIST_LONG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"项目 " + std::to_wstring(i)).c_str()));
    for (const int combo : {IDC_COMBO_SIMPLE, IDC_COMBO_DROPDOWN, IDC_COMBO_LIST}) {
        AddStrings(hwnd_, combo, CB_ADDSTRING, {L"北京", L"上海", L"广州", L"深圳", L"杭州", L"成都"});
        Send(hwnd_, combo, CB_SETCURSEL, 0);
    }

    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    scroll.nMax = 100;
    scroll.nPage = 20;
    scroll.nPos = 30;
    SetScrollInfo(Item(hwnd_, IDC_SCROLLBAR), SB_CTL, &scroll, TRUE);
}

void GalleryDialog::FillCommonControls()
{
    FillToolbar(Item(hwnd_, IDC_TOOLBAR));
    Send(hwnd_, IDC_PROGRESS, PBM_SETPOS, 60);
    Send(hwnd_, IDC_TRACKBAR, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    Send(hwnd_, IDC_TRACKBAR, TBM_SETPOS, TRUE, 4);
    Send(hwnd_, IDC_UPDOWN, UDM_SETRANGE32, 0, 99);
    Send(hwnd_, IDC_UPDOWN, UDM_SETPOS32, 0, 42);
    FillTabs(Item(hwnd_, IDC_TAB));
    FillListView(Item(hwnd_, IDC_LISTVIEW));
    FillTreeView(Item(hwnd_, IDC_TREEVIEW));
}

void GalleryDialog::AddTooltip()
{
    // Owned by the dialog, so Windows destroys it with the dialog.
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
    if (tip == nullptr)
        return;  // the gallery works without its tooltip
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(hwnd_, IDC_PUSH));
    tool.lpszText = const_cast<wchar_t*>(L"普通按钮的工具提示");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void GalleryDialog::ApplyTheme(size_t index)
{
    const std::wstring& name = themes_->Name(index);
    if (!themes_->Usable(index)) {
        ShowStatus(L"无法应用 " + name + L": 文件名含有系统代码页以外的字符");
        return;
    }
    if (ModuleSkin::Velum_AttachEx(themes_->Path(index), L"") != 0) {
        ShowStatus(L"无法应用 " + name + L": " + ModuleSkin::Velum_GetLastErrorText());
        return;
    }
    themes_->Check(index);
    themeInUse_ = themes_->Path(index);
    ShowStatus(watch_ ? L"主题: " + name + L" (保存后重新应用)" : L"主题: " + name);
}

void GalleryDialog::ToggleDisabled()
{
    HMENU menu = GetMenu(hwnd_);
    if (disabled_.empty()) {
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            disabled_.emplace_back(child, IsWindowEnabled(child) != FALSE);
            EnableWindow(child, FALSE);
        }
        CheckMenuItem(menu, IDM_DISABLE_ALL, MF_BYCOMMAND | MF_CHECKED);
    } else {
        for (const auto& [child, enabled] : disabled_)
            EnableWindow(child, enabled);
        disabled_.clear();
        CheckMenuItem(menu, IDM_DISABLE_ALL, MF_BYCOMMAND | MF_UNCHECKED);
    }
}

void GalleryDialog::ToggleSecondPage()
{
    if (more_.Window() != nullptr)
        more_.Close();
    else if (!more_.Open(hwnd_))
        ShowStatus(L"无法打开第二页");
}

void GalleryDialog::ShowStatus(const std::wstring& text)
{
    SetDlgItemTextW(hwnd_, IDC_STATUS, text.c_str());
}

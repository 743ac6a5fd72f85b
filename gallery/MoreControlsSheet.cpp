#include "MoreControlsSheet.h"

#include <commctrl.h>
#include <richedit.h>

#include <iterator>
#include <utility>

#include "resource.h"

namespace {

LRESULT Send(HWND page, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageW(page, id, message, wParam, lParam);
}

void FillComboEx(HWND combo)
{
    const wchar_t* fonts[] = {L"宋体", L"黑体", L"Times New Roman", L"Tahoma"};
    for (int i = 0; i < static_cast<int>(std::size(fonts)); ++i) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(fonts[i]);
        SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// Two bands, each with a child, so that the rebar draws its band borders and grippers.
void FillRebar(HWND rebar, HWND page)
{
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE));
    const wchar_t* labels[] = {L"查找:", L"大小:"};
    for (int i = 0; i < 2; ++i) {
        HWND child = CreateWindowExW(0, WC_COMBOBOXW, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN, 0, 0,
                                     120, 120, rebar, nullptr, instance, nullptr);
        if (child == nullptr)
            continue;
        SendMessageW(child, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
        SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(i == 0 ? L"主题" : L"12"));
        SendMessageW(child, CB_SETCURSEL, 0, 0);
        RECT size{};
        GetWindowRect(child, &size);
        REBARBANDINFOW band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_TEXT | RBBIM_STYLE | RBBIM_SIZE;
        band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS | (i == 1 ? RBBS_BREAK : 0);
        band.lpText = const_cast<wchar_t*>(labels[i]);
        band.hwndChild = child;
        band.cxMinChild = 80;
        band.cyMinChild = size.bottom - size.top;
        band.cx = 200;
        SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    }
}

}  // namespace

MoreControlsSheet::~MoreControlsSheet()
{
    if (sheet_ != nullptr)
        DestroyWindow(sheet_);
}

void MoreControlsSheet::FillPage(HWND page, bool enabled)
{
    Send(page, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD('S', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    Send(page, IDC_IPADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 20));
    FillComboEx(GetDlgItem(page, IDC_COMBOEX));
    SetDlgItemTextW(page, IDC_PAGE_EDIT, L"页面上的编辑框");
    for (const wchar_t* item : {L"北京", L"上海", L"广州"})
        Send(page, IDC_PAGE_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    Send(page, IDC_PAGE_COMBO, CB_SETCURSEL, 1);
    Send(page, IDC_PAGE_TRACKBAR, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    Send(page, IDC_PAGE_TRACKBAR, TBM_SETPOS, TRUE, 6);
    CheckDlgButton(page, IDC_PAGE_CHECK, BST_CHECKED);
    SetDlgItemTextW(page, IDC_LINK, L"一个<a>链接控件</a>与它的文字");
    FillRebar(GetDlgItem(page, IDC_REBAR), page);
    SetDlgItemTextW(page, IDC_RICHEDIT, L"多格式文本框：系统的对话框与写字板都用它。\r\n第二行的文字用它的自动颜色。");
    if (!enabled) {
        for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            EnableWindow(child, FALSE);
    }
}

INT_PTR CALLBACK MoreControlsSheet::PageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    FillPage(page, sheetPage->lParam != 0);
    return TRUE;
}

bool MoreControlsSheet::Open(HWND owner)
{
    if (sheet_ != nullptr)
        return true;
    // The rich edit's class comes with its DLL, kept for the rest of the run.
    LoadLibraryW(L"riched20.dll");
    PROPSHEETPAGEW pages[2]{};
    const wchar_t* titles[] = {L"控件", L"禁用的控件"};
    for (int i = 0; i < 2; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = instance_;
        pages[i].pszTemplate = MAKEINTRESOURCEW(IDD_MORE_CONTROLS);
        pages[i].pszTitle = titles[i];
        pages[i].pfnDlgProc = PageProc;
        pages[i].lParam = i == 0 ? 1 : 0;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = instance_;
    header.pszCaption = L"Velum 控件样例 - 第二页";
    header.nPages = static_cast<UINT>(std::size(pages));
    header.ppsp = pages;
    const INT_PTR sheet = PropertySheetW(&header);
    if (sheet == 0 || sheet == -1)
        return false;
    sheet_ = reinterpret_cast<HWND>(sheet);
    return true;
}

void MoreControlsSheet::Close()
{
    if (sheet_ != nullptr)
        DestroyWindow(std::exchange(sheet_, nullptr));
}

bool MoreControlsSheet::TakeMessage(MSG& msg)
{
    if (sheet_ == nullptr)
        return false;
    const bool taken = PropSheet_IsDialogMessage(sheet_, &msg) != FALSE;
    // OK and Cancel end a modeless sheet by leaving it without a current page.
    if (PropSheet_GetCurrentPageHwnd(sheet_) == nullptr) {
        DestroyWindow(sheet_);
        sheet_ = nullptr;
    }
    return taken;
}

// Edits, lists and combo boxes under the engine: their pixels in each shipped theme and state,
// the ones the engine leaves to the program, typing, selecting and picking by mouse and
// keyboard, and the look Velum_Detach gives back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ControlTestKit.h"

namespace {

using kit::Attach;
using kit::ColourThemes;
using kit::Hex;
using kit::PaletteOf;
using kit::Pump;
using kit::Ref;
using kit::SkinFolder;
using kit::SystemColour;

using velum::Color;

enum Id {
    kEdit = 1,
    kReadOnly,
    kDisabled,
    kBordered,
    kList,
    kDropList,
    kDropDown,
    kSimple,
    kOwnerList,
    kOwnEdit,
    kOwnList,
    kUnskinnedEdit
};

constexpr COLORREF kOwnerGreen = RGB(0, 200, 0);
constexpr COLORREF kProgramRed = RGB(200, 0, 0);

HBRUSH programBrush = nullptr;
std::map<int, int> selectionChanges;  // LBN_SELCHANGE and CBN_SELCHANGE by control id

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && (HIWORD(wParam) == LBN_SELCHANGE || HIWORD(wParam) == CBN_SELCHANGE))
        ++selectionChanges[LOWORD(wParam)];
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 16;
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH green = CreateSolidBrush(kOwnerGreen);
        FillRect(item->hDC, &item->rcItem, green);
        DeleteObject(green);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A program that chose its controls' colours itself.
LRESULT CALLBACK OwnColoursProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
        SetBkColor(reinterpret_cast<HDC>(wParam), kProgramRed);
        return reinterpret_cast<LRESULT>(programBrush);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A pixel of the client area, or of the whole window (frame included) where `frame` says so.
COLORREF Pixel(HWND hwnd, int x, int y, bool frame = false)
{
    HDC dc = frame ? GetWindowDC(hwnd) : GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// Input through X, as a person's: Wine runs a program of the host when asked to.
void Xdotool(const std::string& arguments)
{
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + harness::Widen(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "xdotool " << arguments << ": " << GetLastError();
    // Wine's messages keep flowing while xdotool runs.
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        Pump(0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Pump(200);
}

void ClickAt(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1");
}

void Keys(const std::string& keys)
{
    Xdotool("key --delay 60 " + keys);
}

// A window like a dialog with every field kind and state, and beside it a window of a program
// that colours its fields itself.
class Fields : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        programBrush = CreateSolidBrush(kProgramRed);
        kit::RegisterWindowClass(L"ZtFieldHost", HostProc);
        kit::RegisterWindowClass(L"ZtFieldOwnColours", OwnColoursProc);
    }
    static void TearDownTestSuite() { DeleteObject(programBrush); }

    void SetUp() override
    {
        kit::PointerAway();
        selectionChanges.clear();
    }
    void TearDown() override
    {
        Velum_Detach();
        DestroyWindow(host_);
        DestroyWindow(own_);
        DestroyWindow(unskinned_);
        Pump(50);
    }

    HWND Make(HWND parent, Id id, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, RECT r)
    {
        return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    void Create()
    {
        host_ = CreateWindowExW(0, L"ZtFieldHost", L"Fields", WS_OVERLAPPEDWINDOW, 20, 20, 560, 330, nullptr, nullptr,
                                nullptr, nullptr);
        const DWORD edge = WS_EX_CLIENTEDGE;
        Make(host_, kEdit, L"Edit", L"abc", ES_AUTOHSCROLL, edge, {10, 10, 170, 34});
        Make(host_, kReadOnly, L"Edit", L"read", ES_READONLY, edge, {10, 44, 170, 68});
        Make(host_, kDisabled, L"Edit", L"off", WS_DISABLED, edge, {10, 78, 170, 102});
        Make(host_, kBordered, L"Edit", L"", WS_BORDER, 0, {10, 112, 170, 134});
        HWND list = Make(host_, kList, L"ListBox", L"", LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, edge,
                         {190, 10, 330, 150});
        HWND ownerList = Make(host_, kOwnerList, L"ListBox", L"",
                              LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, edge, {190, 160, 330, 220});
        HWND dropList = Make(host_, kDropList, L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 0, {350, 10, 520, 200});
        HWND dropDown = Make(host_, kDropDown, L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL, 0, {350, 50, 520, 240});
        HWND simple = Make(host_, kSimple, L"ComboBox", L"", CBS_SIMPLE, 0, {350, 90, 520, 200});
        const wchar_t* items[] = {L"one", L"two", L"three", L"four", L"five", L"six"};
        for (const wchar_t* item : items) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            SendMessageW(ownerList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            for (HWND combo : {dropList, dropDown, simple})
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        SendMessageW(dropList, CB_SETCURSEL, 0, 0);

        own_ = CreateWindowExW(0, L"ZtFieldOwnColours", L"Own", WS_OVERLAPPEDWINDOW, 600, 20, 220, 200, nullptr,
                               nullptr, nullptr, nullptr);
        Make(own_, kOwnEdit, L"Edit", L"", 0, edge, {10, 10, 170, 34});
        HWND ownList = Make(own_, kOwnList, L"ListBox", L"", LBS_NOINTEGRALHEIGHT, edge, {10, 44, 170, 120});
        SendMessageW(ownList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"mine"));
        SendMessageW(ownList, LB_SETCURSEL, 0, 0);
        // A window without a caption, which the engine does not skin: its edit stays the system's.
        unskinned_ = CreateWindowExW(0, L"ZtFieldHost", L"", WS_POPUP | WS_BORDER, 600, 260, 200, 50, nullptr, nullptr,
                                     nullptr, nullptr);
        Make(unskinned_, kUnskinnedEdit, L"Edit", L"", 0, edge, {10, 10, 170, 34});
        ShowWindow(unskinned_, SW_SHOWNOACTIVATE);
        ShowWindow(own_, SW_SHOW);
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
        SetFocus(Field(kEdit));
        Pump(300);
    }

    HWND Field(Id id) const
    {
        return GetDlgItem(id == kUnskinnedEdit ? unskinned_ : id >= kOwnEdit ? own_ : host_, id);
    }

    COMBOBOXINFO ComboInfo(Id id) const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(Field(id), &info);
        return info;
    }

    HWND host_ = nullptr;
    HWND own_ = nullptr;
    HWND unskinned_ = nullptr;
};

struct Probe {
    Id id;
    int x, y;
    bool frame;  // the point is in window coordinates, on the control's edge
    const char* what;
};

// Items of the list are as high as its font; the second one is selected.
int ItemHeight(HWND list)
{
    return static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
}

TEST_F(Fields, EveryShippedThemeDrawsEachKindInItsColoursAndDetachGivesTheSystemsBack)
{
    Create();
    const int item = ItemHeight(Field(kList));
    const COMBOBOXINFO dropList = ComboInfo(kDropList);
    const COMBOBOXINFO dropDown = ComboInfo(kDropDown);
    const Probe probes[] = {
        {kEdit, 140, 4, false, "edit background"},
        {kEdit, 0, 0, true, "edit border, focused"},
        {kEdit, 1, 1, true, "edit's inner edge"},
        {kReadOnly, 140, 4, false, "read-only background"},
        {kReadOnly, 0, 0, true, "read-only border"},
        {kDisabled, 140, 4, false, "disabled background"},
        {kDisabled, 0, 0, true, "disabled border"},
        {kBordered, 140, 5, false, "bordered edit background"},
        {kList, 100, item / 2, false, "list item"},
        {kList, 100, item + item / 2, false, "selected item, list without focus"},
        {kList, 0, 0, true, "list border"},
        {kDropList, 0, 0, false, "drop-down list frame"},
        {kDropList, dropList.rcItem.right - 4, dropList.rcItem.top + 2, false, "drop-down list field"},
        {kDropList, dropList.rcButton.left + 1, dropList.rcButton.top + 1, false, "drop-down list button"},
        {kDropDown, dropDown.rcButton.left + 1, dropDown.rcButton.top + 1, false, "drop-down button"},
        {kDropDown, 0, 0, false, "drop-down frame"},
        {kOwnerList, 100, 4, false, "owner-drawn list"},
        {kOwnEdit, 140, 4, false, "program's own edit colour"},
        {kOwnList, 100, 30, false, "program's own list colour"},
        {kOwnEdit, 0, 0, true, "program's own edit border"},
        {kUnskinnedEdit, 140, 4, false, "edit in a window the engine does not skin"},
        {kUnskinnedEdit, 0, 0, true, "its border"},
    };
    std::vector<COLORREF> unskinned;
    for (const auto& p : probes)
        unskinned.push_back(Pixel(Field(p.id), p.x, p.y, p.frame));
    EXPECT_EQ(Hex(unskinned[std::size(probes) - 6]), Hex(kOwnerGreen));
    EXPECT_EQ(Hex(unskinned[std::size(probes) - 5]), Hex(kProgramRed));

    const auto themes = ColourThemes();
    ASSERT_GE(themes.size(), 8u);
    for (const auto& name : themes) {
        const std::wstring file = SkinFolder() + L"\\" + name;
        ASSERT_EQ(Attach(file), VELUM_OK) << harness::Utf8(name);
        Pump(250);
        const auto palette = PaletteOf(file);
        const auto& f = palette.field;
        const auto& b = palette.button;
        const COLORREF expected[] = {
            Ref(f.normal.background.from),
            Ref(f.focusBorder),
            Ref(f.normal.background.from),
            Ref(f.readOnly.background.from),
            Ref(f.readOnly.border),
            Ref(f.disabled.background.from),
            Ref(f.disabled.border),
            Ref(f.normal.background.from),
            Ref(f.normal.background.from),
            Ref(f.selectedInactive.background.from),
            Ref(f.normal.border),
            Ref(f.normal.border),
            Ref(f.normal.background.from),
            Ref(b.normal.background.from),
            Ref(b.normal.background.from),
            Ref(f.normal.border),
            kOwnerGreen,
            kProgramRed,
            kProgramRed,
            unskinned[std::size(probes) - 3],
            unskinned[std::size(probes) - 2],
            unskinned[std::size(probes) - 1],
        };
        for (size_t i = 0; i < std::size(probes); ++i)
            EXPECT_EQ(Hex(Pixel(Field(probes[i].id), probes[i].x, probes[i].y, probes[i].frame)), Hex(expected[i]))
                << harness::Utf8(name) << ": " << probes[i].what;
    }

    ASSERT_EQ(Velum_Detach(), VELUM_OK);
    Pump(300);
    for (size_t i = 0; i < std::size(probes); ++i)
        EXPECT_EQ(Hex(Pixel(Field(probes[i].id), probes[i].x, probes[i].y, probes[i].frame)), Hex(unskinned[i]))
            << "after detach: " << probes[i].what;
}

TEST_F(Fields, CreatedUnderTheEngineTheyStillTakeTypingSelectionAndPicksByMouseAndKeyboard)
{
    if (!testdata::HostHas(L"/usr/bin/xdotool"))
        GTEST_SKIP() << testdata::kNoXdotool;
    const std::wstring file = SkinFolder() + L"\\midnight.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    Create();
    const auto palette = PaletteOf(file);
    const auto& f = palette.field;
    const auto& b = palette.button;

    // An edit made with a plain border draws it inside its client area, in the field's colour.
    EXPECT_EQ(Hex(Pixel(Field(kBordered), 0, 0)), Hex(Ref(f.normal.border)));
    EXPECT_EQ(Hex(Pixel(Field(kBordered), 0, 10)), Hex(Ref(f.normal.border)));

    // Typing at the end of an edit, then selecting all of it from the keyboard.
    HWND edit = Field(kEdit);
    ClickAt(edit, 140, 10);
    EXPECT_EQ(GetFocus(), edit);
    Keys("x y z");
    EXPECT_EQ(harness::WindowText(edit), L"abcxyz");
    Keys("shift+Home");
    DWORD from = 99, to = 99;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 6u);
    EXPECT_EQ(Hex(Pixel(edit, 0, 0, true)), Hex(Ref(f.focusBorder))) << "the focused edit's border";
    // The selection is drawn in the theme's selection colours, none of it in the system's.
    const auto countPixels = [](HWND hwnd, COLORREF colour) {
        RECT r;
        GetClientRect(hwnd, &r);
        int count = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                count += Pixel(hwnd, x, y) == colour ? 1 : 0;
        return count;
    };
    EXPECT_GT(countPixels(edit, Ref(f.selected.background.from)), 40) << "the selection";
    EXPECT_EQ(countPixels(edit, SystemColour(COLOR_HIGHLIGHT)), 0) << "the system's highlight";
    // A disabled edit's text is in the theme's disabled text colour, not the system's grey.
    EXPECT_GT(countPixels(Field(kDisabled), Ref(f.disabled.text)), 10) << "disabled text";
    EXPECT_EQ(countPixels(Field(kDisabled), SystemColour(COLOR_GRAYTEXT)), 0) << "the system's grey text";

    // A list: a click selects the item under the pointer, Down the next one.
    HWND list = Field(kList);
    const int item = ItemHeight(list);
    ClickAt(list, 40, 3 * item + item / 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(selectionChanges[kList], 1);
    EXPECT_EQ(Hex(Pixel(list, 100, 3 * item + item / 2)), Hex(Ref(f.selected.background.from))) << "clicked item";
    EXPECT_EQ(Hex(Pixel(edit, 0, 0, true)), Hex(Ref(f.normal.border))) << "the edit's border once it lost the focus";
    Keys("Down");
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(Hex(Pixel(list, 100, 4 * item + item / 2)), Hex(Ref(f.selected.background.from))) << "next item";
    EXPECT_EQ(Hex(Pixel(list, 100, 3 * item + item / 2)), Hex(Ref(f.normal.background.from))) << "item left";

    // A drop-down list opens on a click on its button and picks the item clicked in its list.
    HWND combo = Field(kDropList);
    COMBOBOXINFO info = ComboInfo(kDropList);
    POINT button{(info.rcButton.left + info.rcButton.right) / 2, (info.rcButton.top + info.rcButton.bottom) / 2};
    ClientToScreen(combo, &button);
    Xdotool("mousemove " + std::to_string(button.x) + " " + std::to_string(button.y) + " mousedown 1");
    EXPECT_EQ(Hex(Pixel(combo, info.rcButton.left + 1, info.rcButton.top + 1)), Hex(Ref(b.pressed.background.from)))
        << "the pressed button";
    Xdotool("mouseup 1");
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list opened";
    HWND dropped = info.hwndList;
    const int comboItem = static_cast<int>(SendMessageW(dropped, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(Hex(Pixel(dropped, 100, comboItem / 2)), Hex(Ref(f.selected.background.from))) << "dropped selection";
    EXPECT_EQ(Hex(Pixel(dropped, 100, 2 * comboItem + comboItem / 2)), Hex(Ref(f.normal.background.from)))
        << "dropped item";
    EXPECT_EQ(Hex(Pixel(dropped, 0, 0, true)), Hex(Ref(f.normal.border))) << "dropped list's border";
    ClickAt(dropped, 40, 2 * comboItem + comboItem / 2);
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(selectionChanges[kDropList], 1);
    EXPECT_EQ(Hex(Pixel(combo, info.rcItem.right - 4, info.rcItem.top + 3)), Hex(Ref(f.selected.background.from)))
        << "the focused field";
    EXPECT_EQ(Hex(Pixel(combo, 0, 0)), Hex(Ref(f.focusBorder))) << "the focused combo box's frame";
    EXPECT_EQ(Hex(Pixel(combo, info.rcButton.left + 1, info.rcButton.top + 1)), Hex(Ref(b.normal.background.from)))
        << "the button";
    Xdotool("mousemove " + std::to_string(button.x) + " " + std::to_string(button.y));
    EXPECT_EQ(Hex(Pixel(combo, info.rcButton.left + 1, info.rcButton.top + 1)), Hex(Ref(b.hot.background.from)))
        << "the button under the pointer";

    // And from the keyboard: Alt+Down opens, Down moves, Enter picks.
    Keys("alt+Down");
    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    Keys("Down Return");
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);

    // The drop-down's edit takes typing.
    HWND dropDown = Field(kDropDown);
    const COMBOBOXINFO dropDownInfo = ComboInfo(kDropDown);
    ClickAt(dropDownInfo.hwndItem, 20, 5);
    Keys("f i");
    EXPECT_EQ(harness::WindowText(dropDown), L"fi");
    EXPECT_EQ(Hex(Pixel(dropDown, 0, 0)), Hex(Ref(f.focusBorder))) << "the frame around the focused edit";

    // Disabled, the list and the combo box take the disabled look, its button too.
    EnableWindow(list, FALSE);
    EnableWindow(combo, FALSE);
    Pump(150);
    EXPECT_EQ(Hex(Pixel(list, 100, item / 2)), Hex(Ref(f.disabled.background.from))) << "disabled list";
    EXPECT_EQ(Hex(Pixel(combo, info.rcItem.right - 4, info.rcItem.top + 3)), Hex(Ref(f.disabled.background.from)))
        << "disabled field";
    EXPECT_EQ(Hex(Pixel(combo, info.rcButton.left + 1, info.rcButton.top + 1)), Hex(Ref(b.disabled.background.from)))
        << "disabled button";
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A dialog template as a resource compiler writes EDITTEXT and LISTBOX with their default
// styles: both with WS_BORDER.
std::vector<WORD> DialogTemplate()
{
    std::vector<WORD> t;
    const auto dword = [&t](DWORD value) {
        t.push_back(LOWORD(value));
        t.push_back(HIWORD(value));
    };
    const auto text = [&t](const wchar_t* value) {
        for (; *value != L'\0'; ++value)
            t.push_back(static_cast<WORD>(*value));
        t.push_back(0);
    };
    dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dword(0);
    t.insert(t.end(), {2, 0, 0, 200, 100, 0, 0});  // items, x, y, cx, cy, no menu, default class
    text(L"Dialog");
    t.push_back(9);
    text(L"MS Shell Dlg");
    const struct {
        DWORD style;
        WORD cls;
        WORD id;
        WORD y;
    } items[] = {
        {ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0x0081, kEdit, 10},
        {LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 0x0083, kList, 30},
    };
    for (const auto& item : items) {
        if (t.size() % 2 != 0)
            t.push_back(0);  // each item on a DWORD boundary
        dword(WS_CHILD | WS_VISIBLE | item.style);
        dword(0);
        t.insert(t.end(), {10, item.y, 150, static_cast<WORD>(item.cls == 0x0081 ? 14 : 50), item.id});
        t.insert(t.end(), {0xFFFF, item.cls, 0, 0});  // class by atom, no text, no creation data
    }
    return t;
}

TEST_F(Fields, InADialogMadeFromATemplateTheyTakeTheFieldLook)
{
    const std::wstring file = SkinFolder() + L"\\ocean.vlm";
    ASSERT_EQ(Attach(file), VELUM_OK);
    const auto& f = PaletteOf(file).field;
    const std::vector<WORD> dialogTemplate = DialogTemplate();
    HWND dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                             nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(GetDlgItem(dialog, kList));
    Pump(300);
    HWND edit = GetDlgItem(dialog, kEdit);
    HWND list = GetDlgItem(dialog, kList);
    RECT client;
    GetClientRect(edit, &client);
    EXPECT_EQ(Hex(Pixel(edit, client.right - 4, client.bottom / 2)), Hex(Ref(f.normal.background.from)));
    EXPECT_EQ(Hex(Pixel(edit, 0, 0, true)), Hex(Ref(f.normal.border))) << "the edit's border";
    EXPECT_EQ(Hex(Pixel(list, 0, 0, true)), Hex(Ref(f.focusBorder))) << "the focused list's border";
    DestroyWindow(dialog);
}

TEST_F(Fields, SwitchesWithFieldsPaintedAndUsedLeakNoObjects)
{
    Create();
    const std::string a = harness::Ansi(SkinFolder() + L"\\velum.vlm");
    const std::string b = harness::Ansi(SkinFolder() + L"\\midnight.vlm");
    HWND list = Field(kList);
    HWND combo = Field(kDropList);
    const auto switchAndPaint = [&](int times) {
        int failed = 0;
        for (int i = 0; i < times; ++i) {
            failed += Velum_AttachEx(i % 2 == 0 ? a.c_str() : b.c_str(), "") != VELUM_OK;
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i % 6), 0);
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i % 6), 0);
            SetFocus(i % 2 == 0 ? list : combo);
            RedrawWindow(host_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(0);
        }
        return failed;
    };
    EXPECT_EQ(switchAndPaint(20), 0);
    const harness::ObjectCounts before = harness::CountObjects();
    EXPECT_EQ(switchAndPaint(200), 0);
    const harness::ObjectCounts after = harness::CountObjects();
    EXPECT_LE(after.gdi, before.gdi + 8) << "GDI objects before " << before.gdi << ", after " << after.gdi;
    EXPECT_LE(after.user, before.user + 8) << "USER objects before " << before.user << ", after " << after.user;
}

}  // namespace

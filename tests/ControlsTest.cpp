// Which system control a window is built on, for controls created under their own names and for
// superclasses registered under other names, as programs of VB-style runtimes and class
// libraries register them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlClasses.h"

namespace {

using velum::ControlFamily;

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

// Registers `name` as a copy of the system class `base`, keeping its window procedure.
void RegisterCopyW(const wchar_t* base, const wchar_t* name)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExW(Instance(), base, &wc)) << GetLastError();
    wc.hInstance = Instance();
    wc.lpszClassName = name;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    ASSERT_NE(RegisterClassExW(&wc), 0) << GetLastError();
}

void RegisterCopyA(const char* base, const char* name)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(Instance(), base, &wc)) << GetLastError();
    wc.hInstance = Instance();
    wc.lpszClassName = name;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    ASSERT_NE(RegisterClassExA(&wc), 0) << GetLastError();
}

// A superclass with a procedure of its own that passes every message to the button's, as a
// class library's control does.
WNDPROC buttonProcedure = nullptr;
LRESULT CALLBACK ForwardingButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(buttonProcedure, hwnd, message, wParam, lParam);
}

void RegisterForwardingButton(const wchar_t* name)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Button", &wc));
    buttonProcedure = wc.lpfnWndProc;
    wc.lpfnWndProc = ForwardingButtonProc;
    wc.hInstance = Instance();
    wc.lpszClassName = name;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    ASSERT_NE(RegisterClassExW(&wc), 0) << GetLastError();
}

void RegisterPlain(const wchar_t* name)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = Instance();
    wc.lpszClassName = name;
    ASSERT_NE(RegisterClassExW(&wc), 0) << GetLastError();
}

WNDPROC originalButtonProc = nullptr;
LRESULT CALLBACK LaterSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(originalButtonProc, hwnd, message, wParam, lParam);
}

class ControlClasses : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                   ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                   ICC_UPDOWN_CLASS};
        ASSERT_TRUE(InitCommonControlsEx(&init));
        RegisterCopyW(L"Button", L"ZtButton");
        RegisterCopyW(L"ZtButton", L"ZtButtonOfButton");
        RegisterCopyA("Edit", "ZtAnsiEdit");
        RegisterCopyW(L"ListBox", L"ZtList");
        RegisterCopyW(L"ComboBox", L"ZtCombo");
        RegisterCopyW(L"ScrollBar", L"ZtScroll");
        RegisterCopyA("Static", "ZtAnsiLabel");
        RegisterCopyW(PROGRESS_CLASSW, L"ZtProgress");
        RegisterCopyW(WC_LISTVIEWW, L"ZtListView");
        RegisterCopyA(STATUSCLASSNAMEA, "ZtAnsiStatus");
        RegisterForwardingButton(L"ZtForwardingButton");
        RegisterPlain(L"ZtPlain");
    }

    void SetUp() override
    {
        parent_ = CreateWindowExW(0, L"ZtPlain", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  Instance(), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND Child(const wchar_t* className, DWORD style = 0)
    {
        HWND child = CreateWindowExW(0, className, L"&Text", WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 30, parent_,
                                     nullptr, Instance(), nullptr);
        EXPECT_NE(child, nullptr) << GetLastError();
        return child;
    }
    HWND ChildA(const char* className)
    {
        HWND child = CreateWindowExA(0, className, "&Text", WS_CHILD | WS_VISIBLE, 10, 10, 120, 30, parent_, nullptr,
                                     Instance(), nullptr);
        EXPECT_NE(child, nullptr) << GetLastError();
        return child;
    }

    HWND parent_ = nullptr;
};

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text != 0; ++text)
        out += static_cast<char>(*text);
    return out;
}

TEST_F(ControlClasses, SystemControlsByTheirOwnNames)
{
    const struct {
        const wchar_t* className;
        DWORD style;
        ControlFamily expected;
    } cases[] = {
        {L"Button", BS_PUSHBUTTON, ControlFamily::Button},
        {L"button", BS_AUTOCHECKBOX, ControlFamily::Button},
        {L"BUTTON", BS_GROUPBOX, ControlFamily::Button},
        {L"Static", SS_LEFT, ControlFamily::Static},
        {L"Edit", ES_MULTILINE, ControlFamily::Edit},
        {L"ListBox", LBS_NOTIFY, ControlFamily::ListBox},
        {L"ComboBox", CBS_DROPDOWNLIST, ControlFamily::ComboBox},
        {L"ScrollBar", SBS_VERT, ControlFamily::ScrollBar},
        {STATUSCLASSNAMEW, 0, ControlFamily::StatusBar},
        {TOOLBARCLASSNAMEW, 0, ControlFamily::Toolbar},
        {PROGRESS_CLASSW, 0, ControlFamily::Progress},
        {TRACKBAR_CLASSW, 0, ControlFamily::Trackbar},
        {UPDOWN_CLASSW, 0, ControlFamily::UpDown},
        {WC_TABCONTROLW, 0, ControlFamily::Tab},
        {WC_LISTVIEWW, LVS_REPORT, ControlFamily::ListView},
        {WC_HEADERW, 0, ControlFamily::Header},
        {WC_TREEVIEWW, 0, ControlFamily::TreeView},
        {L"ZtPlain", 0, ControlFamily::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velum::ControlFamilyOf(Child(c.className, c.style)), c.expected) << Narrow(c.className);
}

TEST_F(ControlClasses, SuperclassesUnderOtherNamesAreTheControlsTheyAreBuiltOn)
{
    const struct {
        const wchar_t* className;
        ControlFamily expected;
    } cases[] = {
        {L"ZtButton", ControlFamily::Button},     {L"ZtButtonOfButton", ControlFamily::Button},
        {L"ZtList", ControlFamily::ListBox},      {L"ZtCombo", ControlFamily::ComboBox},
        {L"ZtScroll", ControlFamily::ScrollBar},  {L"ZtProgress", ControlFamily::Progress},
        {L"ZtListView", ControlFamily::ListView},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velum::ControlFamilyOf(Child(c.className)), c.expected) << Narrow(c.className);
}

// A superclass with a procedure of its own is known only by the name Windows gives the class it
// is built on. Windows names the button there; Wine 8 names the superclass itself, and then the
// window must stay unknown rather than be taken for another control.
TEST_F(ControlClasses, ASuperclassWithItsOwnProcedureIsKnownWhereWindowsNamesItsBase)
{
    HWND button = Child(L"ZtForwardingButton", BS_AUTOCHECKBOX);
    wchar_t real[64] = L"";
    ASSERT_NE(RealGetWindowClassW(button, real, 64), 0u);
    const bool named = lstrcmpiW(real, L"Button") == 0;
    if (!named) {
        EXPECT_EQ(lstrcmpW(real, L"ZtForwardingButton"), 0) << Narrow(real);
    }
    EXPECT_EQ(velum::ControlFamilyOf(button), named ? ControlFamily::Button : ControlFamily::Unknown);
}

TEST_F(ControlClasses, AnsiSuperclassesToo)
{
    const struct {
        const char* className;
        ControlFamily expected;
    } cases[] = {
        {"ZtAnsiEdit", ControlFamily::Edit},
        {"ZtAnsiLabel", ControlFamily::Static},
        {"ZtAnsiStatus", ControlFamily::StatusBar},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velum::ControlFamilyOf(ChildA(c.className)), c.expected) << c.className;
}

TEST_F(ControlClasses, AControlSubclassedByItsProgramIsStillItsFamily)
{
    HWND button = Child(L"ZtButton", BS_AUTORADIOBUTTON);
    originalButtonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclassProc)));
    ASSERT_NE(originalButtonProc, nullptr);
    EXPECT_EQ(velum::ControlFamilyOf(button), ControlFamily::Button);
}

TEST_F(ControlClasses, WindowsThatAreNoControls)
{
    EXPECT_EQ(velum::ControlFamilyOf(parent_), ControlFamily::Unknown);
    EXPECT_EQ(velum::ControlFamilyOf(nullptr), ControlFamily::Unknown);
    HWND gone = Child(L"Button");
    DestroyWindow(gone);
    EXPECT_EQ(velum::ControlFamilyOf(gone), ControlFamily::Unknown);
    HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 50, 50, parent_, nullptr, Instance(), nullptr);
    EXPECT_EQ(velum::ControlFamilyOf(dialog), ControlFamily::Unknown);
    DestroyWindow(dialog);
}

}  // namespace

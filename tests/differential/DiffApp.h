// The program the differential tests drive: the kinds of windows real programs have, a log of
// what the program saw, and the script that drives it as a person would.
#pragma once

#include <windows.h>

#ifndef RC_INVOKED
#include <functional>
#include <string>
#endif

// The dialog template and its controls (defines: the resource compiler reads them too).
#define kOptionsDialog 300
#define kGroup 301
#define kName 302
#define kFirstCheck 303
#define kSecondCheck 304
#define kList 305
#define kNotes 306
#define kControlsDialog 310
#define kRadio1 311
#define kRadio2 312
#define kRadio3 313
#define kTriState 314
#define kPlainCheck 315
#define kDropList 316
#define kDropDown 317
#define kSimpleCombo 318
#define kLongList 319
#define kHScroll 320
#define kLongEdit 321
#define kApply 322
#define kOpen 101
#define kSave 102
#define kRefresh 123

#ifndef RC_INVOKED
// Commands of the main window's menus and controls.
enum : UINT {
    kExit = 103,
    kUndo = 111,
    kWordWrap = 112,
    kAlignLeft = 113,
    kAlignCenter = 114,
    kAlignRight = 115,
    kZoomIn = 121,
    kZoomOut = 122,
    kPicture = 124,
    kOptions = 131,
    kModeless = 132,
    kMessageBox = 133,
    kInsertRow = 141,
    kFormatCells = 142,
    kTableSort = 143,
    kTile = 144,
    kAbout = 145,
    kWindowVScroll = 901,
    kWindowHScroll = 902,  // a window's own scroll bars, in the notification counts
    kOwnColourStatic = 201,
    kOwnBrushChild = 202,
    kPushButton = 203,
    kMainEdit = 204,
    kFitLarge = 601,
    kFitSmall = 602,
};

// Colours the program chose itself: the engine must leave them as they are.
inline constexpr COLORREF kOwnStaticColour = RGB(200, 30, 40);
inline constexpr COLORREF kOwnBrushColour = RGB(10, 120, 30);

// One line of the run's log (thread-safe); written to the log file as it comes.
void Log(const std::string& line);
std::string Format(const char* format, ...);
// A window's text, with line breaks and anything outside ASCII as '?' (the log is ASCII lines).
std::string WindowTextOf(HWND window);

// Runs a function on the window's thread and waits for it.
void OnUiThread(HWND anyWindowOfTheUiThread, const std::function<void()>& call);

// The windows the script opens and closes; made on the UI thread.
HWND MainWindow();
HWND MakeFixedWindow();
HWND MakeToolWindow();
// A window with a menu bar that fits itself to its content from the content's size, keeping its
// client area where it is (Size -> Large, Size -> Small).
HWND MakeFittingWindow();
// A window a program restores where it saved it: made at the rectangle, or given it by
// SetWindowPlacement once made.
HWND MakeSavedWindow(const RECT& saved, bool byPlacement);
HWND MakeWindowWithoutButtons();
HWND MakeMdiFrame(HWND* maximisedChild);
HWND MdiClient();
void CloseWindowNow(HWND window);
// A window with scroll bars of its own, each over a range of 0-100 with a page of 20.
HWND MakeScrollingWindow();
// The modeless dialog of every standard control; its notifications are counted.
HWND MakeControlsDialog();
// "id:code=count ..." of the notifications the controls dialog received, in order of id and code.
std::string ControlNotifications();
// The scroll bar control's position, and how many SB_THUMBTRACK moves it saw.
int ScrollBarThumbTracks();
int CommandCount();
bool ModalOpen();  // a modal dialog or message box of the main window is open

// The script: runs on its own thread once the main window is shown, posts WM_CLOSE at the end.
void RunScript(const std::wstring& inputFolder);
#endif

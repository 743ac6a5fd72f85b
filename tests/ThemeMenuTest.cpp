// The Theme menu as a user meets it: the items the engine finds at attach time, what a pick
// hands to the engine, and the settings file's bytes afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ProgramHarness.h"

using namespace harness;

namespace {

constexpr UINT kFirstThemeCommand = 0x1000;
const std::string kFirstStartIni = "[SETUP]\r\nSKIN=velum.vlm\r\n";
const std::string kHeading = "主题列表";  // the Theme menu's text while no file is listed

std::string AttachExCall(const std::wstring& path)
{
    return "Velum_AttachEx(\"" + Ansi(path) + "\", \"\")";
}

std::string IniNaming(const std::wstring& theme)
{
    return "[SETUP]\r\nSKIN=" + Ansi(theme) + "\r\n";
}

// A file name as a menu item's text: "&" doubled, so it shows and is not an access key.
std::string MenuTextOf(const std::wstring& name)
{
    std::wstring text;
    for (const wchar_t c : name) {
        if (c == L'&')
            text += L'&';
        text += c;
    }
    return Utf8(text);
}

// The files (not folders) of a folder in the order the file system hands them out.
std::vector<std::wstring> FilesInListingOrder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::vector<std::string> MenuTexts(const std::vector<std::wstring>& names)
{
    std::vector<std::string> texts;
    for (const auto& name : names)
        texts.push_back(MenuTextOf(name));
    return texts;
}

std::vector<std::string> TextsOf(const std::vector<ProgramFolder::MenuItem>& items)
{
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back(item.text);
    return texts;
}

const ProgramFolder::MenuItem* ItemWithText(const std::vector<ProgramFolder::MenuItem>& items, const std::string& text)
{
    const auto found = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.text == text; });
    return found == items.end() ? nullptr : &*found;
}

// A click on a menu item reaches the window as this WM_COMMAND. It is sent rather than posted
// so the window has handled it when this returns.
void Pick(HWND main, UINT command)
{
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0, SMTO_NORMAL, 20000, &result), 0)
        << "the window did not handle the click";
}

// A character whose code-page-936 form has "\" (0x5C) as its second byte: text handled as
// bytes rather than characters would split the name there.
std::wstring CharacterWithBackslashTrailByte()
{
    const char bytes[] = {'\x81', '\x5C'};
    wchar_t c[2] = {};
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, c, 2);
    return n == 1 ? std::wstring(1, c[0]) : std::wstring();
}

bool AnsiCodePageHolds(const std::wstring& text)
{
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                        &usedDefault);
    return !usedDefault;
}

}  // namespace

TEST(ThemeMenu, ListsTheFilesInFolderOrderAndAppliesEachPick)
{
    ProgramFolder folder(Engine::Recording);
    // Made in an order of their own, so the menu's order can only come from the folder listing.
    for (const wchar_t* name : {L"notes.txt", L"b.vlm", L"a.vlm"})
        folder.AddTheme(name);

    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    const auto items = folder.MenuAtAttach();
    const auto listed = FilesInListingOrder(folder.SkinPath());
    EXPECT_EQ(TextsOf(items), MenuTexts(listed));
    EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()),
              (std::set<std::wstring>{L"a.vlm", L"b.vlm", L"notes.txt"}));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].command, kFirstThemeCommand + i) << items[i].text;
        EXPECT_FALSE(items[i].grayed) << items[i].text;
    }

    const std::wstring picks[] = {L"notes.txt", L"a.vlm", L"b.vlm", L"notes.txt"};
    std::vector<std::string> expectedCalls{"Velum_Attach()"};
    for (const auto& theme : picks) {
        SCOPED_TRACE(Utf8(theme));
        const auto* item = ItemWithText(items, Utf8(theme));
        ASSERT_NE(item, nullptr);
        Pick(main, item->command);
        expectedCalls.push_back(AttachExCall(folder.SkinPath() + L"\\" + theme));
        EXPECT_EQ(folder.EngineCalls(), expectedCalls);
        EXPECT_EQ(ReadBytes(folder.IniPath()), IniNaming(theme));
    }
    EXPECT_EQ(app.Close(), 0u);
}

TEST(ThemeMenu, EveryKindOfFileIsListedAndAppliedByItsName)
{
    // The expected bytes below come from this process's own conversion: pin it to GBK first.
    ASSERT_EQ(GetACP(), 936u);
    ASSERT_EQ(Ansi(L"默认主题"), "\xC4\xAC\xC8\xCF\xD6\xF7\xCC\xE2");
    const std::wstring backslashTrail = CharacterWithBackslashTrailByte();
    ASSERT_FALSE(backslashTrail.empty());
    const struct {
        std::wstring name;
        DWORD attributes;
    } files[] = {
        {L"hidden.vlm", FILE_ATTRIBUTE_HIDDEN},
        {L"read-only.vlm", FILE_ATTRIBUTE_READONLY},
        {L"system.vlm", FILE_ATTRIBUTE_SYSTEM},
        {L"all three.vlm", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM},
        {L"my  theme .vlm", 0},
        {L"默认主题.vlm", 0},
        {L"春 夏 秋 冬", 0},
        {L"主题" + backslashTrail + L"二.vlm", 0},
        {L"a&b.vlm", 0},
        {L"&", 0},
        {L"no-extension", 0},
        {L"UPPER.VLM", 0},
    };
    ProgramFolder folder(Engine::Recording);
    std::set<std::wstring> expected;
    for (const auto& f : files) {
        folder.AddTheme(f.name, "[Theme]\n", f.attributes);
        expected.insert(f.name);
    }
    // Folders are not themes, whatever their names.
    for (const wchar_t* sub : {L"sub", L"folder.vlm", L"默认文件夹"})
        CreateDirectoryW((folder.SkinPath() + L"\\" + sub).c_str(), nullptr);

    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    const auto items = folder.MenuAtAttach();
    const auto listed = FilesInListingOrder(folder.SkinPath());
    EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()), expected);
    EXPECT_EQ(TextsOf(items), MenuTexts(listed));
    ASSERT_NE(ItemWithText(items, "a&&b.vlm"), nullptr);

    std::vector<std::string> expectedCalls{"Velum_Attach()"};
    for (const auto& f : files) {
        SCOPED_TRACE(Utf8(f.name));
        const auto* item = ItemWithText(items, MenuTextOf(f.name));
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->grayed);
        Pick(main, item->command);
        expectedCalls.push_back(AttachExCall(folder.SkinPath() + L"\\" + f.name));
        EXPECT_EQ(folder.EngineCalls(), expectedCalls);
        EXPECT_EQ(ReadBytes(folder.IniPath()), IniNaming(f.name));
    }
    EXPECT_EQ(app.Close(), 0u);
}

TEST(ThemeMenu, WithoutFilesTheOnlyElementIsAGreyedHeadingThatDoesNothing)
{
    const std::string ini = "; mine\r\n[SETUP]\r\nSKIN=velum.vlm\r\n";
    const struct {
        const char* name;
        void (*prepare)(const ProgramFolder&);
    } cases[] = {
        {"no Skin folder", [](const ProgramFolder&) {}},
        {"empty Skin folder", [](const ProgramFolder& f) { f.MakeSkin(); }},
        {"only folders in it",
         [](const ProgramFolder& f) {
             f.MakeSkin();
             CreateDirectoryW((f.SkinPath() + L"\\velum.vlm").c_str(), nullptr);
             CreateDirectoryW((f.SkinPath() + L"\\sub").c_str(), nullptr);
         }},
        {"Skin is a file", [](const ProgramFolder& f) { WriteBytes(f.SkinPath(), "[Theme]\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(Engine::Recording);
        WriteBytes(folder.IniPath(), ini);
        c.prepare(folder);
        Running app(folder);
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr) << app.Stderr();
        const auto items = folder.MenuAtAttach();
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].text, kHeading);
        EXPECT_TRUE(items[0].grayed);
        Pick(main, items[0].command);
        EXPECT_EQ(folder.EngineCalls(), std::vector<std::string>{"Velum_Attach()"});
        EXPECT_EQ(ReadBytes(folder.IniPath()), ini);
        EXPECT_EQ(app.Close(), 0u);
    }
}

TEST(ThemeMenu, NameIsSavedWhenTheEngineCannotApplyIt)
{
    // Without Velum_AttachEx the program still starts, as long as the saved theme is missing.
    ProgramFolder folder(Engine::WithoutAttachEx);
    for (const wchar_t* name : {L"a.vlm", L"b.vlm"})
        folder.AddTheme(name);
    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    EXPECT_EQ(ReadBytes(folder.IniPath()), kFirstStartIni);
    const auto items = folder.MenuAtAttach();
    for (const std::wstring theme : {L"b.vlm", L"a.vlm"}) {
        SCOPED_TRACE(Utf8(theme));
        const auto* item = ItemWithText(items, Utf8(theme));
        ASSERT_NE(item, nullptr);
        Pick(main, item->command);
        EXPECT_EQ(ReadBytes(folder.IniPath()), IniNaming(theme));
    }
    EXPECT_EQ(folder.EngineCalls(), std::vector<std::string>{"Velum_Attach()"});
    EXPECT_FALSE(app.Exited());
    EXPECT_EQ(app.Close(), 0u);
}

// The engine and the settings file take names in the ANSI code page, the settings file drops
// spaces at either end of a value and keeps its first 143 bytes. A name that would not come back as itself (the code
// page turns missing characters into "?", which also matches any character when the next start
// looks for the file) is listed, greyed, and a pick does nothing.
TEST(ThemeMenu, NamesThatCannotBeHandedOnIntactAreListedGreyedAndNeverApplied)
{
    const struct {
        std::wstring name;
        bool inCodePage;
    } cannot[] = {
        {L"\U0001F600.vlm", false},  // outside the Basic Multilingual Plane
        {L"한국어.vlm", false},
        {L"\u0E01\u0E02.vlm", false},  // Thai
        {L" lead.vlm", true},          // read back as "lead.vlm", which exists too
        // Over the 143 bytes a saved value keeps: the next start would look for a shorter name.
        {std::wstring(140, L'x') + L".vlm", true},
        {std::wstring(72, L'\u4E3B'), true},  // 144 bytes in code page 936
    };
    const std::wstring can[] = {L"ok.vlm", L"lead.vlm", std::wstring(139, L'x') + L".vlm",
                                std::wstring(69, L'\u4E3B') + L"a.vlm"};  // 143 bytes each
    ProgramFolder folder(Engine::Recording);
    const std::string ini = "[SETUP]\r\nSKIN=ok.vlm\r\n";
    WriteBytes(folder.IniPath(), ini);
    for (const auto& name : can)
        folder.AddTheme(name);
    for (const auto& c : cannot) {
        ASSERT_EQ(AnsiCodePageHolds(c.name), c.inCodePage) << Utf8(c.name);
        folder.AddTheme(c.name);
    }

    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    const auto items = folder.MenuAtAttach();
    EXPECT_EQ(TextsOf(items), MenuTexts(FilesInListingOrder(folder.SkinPath())));
    const std::vector<std::string> startCalls{"Velum_Attach()", AttachExCall(folder.SkinPath() + L"\\ok.vlm")};
    for (const auto& c : cannot) {
        SCOPED_TRACE(Utf8(c.name));
        const auto* item = ItemWithText(items, Utf8(c.name));
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->grayed);
        Pick(main, item->command);
        EXPECT_EQ(folder.EngineCalls(), startCalls);
        EXPECT_EQ(ReadBytes(folder.IniPath()), ini);
    }
    for (const auto& name : can) {
        const auto* item = ItemWithText(items, Utf8(name));
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->grayed) << Utf8(name);
    }
    EXPECT_EQ(app.Close(), 0u);
}

// 143 bytes is the most a saved value keeps: a name of that length, picked, comes back whole.
TEST(ThemeMenu, TheLongestNameThatFitsIsAppliedAgainAtTheNextStart)
{
    for (const std::wstring& name : {std::wstring(139, L'x') + L".vlm", std::wstring(69, L'\u4E3B') + L"a.vlm"}) {
        SCOPED_TRACE(Utf8(name));
        ASSERT_EQ(Ansi(name).size(), 143u);
        ProgramFolder folder(Engine::Recording);
        folder.AddTheme(name);
        {
            Running app(folder);
            HWND main = app.WaitForMainWindow();
            ASSERT_NE(main, nullptr) << app.Stderr();
            const auto items = folder.MenuAtAttach();
            const auto* item = ItemWithText(items, Utf8(name));
            ASSERT_NE(item, nullptr);
            EXPECT_FALSE(item->grayed);
            Pick(main, item->command);
            EXPECT_EQ(app.Close(), 0u);
        }
        EXPECT_EQ(ReadBytes(folder.IniPath()), IniNaming(name));
        Running again(folder);
        ASSERT_NE(again.WaitForMainWindow(), nullptr) << again.Stderr();
        const auto calls = folder.EngineCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), AttachExCall(folder.SkinPath() + L"\\" + name));
        EXPECT_EQ(again.Close(), 0u);
    }
}

// The folder of files is made from the Unix side by the many_themes fixture of the CTest run:
// Wine makes files in a large folder slowly (it compares each new name with every old one).
TEST(ThemeMenu, AFolderOfMoreFilesThanIndexesHoldsThe32767First)
{
    const std::wstring prepared = BuildFolder() + L"\\tests\\many-themes";
    if (GetFileAttributesW(prepared.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no prepared folder; run this test through CTest, whose fixture makes it";

    ProgramFolder folder(Engine::Recording);
    // Moved in and out whole: a rename, where a copy or a delete of 32,800 files would be slow.
    struct Borrowed {
        std::wstring from, to;
        bool moved;
        Borrowed(std::wstring f, std::wstring t)
            : from(std::move(f)), to(std::move(t)), moved(MoveFileW(from.c_str(), to.c_str()) != 0)
        {
        }
        ~Borrowed()
        {
            if (moved)
                MoveFileW(to.c_str(), from.c_str());
        }
    } skin(prepared, folder.SkinPath());
    ASSERT_TRUE(skin.moved) << GetLastError();
    const auto listed = FilesInListingOrder(folder.SkinPath());
    ASSERT_EQ(listed.size(), 32800u);

    Running app(folder);
    HWND main = app.WaitForMainWindow(180000);
    ASSERT_NE(main, nullptr) << app.Stderr();
    const auto items = folder.MenuAtAttach();
    ASSERT_EQ(items.size(), 32767u);
    EXPECT_EQ(TextsOf(items), MenuTexts(std::vector<std::wstring>(listed.begin(), listed.begin() + 32767)));
    size_t misnumbered = 0, greyed = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        misnumbered += items[i].command != kFirstThemeCommand + i;
        greyed += items[i].grayed;
    }
    EXPECT_EQ(misnumbered, 0u);
    EXPECT_EQ(greyed, 0u);

    // The last element applies the 32,767th file; a command past it belongs to no element.
    Pick(main, items.back().command);
    Pick(main, items.back().command + 1);
    EXPECT_EQ(folder.EngineCalls(),
              (std::vector<std::string>{"Velum_Attach()", AttachExCall(folder.SkinPath() + L"\\" + listed[32766])}));
    EXPECT_EQ(ReadBytes(folder.IniPath()), IniNaming(listed[32766]));
    EXPECT_EQ(app.Close(), 0u);
}

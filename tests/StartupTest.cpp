// Start-up as a user meets it: the settings file's bytes, the calls that reach the engine, the
// page opened, and the report of a failed start.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProgramHarness.h"

using namespace harness;

namespace {

const std::string kFirstStartIni = "[SETUP]\r\nSKIN=velum.vlm\r\n";

std::string AttachExCall(const std::wstring& path)
{
    return "Velum_AttachEx(\"" + Ansi(path) + "\", \"\")";
}

// The source tree's theme folder, as the Windows side sees it, with its trailing backslash.
std::wstring ShippedSkinFolder()
{
    std::wstring skins = Widen(VELUM_SOURCE_DIR) + L"\\Skin\\";
    for (auto& c : skins)
        if (c == L'/')
            c = L'\\';
    return L"Z:" + skins;
}

// Starts the program, waits for its window, closes it, and expects a clean exit.
void StartAndClose(const ProgramFolder& folder)
{
    Running app(folder);
    ASSERT_NE(app.WaitForMainWindow(), nullptr) << "no main window; stderr: " << app.Stderr();
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace

TEST(Startup, FirstStartCreatesSettingsAttachesAndOpensThePage)
{
    ProgramFolder folder(Engine::Recording);
    {
        Running app(folder);
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr) << app.Stderr();
        EXPECT_NE(WindowText(main).find(L"Zentora"), std::wstring::npos);
        const auto pages = WaitForLines(folder.File(L"url.log"), 1, 10000);
        Sleep(500);  // a second page would arrive by now
        EXPECT_EQ(app.Close(), 0u);
    }
    EXPECT_EQ(ReadBytes(folder.IniPath()), kFirstStartIni);
    EXPECT_EQ(folder.EngineCalls(), std::vector<std::string>{"Velum_Attach()"});
    const auto pages = folder.OpenedPages();
    ASSERT_EQ(pages.size(), 1u);
    const std::string suffix = "/?AppName=Zentora";
    ASSERT_GE(pages[0].size(), suffix.size());
    std::string url = pages[0];
    while (!url.empty() && (url.back() == '"' || url.back() == ' '))
        url.pop_back();
    EXPECT_EQ(url.substr(url.size() - suffix.size()), suffix) << pages[0];
    EXPECT_NE(url.find("http://"), std::string::npos) << pages[0];
}

TEST(Startup, SavedThemeIsAppliedWhateverItsAttributes)
{
    const struct {
        const char* name;
        DWORD attributes;
    } cases[] = {
        {"normal", 0},
        {"hidden", FILE_ATTRIBUTE_HIDDEN},
        {"read-only", FILE_ATTRIBUTE_READONLY},
        {"system", FILE_ATTRIBUTE_SYSTEM},
        {"hidden read-only system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(Engine::Recording);
        WriteBytes(folder.IniPath(), "[SETUP]\r\nSKIN=ocean.vlm\r\n");
        folder.AddTheme(L"ocean.vlm", "[Theme]\n", c.attributes);
        StartAndClose(folder);
        EXPECT_EQ(folder.EngineCalls(),
                  (std::vector<std::string>{"Velum_Attach()", AttachExCall(folder.SkinPath() + L"\\ocean.vlm")}));
    }
}

TEST(Startup, SavedThemeThatIsMissingOrNotAFileIsNotApplied)
{
    const struct {
        const char* name;
        std::string ini;
        bool makeFolder;
    } cases[] = {
        {"missing file", "; mine\r\n[SETUP]\r\nSKIN=gone.vlm\r\n[OTHER]\r\nA=1\r\n", false},
        {"a folder of that name", "[SETUP]\r\nSKIN=folder.vlm\r\n", true},
        {"no Skin folder at all", "[SETUP]\r\nSKIN=velum.vlm\r\n", false},
        {"not a file name", "[SETUP]\r\nSKIN=a|b<c>.vlm\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(Engine::Recording);
        WriteBytes(folder.IniPath(), c.ini);
        if (c.makeFolder) {
            folder.MakeSkin();
            CreateDirectoryW((folder.SkinPath() + L"\\folder.vlm").c_str(), nullptr);
        }
        StartAndClose(folder);
        EXPECT_EQ(folder.EngineCalls(), std::vector<std::string>{"Velum_Attach()"});
        EXPECT_EQ(ReadBytes(folder.IniPath()), c.ini);
    }
}

// A saved theme name is a bare file name of the theme folder. A value that is a path is not
// one, even when a file is there: the engine must not be handed files from elsewhere.
TEST(Startup, SavedValueThatIsAPathIsNotApplied)
{
    const struct {
        const char* saved;
        const wchar_t* existing;  // relative to the program folder
    } cases[] = {
        {"..\\x.vlm", L"x.vlm"},
        {"../x.vlm", L"x.vlm"},
        {"sub\\x.vlm", L"Skin\\sub\\x.vlm"},
        {"sub/x.vlm", L"Skin\\sub\\x.vlm"},
        {"x.vlm:alt", L"Skin\\x.vlm"},
        {"..", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        ProgramFolder folder(Engine::Recording);
        const std::string ini = std::string("[SETUP]\r\nSKIN=") + c.saved + "\r\n";
        WriteBytes(folder.IniPath(), ini);
        folder.MakeSkin();
        CreateDirectoryW((folder.SkinPath() + L"\\sub").c_str(), nullptr);
        if (c.existing != nullptr)
            WriteBytes(folder.File(c.existing), "[Theme]\n");
        StartAndClose(folder);
        EXPECT_EQ(folder.EngineCalls(), std::vector<std::string>{"Velum_Attach()"});
        EXPECT_EQ(ReadBytes(folder.IniPath()), ini);
    }
}

TEST(Startup, ProgramAtADriveRoot)
{
    ProgramFolder folder(Engine::Recording, DriveRootFolder());
    folder.AddTheme(L"velum.vlm");
    StartAndClose(folder);
    EXPECT_EQ(folder.EngineCalls(),
              (std::vector<std::string>{"Velum_Attach()", "Velum_AttachEx(\"R:\\Skin\\velum.vlm\", \"\")"}));
    EXPECT_EQ(ReadBytes(L"R:\\SerCheckConfig.ini"), kFirstStartIni);
}

TEST(Startup, SavedValuesReadBack)
{
    const std::wstring chinese = L"默认主题.vlm";
    const std::string long143(139, 'a');
    const std::string long150(146, 'b');
    const struct {
        const char* name;
        std::string ini;
        std::wstring themeFile;    // created in Skin
        std::string expectedCall;  // the theme name the engine is handed, as bytes
        std::string expectedIni;   // the settings file afterwards ("" = unchanged)
    } cases[] = {
        {"empty value is replaced by the default", "[SETUP]\r\nSKIN=\r\n", L"velum.vlm", "velum.vlm", kFirstStartIni},
        {"143 bytes come back whole", "[SETUP]\r\nSKIN=" + long143 + ".vlm\r\n", Widen(long143 + ".vlm"),
         long143 + ".vlm", ""},
        {"longer values are cut to 143 bytes and kept", "[SETUP]\r\nSKIN=" + long150 + ".vlm\r\n",
         Widen(long150.substr(0, 143)), long150.substr(0, 143), ""},
        {"Chinese name in GBK", "[SETUP]\r\nSKIN=" + Ansi(chinese) + "\r\n", chinese, Ansi(chinese), ""},
        {"missing key joins the other sections", "; comment\r\n[OTHER]\r\nX=1\r\n[SETUP]\r\nMODE=2\r\n", L"velum.vlm",
         "velum.vlm", "; comment\r\n[OTHER]\r\nX=1\r\n[SETUP]\r\nMODE=2\r\nSKIN=velum.vlm\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(Engine::Recording);
        WriteBytes(folder.IniPath(), c.ini);
        folder.AddTheme(c.themeFile);
        StartAndClose(folder);
        EXPECT_EQ(folder.EngineCalls(),
                  (std::vector<std::string>{"Velum_Attach()", "Velum_AttachEx(\"" + Ansi(folder.SkinPath()) + "\\" +
                                                                  c.expectedCall + "\", \"\")"}));
        EXPECT_EQ(ReadBytes(folder.IniPath()), c.expectedIni.empty() ? c.ini : c.expectedIni);
    }
}

TEST(Startup, BrokenSettingsFilesNeverStopTheStart)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    std::string huge(10 * 1024 * 1024, 'x');
    for (size_t i = 80; i < huge.size(); i += 81)
        huge[i] = '\n';
    const struct {
        const char* name;
        std::string bytes;
        DWORD attributes;
    } cases[] = {
        {"garbage", "]]]=[[[ SKIN\r\n=== [SETUP\r\nSKIN\r\n", 0},
        {"binary", binary, 0},
        {"10 MB", huge, 0},
        {"UTF-8 with a BOM", "\xEF\xBB\xBF[SETUP]\r\nSKIN=velum.vlm\r\n", 0},
        {"read-only", "[SETUP]\r\nSKIN=velum.vlm\r\n", FILE_ATTRIBUTE_READONLY},
        {"read-only and empty", "", FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(Engine::Recording);
        WriteBytes(folder.IniPath(), c.bytes);
        if (c.attributes != 0)
            SetFileAttributesW(folder.IniPath().c_str(), c.attributes);
        StartAndClose(folder);
        const auto calls = folder.EngineCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "Velum_Attach()");
        SetFileAttributesW(folder.IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(Startup, EngineFailureStopsTheStartWithAReport)
{
    const struct {
        const char* name;
        Engine engine;
        DWORD exitCode;
        std::wstring mustName;
        std::vector<std::string> calls;
    } cases[] = {
        {"library absent", Engine::Missing, 53, L"Velum_VB6.dll", {}},
        {"no Velum_Attach", Engine::WithoutAttach, 453, L"Velum_Attach", {}},
        {"no Velum_AttachEx", Engine::WithoutAttachEx, 453, L"Velum_AttachEx", {"Velum_Attach()"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(c.engine);
        folder.AddTheme(L"velum.vlm");
        Running app(folder);
        HWND box = app.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << app.Stderr();
        const std::wstring text = MessageBoxText(box);
        EXPECT_NE(text.find(std::to_wstring(c.exitCode)), std::wstring::npos) << Utf8(text);
        EXPECT_NE(text.find(c.mustName), std::wstring::npos) << Utf8(text);
        EXPECT_TRUE(WindowsOf(app.ProcessId(), L"FormMain", true).empty()) << "the main window showed";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(app.WaitForExit(), c.exitCode);
        const std::string err = app.Stderr();
        EXPECT_NE(err.find(std::to_string(c.exitCode)), std::string::npos) << err;
        EXPECT_NE(err.find(Ansi(c.mustName)), std::string::npos) << err;
        EXPECT_EQ(ReadBytes(folder.IniPath()), kFirstStartIni);
        EXPECT_EQ(folder.EngineCalls(), c.calls);
        EXPECT_EQ(WaitForLines(folder.File(L"url.log"), 1, 10000).size(), 1u) << "the page opens at a failed start too";
    }
}

// Skinning must not change the window a program laid out: under each shipped theme, saved and
// applied at the start, the main window's client area is as large as without any engine.
TEST(Startup, EveryShippedThemeKeepsTheClientSizeOfTheUnskinnedWindow)
{
    auto clientSize = [](const ProgramFolder& folder) {
        Running app(folder);
        HWND main = app.WaitForMainWindow();
        EXPECT_NE(main, nullptr) << app.Stderr();
        RECT client{};
        GetClientRect(main, &client);
        EXPECT_EQ(app.Close(), 0u);
        return SIZE{client.right, client.bottom};
    };
    const std::wstring skins = ShippedSkinFolder();
    ProgramFolder plainFolder(Engine::Recording);
    const SIZE plain = clientSize(plainFolder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((skins + L"*.vlm").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int themes = 0;
    do {
        const std::wstring name = data.cFileName;
        SCOPED_TRACE(Utf8(name));
        ProgramFolder folder(Engine::Real);
        folder.AddTheme(name, ReadBytes(skins + name));
        WriteBytes(folder.IniPath(), "[SETUP]\r\nSKIN=" + Ansi(name) + "\r\n");
        const SIZE skinned = clientSize(folder);
        EXPECT_EQ(skinned.cx, plain.cx);
        EXPECT_EQ(skinned.cy, plain.cy);
        ++themes;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_GE(themes, 8);
}

// A program that uses no common control must not find comctl32 in its process once the engine
// is attached: under Wine that library alone is nearly 2 MiB of the program's memory and
// milliseconds of its start.
TEST(Startup, TheEngineBringsNoCommonControlsLibraryIntoTheProgram)
{
    ProgramFolder folder(Engine::Real);
    folder.AddTheme(L"midnight.vlm", ReadBytes(ShippedSkinFolder() + L"midnight.vlm"));
    WriteBytes(folder.IniPath(), "[SETUP]\r\nSKIN=midnight.vlm\r\n");
    Running app(folder);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << app.Stderr();
    Sleep(300);
    std::vector<std::wstring> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, app.ProcessId());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        modules.push_back(entry.szModule);
    CloseHandle(snapshot);
    const auto loaded = [&modules](const wchar_t* name) {
        return std::any_of(modules.begin(), modules.end(),
                           [name](const std::wstring& m) { return lstrcmpiW(m.c_str(), name) == 0; });
    };
    ASSERT_TRUE(loaded(L"Velum_VB6.dll")) << "the module list is not the program's";
    EXPECT_FALSE(loaded(L"comctl32.dll"));
    EXPECT_EQ(app.Close(), 0u);
}

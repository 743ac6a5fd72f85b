// Late-bound walks through the scripting runtime: every item of a collection handed over once,
// in the collection's order, whether the walk ends inside a batch of fetched items or at its
// edge.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Automation.h"
#include "ProgramHarness.h"

namespace {

std::vector<std::wstring> FolderOrder(const std::wstring& folder)
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

}  // namespace

TEST(Automation, AWalkHandsOverEveryFileOnceInFolderOrder)
{
    constexpr int kBatch = static_cast<int>(AutomationObject::Walk::kBatch);
    ComApartment com;
    const std::wstring folder = harness::BuildFolder() + L"\\walk-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    int made = 0;
    for (const int files : {0, 1, kBatch - 1, kBatch, kBatch + 1, 2 * kBatch + 5}) {
        SCOPED_TRACE(files);
        for (; made < files; ++made)
            harness::WriteBytes(folder + L"\\theme " + std::to_wstring(made) + L".vlm", "");
        const auto expected = FolderOrder(folder);
        ASSERT_EQ(static_cast<int>(expected.size()), files);

        auto walk = AutomationObject::Create(L"Scripting.FileSystemObject")
                        .CallWithString(L"getfolder", folder + L"\\")
                        .GetObjectProperty(L"Files")
                        .Items();
        std::vector<std::wstring> walked;
        std::wstring item = L"sentinel";
        while (walk.Next(item))
            walked.push_back(item.substr(item.find_last_of(L'\\') + 1));  // the full path, as SkinList gets it
        EXPECT_EQ(walked, expected);
        EXPECT_FALSE(walk.Next(item)) << "a finished walk stays finished";
    }
    for (int i = 0; i < made; ++i)
        DeleteFileW((folder + L"\\theme " + std::to_wstring(i) + L".vlm").c_str());
    RemoveDirectoryW(folder.c_str());
}

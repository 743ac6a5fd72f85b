#include "ThemeMenu.h"

#include <algorithm>

#include "AnsiText.h"
#include "AppError.h"
#include "Handles.h"
#include "MenuText.h"

namespace {

constexpr wchar_t kNoThemes[] = L"(Skin 文件夹里没有主题文件)";

// WM_COMMAND carries 16 bits of a command: items past this many would reach other commands.
constexpr size_t kMaxThemes = 0xE000;

bool NameBefore(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

}  // namespace

ThemeMenu::ThemeMenu(HMENU popup, UINT firstCommand) : popup_(popup), firstCommand_(firstCommand) {}

void ThemeMenu::Fill(const std::wstring& folder)
{
    folder_ = folder;
    themes_.clear();
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.emplace_back(data.cFileName);
        } while (names.size() < kMaxThemes && FindNextFileW(find.get(), &data));
    }
    std::sort(names.begin(), names.end(), NameBefore);

    while (GetMenuItemCount(popup_) > 0)
        DeleteMenu(popup_, 0, MF_BYPOSITION);
    for (std::wstring& name : names) {
        const bool usable = SurvivesAnsi(folder + L"\\" + name);
        const UINT command = firstCommand_ + static_cast<UINT>(themes_.size());
        AppendMenuW(popup_, MF_STRING | (usable ? MF_ENABLED : MF_GRAYED), command, MenuText(name).c_str());
        themes_.push_back(Theme{std::move(name), usable});
    }
    if (themes_.empty())
        AppendMenuW(popup_, MF_STRING | MF_GRAYED, firstCommand_, kNoThemes);
}

std::optional<size_t> ThemeMenu::IndexOfCommand(UINT command) const
{
    if (command < firstCommand_ || command - firstCommand_ >= themes_.size())
        return std::nullopt;
    return command - firstCommand_;
}

std::optional<size_t> ThemeMenu::IndexOfName(std::wstring_view name) const
{
    for (size_t i = 0; i < themes_.size(); ++i) {
        const std::wstring& n = themes_[i].name;
        if (CompareStringOrdinal(n.c_str(), static_cast<int>(n.size()), name.data(), static_cast<int>(name.size()),
                                 TRUE) == CSTR_EQUAL)
            return i;
    }
    return std::nullopt;
}

void ThemeMenu::Check(size_t index)
{
    if (index >= themes_.size())
        return;
    const UINT last = firstCommand_ + static_cast<UINT>(themes_.size()) - 1;
    CheckMenuRadioItem(popup_, firstCommand_, last, firstCommand_ + static_cast<UINT>(index), MF_BYCOMMAND);
}

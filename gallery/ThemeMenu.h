// The gallery's Theme menu: one item for each file of the theme folder, in name order, and a
// check mark on the theme in use.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ThemeMenu {
public:
    // Items get the commands firstCommand, firstCommand + 1, ... in the popup menu given.
    ThemeMenu(HMENU popup, UINT firstCommand);

    // Replaces the popup's items with the files of folder (no trailing backslash). Without a
    // single file the menu holds one greyed item that says so.
    void Fill(const std::wstring& folder);

    size_t Count() const { return themes_.size(); }
    const std::wstring& Name(size_t index) const { return themes_.at(index).name; }
    std::wstring Path(size_t index) const { return folder_ + L"\\" + themes_.at(index).name; }
    // Whether the engine can be given the file's path: it takes ANSI text, and a character
    // the code page lacks would reach it as another one.
    bool Usable(size_t index) const { return themes_.at(index).usable; }

    std::optional<size_t> IndexOfCommand(UINT command) const;
    std::optional<size_t> IndexOfName(std::wstring_view name) const;

    // Puts the check mark on one item and takes it from the others.
    void Check(size_t index);

private:
    struct Theme {
        std::wstring name;
        bool usable = true;
    };

    HMENU popup_;
    UINT firstCommand_;
    std::wstring folder_;
    std::vector<Theme> themes_;
};

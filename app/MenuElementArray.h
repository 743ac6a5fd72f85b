// An array of menu elements inside one popup menu, addressed by a 16-bit index. Elements can
// be added and removed by index at run time; each has a caption, a visible flag and an enabled
// flag. Element 0 is created with the menu and can never be removed. Only visible elements are
// items of the Windows menu, in index order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class MenuElementArray {
public:
    // Commands of the elements are firstCommand + index.
    MenuElementArray(HMENU menu, UINT firstCommand, std::wstring_view firstCaption);

    void Add(std::int16_t index);
    void Remove(std::int16_t index);
    void SetCaption(std::int16_t index, std::wstring_view caption);
    const std::wstring& Caption(std::int16_t index) const;
    void SetVisible(std::int16_t index, bool visible);
    void SetEnabled(std::int16_t index, bool enabled);
    bool Enabled(std::int16_t index) const;

    // The element a WM_COMMAND identifier belongs to.
    std::optional<std::int16_t> IndexOfCommand(UINT command) const;

private:
    struct Element {
        bool loaded = false;
        bool visible = false;
        bool enabled = true;
        std::wstring caption;
    };

    Element& At(std::int16_t index);
    const Element& At(std::int16_t index) const;
    UINT CommandOf(std::int16_t index) const { return firstCommand_ + static_cast<UINT>(index); }
    void InsertItem(std::int16_t index);
    void UpdateItem(std::int16_t index);

    HMENU menu_;
    UINT firstCommand_;
    std::vector<Element> elements_;
};

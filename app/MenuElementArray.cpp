#include "MenuElementArray.h"

#include "AppError.h"
#include "MenuText.h"

namespace {

[[noreturn]] void ThrowNoElement(std::int16_t index)
{
    throw AppError(kErrorSubscript, L"下标越界: 菜单元素 " + std::to_wstring(index) + L" 不存在");
}

}  // namespace

MenuElementArray::MenuElementArray(HMENU menu, UINT firstCommand, std::wstring_view firstCaption)
    : menu_(menu), firstCommand_(firstCommand)
{
    elements_.push_back(Element{true, false, true, std::wstring(firstCaption)});
    SetVisible(0, true);
}

MenuElementArray::Element& MenuElementArray::At(std::int16_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= elements_.size() || !elements_[index].loaded)
        ThrowNoElement(index);
    return elements_[index];
}

const MenuElementArray::Element& MenuElementArray::At(std::int16_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= elements_.size() || !elements_[index].loaded)
        ThrowNoElement(index);
    return elements_[index];
}

void MenuElementArray::Add(std::int16_t index)
{
    if (index < 0)
        ThrowNoElement(index);
    if (static_cast<size_t>(index) >= elements_.size())
        elements_.resize(static_cast<size_t>(index) + 1);
    Element& e = elements_[index];
    if (e.loaded)
        throw AppError(kErrorElementExists, L"菜单元素 " + std::to_wstring(index) + L" 已存在");
    // A new element starts hidden, with an empty caption, like a fresh copy of the array's first.
    e = Element{true, false, true, {}};
}

void MenuElementArray::Remove(std::int16_t index)
{
    Element& e = At(index);
    if (index == 0)
        throw AppError(kErrorCannotUnload, L"不能删除设计时创建的菜单元素 0");
    if (e.visible)
        DeleteMenu(menu_, CommandOf(index), MF_BYCOMMAND);
    e = Element{};
    while (!elements_.empty() && !elements_.back().loaded)
        elements_.pop_back();
}

void MenuElementArray::SetCaption(std::int16_t index, std::wstring_view caption)
{
    At(index).caption = caption;
    UpdateItem(index);
}

const std::wstring& MenuElementArray::Caption(std::int16_t index) const
{
    return At(index).caption;
}

void MenuElementArray::SetVisible(std::int16_t index, bool visible)
{
    Element& e = At(index);
    if (e.visible == visible)
        return;
    if (visible) {
        InsertItem(index);
    } else if (!DeleteMenu(menu_, CommandOf(index), MF_BYCOMMAND)) {
        ThrowLastError(L"DeleteMenu");
    }
    e.visible = visible;
}

void MenuElementArray::SetEnabled(std::int16_t index, bool enabled)
{
    At(index).enabled = enabled;
    UpdateItem(index);
}

bool MenuElementArray::Enabled(std::int16_t index) const
{
    return At(index).enabled;
}

std::optional<std::int16_t> MenuElementArray::IndexOfCommand(UINT command) const
{
    if (command < firstCommand_ || command - firstCommand_ >= elements_.size())
        return std::nullopt;
    const auto index = static_cast<std::int16_t>(command - firstCommand_);
    if (!elements_[index].loaded)
        return std::nullopt;
    return index;
}

void MenuElementArray::InsertItem(std::int16_t index)
{
    const Element& e = elements_[index];
    const std::wstring text = MenuText(e.caption);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.fState = e.enabled ? MFS_ENABLED : MFS_GRAYED;
    item.wID = CommandOf(index);
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());

    // Insert before the next visible element; elements are usually added in order, so this is
    // nearly always an append.
    UINT before = static_cast<UINT>(-1);
    BOOL byPosition = TRUE;
    for (size_t next = static_cast<size_t>(index) + 1; next < elements_.size(); ++next) {
        if (elements_[next].loaded && elements_[next].visible) {
            before = CommandOf(static_cast<std::int16_t>(next));
            byPosition = FALSE;
            break;
        }
    }
    if (!InsertMenuItemW(menu_, before, byPosition, &item))
        ThrowLastError(L"InsertMenuItemW");
}

void MenuElementArray::UpdateItem(std::int16_t index)
{
    const Element& e = elements_[index];
    if (!e.visible)
        return;
    const std::wstring text = MenuText(e.caption);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_STATE;
    item.fState = e.enabled ? MFS_ENABLED : MFS_GRAYED;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    if (!SetMenuItemInfoW(menu_, CommandOf(index), FALSE, &item))
        ThrowLastError(L"SetMenuItemInfoW");
}

// The handle owners: one owner a handle, freed once, and selections put back.
#include <windows.h>

#include <gtest/gtest.h>

#include <type_traits>

#include "Handles.h"

static_assert(!std::is_copy_constructible_v<UniqueFont> && !std::is_copy_assignable_v<UniqueFont>,
              "copying a handle owner must not compile");

TEST(Handles, ScopedSelectPutsThePreviousObjectBack)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
    UniqueFont font(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    {
        ScopedSelect select(dc, font.get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font.get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), original);
    DeleteDC(dc);
}

TEST(Handles, OwnersFreeOnceAndMovesHandOver)
{
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        UniqueBrush first(raw);
        UniqueBrush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u) << "the brush outlived its owner";
}

// What the stand-ins at Form_Load's calls around SkinList saw: the clock when the call before
// SkinList returned, the clock when the call after it began, and the Theme menu's item count
// at that moment.
#pragma once

#include <windows.h>

namespace bench {

struct SkinListBoundaries {
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    int menuItems = -1;
};

extern SkinListBoundaries boundaries;

}  // namespace bench

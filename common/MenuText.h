// Text that goes into a menu item as it is, such as a file name.
#pragma once

#include <string>
#include <string_view>

// A menu takes "&" as the mark of an access key; doubled, it shows as itself.
std::wstring MenuText(std::wstring_view caption);

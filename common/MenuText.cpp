#include "MenuText.h"

std::wstring MenuText(std::wstring_view caption)
{
    std::wstring text;
    text.reserve(caption.size());
    for (const wchar_t c : caption) {
        if (c == L'&')
            text += L'&';
        text += c;
    }
    return text;
}

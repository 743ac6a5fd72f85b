#include "AttachSteps.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

#include "Handles.h"

namespace velum {

namespace {

struct Mark {
    const char* step;
    LONGLONG ticks;
};

struct Steps {
    std::wstring file;
    std::array<Mark, 32> marks{};
    std::size_t count = 0;
};

// Read once: the benchmark sets the variable before the program starts.
Steps* Recording()
{
    static Steps* const steps = []() -> Steps* {
        wchar_t file[MAX_PATH] = L"";
        const DWORD length = GetEnvironmentVariableW(L"VELUM_ATTACH_STEPS", file, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        static Steps kept;
        kept.file = file;
        return &kept;
    }();
    return steps;
}

}  // namespace

void MarkStep(const char* step)
{
    Steps* steps = Recording();
    if (steps == nullptr || steps->count == steps->marks.size())
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    steps->marks[steps->count++] = {step, now.QuadPart};
}

void WriteSteps()
{
    Steps* steps = Recording();
    if (steps == nullptr || steps->count == 0)
        return;
    UniqueFile file(CreateFileW(steps->file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        std::string text;
        for (std::size_t i = 0; i < steps->count; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "%s %lld\n", steps->marks[i].step, steps->marks[i].ticks);
            text += line;
        }
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    steps->count = 0;
}

}  // namespace velum

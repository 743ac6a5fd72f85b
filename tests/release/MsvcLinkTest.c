/* A program as a developer with Microsoft's tools would write it against the developer kit:
 * built by clang for the *-pc-windows-msvc targets and linked by lld-link against the kit's
 * Velum_VB6.lib and an import library of kernel32, with no C runtime at all.
 * Usage: msvc_link_test THEME_PATH. The exit code names the first call that went wrong. */
#include "Velum.h"

#define STD_ERROR_HANDLE ((unsigned long)-12)

__declspec(dllimport) char* __stdcall GetCommandLineA(void);
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);

static unsigned long Length(const char* text)
{
    unsigned long n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

static void Say(const char* text)
{
    unsigned long written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, Length(text), &written, 0);
}

static __declspec(noreturn) void Fail(unsigned int code, const char* call)
{
    char detail[512];
    Say("msvc_link_test: ");
    Say(call);
    if (Velum_GetLastErrorText(detail, (int)sizeof detail) > 0) {
        Say(": ");
        Say(detail);
    }
    Say("\n");
    ExitProcess(code);
}

/* The first argument, unquoted: the command line is "program" ARG or program ARG. */
static char* FirstArgument(char* line)
{
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"')
            ++line;
        if (*line == '"')
            ++line;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    if (*line == '"') {
        char* end = ++line;
        while (*end != '\0' && *end != '"')
            ++end;
        *end = '\0';
    }
    return line;
}

void start(void)
{
    const char* theme = FirstArgument(GetCommandLineA());
    char text[8];
    if (*theme == '\0')
        Fail(2, "usage: msvc_link_test THEME_PATH");
    if (Velum_Attach() != VELUM_OK)
        Fail(10, "Velum_Attach");
    if (Velum_AttachEx(theme, "") != VELUM_OK)
        Fail(11, "Velum_AttachEx");
    if (Velum_AttachEx(theme, 0) != VELUM_OK)
        Fail(12, "Velum_AttachEx with no scheme");
    /* Both strings arrive: a scheme the file lacks is refused by name. */
    if (Velum_AttachEx(theme, "no such scheme") != VELUM_E_SCHEME)
        Fail(13, "Velum_AttachEx with an unknown scheme");
    text[0] = '#';
    if (Velum_GetLastErrorText(text, (int)sizeof text) <= (int)sizeof text - 1 || Length(text) != sizeof text - 1)
        Fail(14, "Velum_GetLastErrorText");
    if (Velum_Detach() != VELUM_OK)
        Fail(15, "Velum_Detach");
    ExitProcess(0);
}

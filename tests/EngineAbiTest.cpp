// The engine's exports as any program finds them: by undecorated name, called through
// stdcall function pointers, leaving the caller's stack as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ProgramHarness.h"

namespace {

#if defined(__i386__)
// Calls fn with the first argumentCount of (a, b, c) as stdcall and returns how far the stack
// pointer moved across the call: 0 when the callee popped its arguments, 4 per argument if it
// left them (a cdecl function).
extern "C" std::intptr_t CallMeasuringStack(void* fn, const void* a, const void* b, const void* c, int argumentCount);
asm(R"(
    .text
    .globl _CallMeasuringStack
_CallMeasuringStack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    movl %esp, %esi
    movl 24(%ebp), %ecx
    cmpl $3, %ecx
    jl 1f
    pushl 20(%ebp)
1:
    cmpl $2, %ecx
    jl 2f
    pushl 16(%ebp)
    pushl 12(%ebp)
2:
    call *8(%ebp)
    movl %esp, %eax
    subl %esi, %eax
    movl %esi, %esp
    popl %esi
    popl %ebp
    ret
)");
#endif

struct Export {
    const char* name;
    int argumentCount;
};

constexpr Export kExports[] = {
    {"Velum_Attach", 0},           {"Velum_AttachEx", 2},     {"Velum_Detach", 0},
    {"Velum_GetLastErrorText", 2}, {"Velum_AttachExW", 2},    {"Velum_GetLastErrorTextW", 2},
    {"Velum_ExcludeWindow", 2},    {"Velum_ExcludeClass", 2}, {"Velum_ExcludeClassW", 2},
    {"Velum_GetThemeColor", 3},    {"Velum_GetThemeFont", 2}, {"Velum_GetThemeFontW", 2},
    {"Velum_IsDrawing", 0},
};

}  // namespace

TEST(EngineAbi, ExportsAreFoundByUndecoratedName)
{
    HMODULE engine = LoadLibraryW((harness::BuildFolder() + L"\\Velum_VB6.dll").c_str());
    ASSERT_NE(engine, nullptr) << GetLastError();
    for (const auto& e : kExports)
        EXPECT_NE(GetProcAddress(engine, e.name), nullptr) << e.name;
#if defined(__i386__)
    EXPECT_EQ(GetProcAddress(engine, "_Velum_AttachEx@8"), nullptr);
    EXPECT_EQ(GetProcAddress(engine, "Velum_AttachEx@8"), nullptr);
#endif
    FreeLibrary(engine);
}

#if defined(__i386__)
TEST(EngineAbi, StdcallCallsLeaveTheStackAsItWas)
{
    HMODULE engine = LoadLibraryW((harness::BuildFolder() + L"\\Velum_VB6.dll").c_str());
    ASSERT_NE(engine, nullptr);
    const std::string missing = "Z:\\no\\such\\theme.vlm";
    char buffer[256];
    for (const auto& e : kExports) {
        SCOPED_TRACE(e.name);
        void* fn = reinterpret_cast<void*>(GetProcAddress(engine, e.name));
        ASSERT_NE(fn, nullptr);
        // Arguments every call refuses or answers harmlessly: a missing file, the error buffer, nulls.
        const std::string name = e.name;
        const void* a = name == "Velum_AttachEx"           ? static_cast<const void*>(missing.c_str())
                        : name == "Velum_GetLastErrorText" ? buffer
                                                           : nullptr;
        const void* b = name == "Velum_AttachEx" ? static_cast<const void*>("")
                        : name == "Velum_GetLastErrorText"
                            ? reinterpret_cast<const void*>(static_cast<std::intptr_t>(sizeof buffer))
                            : nullptr;
        EXPECT_EQ(CallMeasuringStack(fn, a, b, nullptr, e.argumentCount), 0);
    }
    // The measurement itself: a cdecl function leaves its two arguments behind.
    struct Cdecl {
        static int __cdecl Two(const void*, const void*) { return 0; }
    };
    EXPECT_EQ(CallMeasuringStack(reinterpret_cast<void*>(&Cdecl::Two), nullptr, nullptr, nullptr, 2), -8);
    FreeLibrary(engine);
}
#endif

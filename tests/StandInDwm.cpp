// A stand-in for dwmapi.dll that the compositor tests load in place of Wine's, which has no
// compositor: it keeps every window attribute a program sets, in order, and answers as
// Windows' does. The corner preference and border colour are taken only where the reported
// Windows build has them (22000 on), as Windows 10's dwmapi refuses them.
#include <windows.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

namespace {

constexpr DWORD kNcRenderingEnabled = 1;
constexpr DWORD kNcRenderingPolicy = 2;
constexpr DWORD kPolicyDisabled = 1;
constexpr DWORD kCornerPreference = 33;
constexpr DWORD kBorderColour = 34;

struct Set {
    HWND hwnd;
    DWORD attribute;
    DWORD value;
};

std::mutex lock;
std::vector<Set> sets;
std::map<HWND, DWORD> policies;

unsigned long Build()
{
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return getVersion != nullptr && getVersion(&info) == 0 ? info.dwBuildNumber : 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT WINAPI DwmSetWindowAttribute(HWND hwnd, DWORD attribute, LPCVOID value, DWORD size)
{
    if (value == nullptr || size != sizeof(DWORD))
        return E_INVALIDARG;
    if (!IsWindow(hwnd))
        return E_HANDLE;
    if ((attribute == kCornerPreference || attribute == kBorderColour) && Build() < 22000)
        return E_INVALIDARG;
    const DWORD v = *static_cast<const DWORD*>(value);
    std::lock_guard<std::mutex> guard(lock);
    sets.push_back({hwnd, attribute, v});
    if (attribute == kNcRenderingPolicy)
        policies[hwnd] = v;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DwmGetWindowAttribute(HWND hwnd, DWORD attribute, PVOID value, DWORD size)
{
    if (value == nullptr || attribute != kNcRenderingEnabled || size != sizeof(BOOL))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(lock);
    const auto found = policies.find(hwnd);
    *static_cast<BOOL*>(value) = found == policies.end() || found->second != kPolicyDisabled;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled)
{
    *enabled = TRUE;
    return S_OK;
}

// The test's side: the attributes set since the last call, oldest first, as hwnd, attribute
// and value triples; returns how many were copied.
__declspec(dllexport) int WINAPI StandInDwmTake(Set* out, int capacity)
{
    std::lock_guard<std::mutex> guard(lock);
    const int n = static_cast<int>(std::min<std::size_t>(sets.size(), static_cast<std::size_t>(capacity)));
    for (int i = 0; i < n; ++i)
        out[i] = sets[static_cast<std::size_t>(i)];
    sets.clear();
    return n;
}
}

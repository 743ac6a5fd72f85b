// Loaded into the started program by Windows, as the module of velum-try's message hook on the
// program's UI thread. When that thread takes velum-try's message out of its queue, the hook
// loads the engine and attaches it right there, on the thread that owns the windows, and
// writes the outcome back for velum-try. Under velum-try --watch the message comes again after
// each save of the theme, and the hook applies it again the same way.
#include <windows.h>

#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "AnsiText.h"
#include "Handles.h"
#include "VelumTryExchange.h"

namespace {

HMODULE selfModule = nullptr;
// The engine, once loaded: it stays for the rest of the program's life, as its window
// procedures and hooks are in it from the first attach on.
HMODULE engine = nullptr;
// The last request answered. A stray copy of the message, or one taken while the engine is
// still attaching (a message loop inside the attach), finds its request answered already.
LONG answeredRequest = 0;

using AttachExFn = int(WINAPI*)(const char*, const char*);
using GetLastErrorTextFn = int(WINAPI*)(char*, int);
using AttachExWFn = int(WINAPI*)(const wchar_t*, const wchar_t*);
using GetLastErrorTextWFn = int(WINAPI*)(wchar_t*, int);

// velum-try removes the hook as soon as it has its answer, and Windows would then unload this
// module from the program; pinned, it stays, so no code of it can be unloaded while it runs.
void PinSelf()
{
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(selfModule), &pinned);
}

template <class Fn>
Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void Attach(velum_try::Exchange& exchange)
{
    using velum_try::Stage;
    if (exchange.size != sizeof(velum_try::Exchange)) {
        exchange.stage = Stage::BadRequest;
        return;
    }
    exchange.enginePath[std::size(exchange.enginePath) - 1] = L'\0';
    exchange.themePath[std::size(exchange.themePath) - 1] = L'\0';
    exchange.scheme[std::size(exchange.scheme) - 1] = L'\0';

    if (engine == nullptr)
        engine = LoadLibraryW(exchange.enginePath);
    if (engine == nullptr) {
        exchange.systemError = GetLastError();
        exchange.stage = Stage::EngineNotLoaded;
        return;
    }
    // The wide calls reach every path; an engine from before them is called with ANSI text.
    const auto attachExW = Export<AttachExWFn>(engine, "Velum_AttachExW");
    const auto lastErrorTextW = Export<GetLastErrorTextWFn>(engine, "Velum_GetLastErrorTextW");
    if (attachExW != nullptr && lastErrorTextW != nullptr) {
        exchange.engineResult = attachExW(exchange.themePath, exchange.scheme);
        lastErrorTextW(exchange.engineError, static_cast<int>(std::size(exchange.engineError)));
        exchange.stage = exchange.engineResult == 0 ? Stage::Attached : Stage::AttachFailed;
        return;
    }
    const auto attachEx = Export<AttachExFn>(engine, "Velum_AttachEx");
    const auto lastErrorText = Export<GetLastErrorTextFn>(engine, "Velum_GetLastErrorText");
    if (attachEx == nullptr || lastErrorText == nullptr) {
        exchange.systemError = GetLastError();
        exchange.stage = Stage::EngineIncomplete;
        return;
    }
    std::string theme;
    std::string scheme;
    try {
        theme = ToAnsi(exchange.themePath);
        scheme = ToAnsi(exchange.scheme);
    } catch (const std::exception&) {
        const std::wstring text = L"the theme path or scheme cannot be given to the engine";
        std::memcpy(exchange.engineError, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        exchange.engineResult = -1;
        exchange.stage = Stage::AttachFailed;
        return;
    }
    exchange.engineResult = attachEx(theme.c_str(), scheme.c_str());
    char ansi[std::extent_v<decltype(velum_try::Exchange::engineError)>] = "";
    lastErrorText(ansi, static_cast<int>(std::size(ansi)));
    const std::wstring text = FromAnsi(ansi).substr(0, std::size(exchange.engineError) - 1);
    std::memcpy(exchange.engineError, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    exchange.stage = exchange.engineResult == 0 ? Stage::Attached : Stage::AttachFailed;
}

void AnswerVelumTry()
{
    PinSelf();
    const DWORD pid = GetCurrentProcessId();
    UniqueKernel answered(OpenEventW(EVENT_MODIFY_STATE, FALSE, velum_try::AnsweredEventName(pid).c_str()));
    UniqueKernel mapping(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, velum_try::ExchangeName(pid).c_str()));
    if (!answered || !mapping)
        return;
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(velum_try::Exchange)));
    if (!view)
        return;
    auto& exchange = *static_cast<velum_try::Exchange*>(view.get());
    if (exchange.request == answeredRequest)
        return;
    answeredRequest = exchange.request;
    Attach(exchange);
    SetEvent(answered.get());
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK VelumTryGetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    static const UINT attachMessage = RegisterWindowMessageW(velum_try::kAttachMessage);
    if (code == HC_ACTION && wParam == PM_REMOVE && attachMessage != 0) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == attachMessage) {
            msg->message = WM_NULL;
            AnswerVelumTry();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        selfModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

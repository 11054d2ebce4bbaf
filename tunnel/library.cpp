#include "tunnel/library.h"

HMODULE sdk = nullptr;
TunnelStartFunction sdkStart = nullptr;
TunnelStopFunction sdkStop = nullptr;
TunnelConfigFunction sdkConfig = nullptr;
TunnelCallbackSetFunction sdkCallback = nullptr;

namespace {

// GetProcAddress gives a generic function pointer; going through void* keeps the conversion
// to the export's real type free of cast-function-type warnings.
template <typename Function>
Function Export(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(sdk, name)));
}

}  // namespace

void LoadTunnelLibrary(const wchar_t* path) {
    sdk = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!sdk) return;
    sdkStart = Export<TunnelStartFunction>("pgTunnelStart");
    sdkStop = Export<TunnelStopFunction>("pgTunnelStop");
    sdkConfig = Export<TunnelConfigFunction>("pgTunnelSetCfgParam");
    sdkCallback = Export<TunnelCallbackSetFunction>("pgTunnelCallbackSet");
    if (sdkStart && sdkStop && sdkConfig && sdkCallback) return;
    // All four or none: a library missing one is never called at all.
    FreeLibrary(sdk);
    sdk = nullptr;
    sdkStart = nullptr;
    sdkStop = nullptr;
    sdkConfig = nullptr;
    sdkCallback = nullptr;
}

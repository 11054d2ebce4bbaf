#include "tunnel/library.h"
HMODULE sdk = nullptr;
TunnelStartFunction sdkStart = nullptr;
TunnelStopFunction sdkStop = nullptr;
TunnelConfigFunction sdkConfig = nullptr;
TunnelCallbackSetFunction sdkCallback = nullptr;
void LoadTunnelLibrary(const wchar_t*) {}

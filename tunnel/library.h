// The contract with pgDllTunnel.dll: its exports' types and the loaded pointers.
// The stand-in library includes this header too, so both sides agree on it.
#pragma once
#include <cstdint>

extern "C" {
typedef void (*TunnelCallback)(std::uint32_t number, const char* text);
typedef int (*TunnelStartFunction)(const char* empty, const char* parameter, int zero,
                                   TunnelCallback diagnostic);
typedef int (*TunnelStopFunction)();
typedef int (*TunnelConfigFunction)(const char* configuration);
typedef int (*TunnelCallbackSetFunction)(TunnelCallback events);
}

#ifdef _WIN32
#include <windows.h>

extern HMODULE sdk;
extern TunnelStartFunction sdkStart;
extern TunnelStopFunction sdkStop;
extern TunnelConfigFunction sdkConfig;
extern TunnelCallbackSetFunction sdkCallback;

// Loads the library at path (baseDir / "pgDllTunnel.dll", a full path) with all four exports,
// or leaves sdk and the four pointers null with nothing of the library kept loaded.
void LoadTunnelLibrary(const wchar_t* path);
#endif

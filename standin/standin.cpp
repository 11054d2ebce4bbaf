#include "tunnel/library.h"
extern "C" int pgTunnelSetCfgParam(const char*) { return 0; }
extern "C" int pgTunnelCallbackSet(TunnelCallback) { return 0; }
extern "C" int pgTunnelStart(const char*, const char*, int, TunnelCallback) { return 0; }
extern "C" int pgTunnelStop() { return 0; }

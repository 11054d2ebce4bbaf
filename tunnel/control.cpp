#include "tunnel/control.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "console/refresh.h"
#include "console/window.h"
#include "text/convert.h"
#include "text/language.h"
#include "tunnel/events.h"
#include "tunnel/library.h"
#include "tunnel/log.h"
#include "tunnel/state.h"

std::filesystem::path baseDir;
std::wstring tunnelID;

namespace {

// The whole file as raw bytes; a file that cannot be opened reads as empty.
std::string ReadConfiguration() {
    std::ifstream file(baseDir / L"pgTunnelStatic.cfg", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace

void Start() {
    if (running || !sdk) return;
    const std::string configuration = ReadConfiguration();
    if (configuration.empty()) {
        MessageBoxW(window, L"pgTunnelStatic.cfg", T("login_failed").c_str(), MB_ICONERROR);
        return;
    }
    int code = sdkConfig(configuration.c_str());
    if (code == 0) {
        sdkCallback(EventCallback);
        {
            const std::string parameter = "(DevID){" + UTF8(tunnelID) + "}";
            code = sdkStart("", parameter.c_str(), 0, LogCallback);
        }
        if (code == 0) {
            running = true;
            loginState = "logging_in";
            Log("SDK started");
            Refresh();
            return;
        }
    }
    Log("SDK start failed: " + std::to_string(code));
    loginState = "login_failed";
    Refresh();
}

void Stop() {
    if (running) {
        sdkStop();
        running = false;
    }
    DiscardEvents();
    peers.clear();
    loginState = "disconnected";
    Refresh();
}

void LogCallback(std::uint32_t level, const char*) noexcept {
    if (!accepting.load()) return;
    if (level <= 2) return;
    try {
        Log("SDK diagnostic event; level=" + std::to_string(level));
    } catch (...) {
        // The line is lost, like any line the log cannot take.
    }
}

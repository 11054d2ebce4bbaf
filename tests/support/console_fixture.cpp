#include "console_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "console/window.h"
#include "tunnel/log.h"

namespace {

WNDPROC originalProc = nullptr;
int redraws = 0;
std::vector<std::filesystem::path> madeFolders;

void RemoveMadeFolders() {
    for (const auto& folder : madeFolders) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) ++redraws;
    return CallWindowProcW(originalProc, hwnd, message, wParam, lParam);
}

}  // namespace

std::filesystem::path UseFreshDataDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const auto folder = std::filesystem::path(temp) / (L"tambrix-test-" +
                        std::to_wstring(GetCurrentProcessId()) + L"-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RemoveWhenDone(folder);
    dataDir = folder;
    logPath = folder / L"TAMBRIX-P2P.log";
    return folder;
}

void RemoveWhenDone(const std::filesystem::path& folder) {
    if (madeFolders.empty()) std::atexit(&RemoveMadeFolders);
    if (std::find(madeFolders.begin(), madeFolders.end(), folder) == madeFolders.end()) madeFolders.push_back(folder);
}

std::vector<std::string> LogMessages() {
    std::ifstream file(logPath, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> messages;
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
        // "[YYYY-MM-DD hh:mm:ss] " is 22 characters for a four-digit year.
        messages.push_back(content.substr(start + 22, end - start - 22));
    }
    return messages;
}

void CreateTestConsole() {
    CreateConsole(GetModuleHandleW(nullptr));
    originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    redraws = 0;
}

int RedrawCount() { return redraws; }

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void DestroyTestConsole() {
    if (!window) return;
    Shell_NotifyIconW(NIM_DELETE, &tray);
    DestroyWindow(window);
    PumpMessages();
}

// The entry point: start-up, the message loop and the tear-down, on the one window thread.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <filesystem>
#include <system_error>

#include "console/refresh.h"
#include "console/startup.h"
#include "console/window.h"
#include "console/window_proc.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/library.h"
#include "tunnel/log.h"

namespace {

constexpr const wchar_t* INSTANCE_MUTEX = L"Local\\TAMBRIX.P2P.Console";

// The local application-data folder / "TAMBRIX" / "D2I Duzozur", or empty when it cannot be had.
std::filesystem::path MakeDataDir() {
    PWSTR localAppData = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData))) return {};
    const auto folder = std::filesystem::path(localAppData) / L"TAMBRIX" / L"D2I Duzozur";
    CoTaskMemFree(localAppData);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return error ? std::filesystem::path() : folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HANDLE instanceMutex = CreateMutexW(nullptr, FALSE, INSTANCE_MUTEX);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = FindWindowW(CLASS_NAME, nullptr)) ShowInFront(first);
        if (instanceMutex) CloseHandle(instanceMutex);
        return 0;
    }

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    HDC screen = GetDC(nullptr);
    uiScale = static_cast<double>(GetDeviceCaps(screen, LOGPIXELSY)) / 96.0;
    ReleaseDC(nullptr, screen);

    std::wstring modulePath(32768, L'\0');
    modulePath.resize(GetModuleFileNameW(nullptr, &modulePath[0], static_cast<DWORD>(modulePath.size())));
    baseDir = std::filesystem::path(modulePath).parent_path();

    dataDir = MakeDataDir();
    if (dataDir.empty()) return 1;
    logPath = dataDir / L"TAMBRIX-P2P.log";
    SetCurrentDirectoryW(dataDir.c_str());

    language = ReadSavedLanguage(dataDir);
    tunnelID = NewTunnelID();

    CreateConsole(instance);
    LoadTunnelLibrary((baseDir / L"pgDllTunnel.dll").c_str());
    Refresh();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);

    if (sdk) {
        Start();
    } else {
        Log("Cannot load pgDllTunnel.dll or its required exports");
        MessageBoxW(window, L"pgDllTunnel.dll", T("login_failed").c_str(), MB_ICONERROR);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // The library stays loaded until the process ends: its threads may still be calling back
    // after pgTunnelStop has returned, and unloading their code under them would crash the
    // process. Ending the process stops those threads before the library is detached.
    DeleteObject(font);
    CoUninitialize();
    if (instanceMutex) CloseHandle(instanceMutex);
    return 0;
}

#include "console/window.h"
double uiScale = 1.0;
HWND window = nullptr;
HFONT font = nullptr;
HWND tooltip = nullptr;
HWND labels[5] = {};
HWND values[5] = {};
HWND logButton = nullptr, copyDevice = nullptr, copyTunnel = nullptr;
HWND startButton = nullptr, stopButton = nullptr, quitButton = nullptr;
NOTIFYICONDATAW tray = {};
HWND Control(const wchar_t*, const wchar_t*, DWORD, int, int, int, int, int) { return nullptr; }
void Tip(HWND, const std::wstring&, bool) {}
void CreateConsole(HINSTANCE) {}

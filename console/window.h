// The main window, its controls, the tooltip window and the tray icon record.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <string>

constexpr const wchar_t* CLASS_NAME = L"TAMBRIX.P2P.Console";
constexpr UINT WM_TRAY = WM_APP + 2;  // 0x8002

// Command identifiers, shared by the buttons, the drop-down list and the tray menu.
constexpr int ID_START = 101;
constexpr int ID_STOP = 102;
constexpr int ID_QUIT = 103;
constexpr int ID_COPY_DEVICE = 104;
constexpr int ID_COPY_TUNNEL = 105;
constexpr int ID_OPEN_LOGS = 106;
constexpr int ID_LANGUAGE = 107;
constexpr int ID_SHOW = 108;
constexpr int ID_LANGUAGE_FIRST = 200;

extern double uiScale;
extern HWND window;
extern HFONT font;
extern HWND tooltip;
extern HWND labels[5];
extern HWND values[5];
extern HWND logButton, copyDevice, copyTunnel;
extern HWND startButton, stopButton, quitButton;
extern NOTIFYICONDATAW tray;

HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id);
void Tip(HWND control, const std::wstring& text, bool add);

// The creation sequence: class, window, font, tooltip window, controls, tools, tray icon.
void CreateConsole(HINSTANCE instance);

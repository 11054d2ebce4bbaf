#include "console/window.h"

#include <commctrl.h>

#include "console/window_proc.h"
#include "text/language.h"

double uiScale = 1.0;
HWND window = nullptr;
HFONT font = nullptr;
HWND tooltip = nullptr;
HWND labels[5] = {};
HWND values[5] = {};
HWND logButton = nullptr, copyDevice = nullptr, copyTunnel = nullptr;
HWND startButton = nullptr, stopButton = nullptr, quitButton = nullptr;
NOTIFYICONDATAW tray = {};

namespace {

constexpr DWORD MAIN_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD GLYPH_STYLE = WS_TABSTOP | BS_OWNERDRAW;
// SS_NOTIFY makes the statics visible to the mouse, without which their tooltips never show;
// SS_NOPREFIX keeps an "&" in a peer ID from being taken for a mnemonic.
constexpr DWORD VALUE_STYLE = SS_PATHELLIPSIS | SS_NOTIFY | SS_NOPREFIX;
// Wide enough for one device ID a line; without a width the tooltip ignores line breaks.
constexpr int TIP_WIDTH = 600;

int Scaled(double length) { return static_cast<int>(length * uiScale); }

}  // namespace

HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND control = CreateWindowExW(0, cls, text, style | WS_CHILD | WS_VISIBLE, Scaled(x), Scaled(y),
                                   Scaled(w), Scaled(h), window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

void Tip(HWND control, const std::wstring& text, bool add) {
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip, add ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateConsole(HINSTANCE instance) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = CLASS_NAME;
    RegisterClassW(&windowClass);

    RECT frame = {0, 0, Scaled(660), Scaled(316)};
    AdjustWindowRectEx(&frame, MAIN_STYLE, FALSE, WS_EX_APPWINDOW);
    window = CreateWindowExW(WS_EX_APPWINDOW, CLASS_NAME, T("app").c_str(), MAIN_STYLE, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                             nullptr, instance, nullptr);

    font = CreateFontW(-Scaled(16), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");

    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                              instance, nullptr);
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(TIP_WIDTH));

    logButton = Control(L"BUTTON", L"", GLYPH_STYLE, 608, 8, 32, 28, ID_OPEN_LOGS);
    for (int row = 0; row < 5; ++row) {
        const int top = 50 + 42 * row;
        labels[row] = Control(L"STATIC", L"", 0, 20, top, 140, 26, 0);
        if (row < 4) values[row] = Control(L"STATIC", L"", VALUE_STYLE, 168, top, 432, 26, 0);
    }
    values[4] = Control(L"COMBOBOX", L"", WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 168, 218, 220, 230,
                        ID_LANGUAGE);
    copyDevice = Control(L"BUTTON", L"", GLYPH_STYLE, 608, 46, 32, 28, ID_COPY_DEVICE);
    copyTunnel = Control(L"BUTTON", L"", GLYPH_STYLE, 608, 88, 32, 28, ID_COPY_TUNNEL);
    startButton = Control(L"BUTTON", L"", WS_TABSTOP, 20, 272, 198, 30, ID_START);
    stopButton = Control(L"BUTTON", L"", WS_TABSTOP, 230, 272, 198, 30, ID_STOP);
    quitButton = Control(L"BUTTON", L"", WS_TABSTOP, 440, 272, 200, 30, ID_QUIT);

    for (HWND control : {logButton, copyDevice, copyTunnel, values[0], values[1], values[3]}) {
        Tip(control, L"", true);
    }

    tray.cbSize = sizeof tray;
    tray.hWnd = window;
    tray.uID = 1;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = WM_TRAY;
    tray.hIcon = windowClass.hIcon;
    Shell_NotifyIconW(NIM_ADD, &tray);
}

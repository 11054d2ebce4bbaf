#include "console/tray_menu.h"

#include "console/window.h"
#include "text/language.h"
#include "tunnel/state.h"

HMENU BuildMenu() {
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_SHOW, T("show_console").c_str());
    AppendMenuW(menu, MF_STRING, ID_START + (running ? 1 : 0), T(running ? "stop" : "start").c_str());
    AppendMenuW(menu, MF_STRING, ID_OPEN_LOGS, T("open_logs").c_str());

    const HMENU languages = CreatePopupMenu();
    for (std::size_t i = 0; i < LANGUAGE_CODES.size(); ++i) {
        const UINT flags = LANGUAGE_CODES[i] == language ? MF_CHECKED : MF_STRING;
        AppendMenuW(languages, flags, ID_LANGUAGE_FIRST + i, LanguageName(i).c_str());
    }
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(languages), T("language").c_str());

    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_QUIT, T("quit").c_str());
    return menu;
}

void Menu() {
    const HMENU menu = BuildMenu();
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);
    // Lets the menu's owner leave the menu mode cleanly before the next tray click.
    PostMessageW(window, WM_NULL, 0, 0);
}

#include "console/window_proc.h"

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <fstream>

#include "console/glyphs.h"
#include "console/refresh.h"
#include "console/tray_menu.h"
#include "console/window.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/events.h"
#include "tunnel/interpreter.h"
#include "tunnel/log.h"
#include "tunnel/state.h"

namespace {

void Command(HWND hwnd, WORD id, WORD code) {
    switch (id) {
        case ID_START: Start(); break;
        case ID_STOP: Stop(); break;
        case ID_QUIT: SendMessageW(hwnd, WM_CLOSE, 0, 0); break;
        case ID_COPY_DEVICE: Copy(DeviceIDs()); break;
        case ID_COPY_TUNNEL: Copy(tunnelID); break;
        case ID_OPEN_LOGS:
            ShellExecuteW(hwnd, L"open", dataDir.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case ID_LANGUAGE:
            if (code == CBN_SELCHANGE) {
                // CB_ERR (-1) becomes a large unsigned number and is ignored with the rest.
                const auto choice = static_cast<std::uint32_t>(SendMessageW(values[4], CB_GETCURSEL, 0, 0));
                if (choice < LANGUAGE_CODES.size()) ChooseLanguage(choice);
            }
            break;
        case ID_SHOW: Show(); break;
        default:
            if (id >= ID_LANGUAGE_FIRST && id < ID_LANGUAGE_FIRST + LANGUAGE_CODES.size()) {
                ChooseLanguage(id - ID_LANGUAGE_FIRST);
            }
            break;
    }
}

void ConfirmClose(HWND hwnd) {
    Show();
    const std::wstring caption = T("quit_confirm");
    const std::wstring text = T("quit_detail");
    if (MessageBoxW(hwnd, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    Stop();
    accepting.exchange(false);
    DestroyWindow(hwnd);
}

bool IsGlyphButton(UINT id) { return id == ID_COPY_DEVICE || id == ID_COPY_TUNNEL || id == ID_OPEN_LOGS; }

}  // namespace

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        Command(hwnd, LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    if (message == WM_EVENTS) {
        HandleEvents();
        return 0;
    }
    if (message == WM_TIMER && wParam == EVENTS_TIMER) {
        KillTimer(hwnd, EVENTS_TIMER);
        HandleEvents();
        return 0;
    }
    if (message == WM_TRAY) {
        if (lParam == WM_LBUTTONUP) Show();
        if (lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU) Menu();
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        // Minimising hides the window to the tray; it keeps its size and position.
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    if (message == WM_CLOSE) {
        ConfirmClose(hwnd);
        return 0;
    }
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (IsGlyphButton(item->CtlID)) {
            DrawGlyph(*item);
            return TRUE;
        }
    }
    if (message == WM_DESTROY) {
        Shell_NotifyIconW(NIM_DELETE, &tray);
        PostQuitMessage(0);
        return 0;
    }
    // A restarted shell has lost its icons and says so with this registered message.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (message == taskbarCreated) {
        Shell_NotifyIconW(NIM_ADD, &tray);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ShowInFront(HWND target) {
    // SW_SHOW leaves a minimised window minimised, and a window brought back from the tray must
    // be usable at once.
    ShowWindow(target, SW_SHOW);
    if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
    SetForegroundWindow(target);
}

void Show() { ShowInFront(window); }

void ChooseLanguage(std::size_t choice) {
    language = LANGUAGE_CODES[choice];
    {
        std::ofstream file(dataDir / L"language.txt", std::ios::binary | std::ios::trunc);
        file << language;
    }
    Refresh();
}

void Copy(const std::wstring& text) {
    if (text.empty()) return;
    if (!OpenClipboard(window)) return;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
        if (void* target = GlobalLock(memory)) {
            memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            // Emptied only now, so a failure before this point leaves the old content in place.
            EmptyClipboard();
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

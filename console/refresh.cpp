#include "console/refresh.h"

#include <cwchar>

#include "console/window.h"
#include "text/language.h"
#include "text/type_keys.h"
#include "tunnel/control.h"
#include "tunnel/library.h"
#include "tunnel/state.h"

namespace {

constexpr const wchar_t* EMPTY_ROW = L"\u2014";
constexpr const wchar_t* TYPE_SEPARATOR = L", ";
constexpr const wchar_t* TIP_SEPARATOR = L" \u2014 ";
constexpr const char* CAPTION_KEYS[5] = {"peer_id", "tunnel_id", "p2p_status", "device_status", "language"};

void SetText(HWND control, const std::wstring& text) { SetWindowTextW(control, text.c_str()); }

std::wstring ConnectionTypes() {
    std::wstring text;
    for (const auto& entry : peers) {
        if (!text.empty()) text += TYPE_SEPARATOR;
        text += T(TypeKey(entry.second));
    }
    return text;
}

void FillLanguageList() {
    HWND list = values[4];
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (size_t choice = 0; choice < LANGUAGE_CODES.size(); ++choice) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LanguageName(choice).c_str()));
        if (language == LANGUAGE_CODES[choice]) SendMessageW(list, CB_SETCURSEL, choice, 0);
    }
}

}  // namespace

void Refresh() {
    SetText(window, T("app"));
    for (int row = 0; row < 5; ++row) SetText(labels[row], T(CAPTION_KEYS[row]));

    const std::wstring ids = DeviceIDs();
    const std::wstring types = ConnectionTypes();
    SetText(values[0], ids.empty() ? EMPTY_ROW : ids);
    SetText(values[1], tunnelID);
    SetText(values[2], T(loginState));
    SetText(values[3], types.empty() ? T("no_device") : types);

    SetText(startButton, T("start"));
    SetText(stopButton, T("stop"));
    SetText(quitButton, T("quit"));

    Tip(logButton, T("open_logs"), false);
    Tip(copyDevice, T("copy_device"), false);
    Tip(copyTunnel, T("copy_tunnel"), false);
    Tip(values[0], ids, false);
    Tip(values[1], tunnelID, false);
    Tip(values[3], types, false);

    EnableWindow(startButton, !running && sdk != nullptr);
    EnableWindow(stopButton, running);
    EnableWindow(copyDevice, !peers.empty());

    FillLanguageList();

    const std::wstring tip = T("app") + TIP_SEPARATOR + T(loginState);
    wcsncpy_s(tray.szTip, _countof(tray.szTip), tip.c_str(), _TRUNCATE);
    Shell_NotifyIconW(NIM_MODIFY, &tray);
}

#include "message_box.h"

#include <chrono>
#include <cwchar>
#include <thread>

#include "find_windows.h"
#include "launch.h"

namespace {

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    return _wcsicmp(className, name) == 0;
}

}  // namespace

HWND FindMessageBox(DWORD processId) {
    return FirstVisibleWindow(processId, L"#32770");
}

SeenBox ReadMessageBox(HWND box) {
    SeenBox seen;
    if (!box) return seen;
    seen.found = true;
    seen.caption = Text(box);
    // The message text is the static control with the id 0xFFFF.
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = Text(text);
    for (const HWND child : Children(box)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (IsClass(child, L"Button") && IsWindowVisible(child)) {
            seen.buttons.push_back(GetDlgCtrlID(child));
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultButton = GetDlgCtrlID(child);
        }
        // The icon's static has no fixed id (Windows 0x14, Wine 0x440): its style tells it apart.
        if (IsClass(child, L"Static") && (style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = reinterpret_cast<HICON>(SendWithin(child, STM_GETICON));
        }
    }
    return seen;
}

std::future<SeenBox> AnswerMessageBox(DWORD processId, WORD command, DWORD timeoutMs) {
    return std::async(std::launch::async, [=] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        HWND box = nullptr;
        while (!(box = FindMessageBox(processId)) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const SeenBox seen = ReadMessageBox(box);
        if (box) PostMessageW(box, WM_COMMAND, command, 0);
        return seen;
    });
}

#include "message_box.h"

#include <chrono>
#include <thread>

#include "find_windows.h"

namespace {

std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

}  // namespace

HWND FindMessageBox(DWORD processId) {
    return FirstVisibleWindow(processId, L"#32770");
}

std::future<SeenBox> AnswerMessageBox(DWORD processId, WORD command, DWORD timeoutMs) {
    return std::async(std::launch::async, [=] {
        SeenBox seen;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        HWND box = nullptr;
        while (!(box = FindMessageBox(processId)) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!box) return seen;
        seen.found = true;
        seen.caption = TextOf(box);
        // The message text is the static control with the id 0xFFFF.
        if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = TextOf(text);
        PostMessageW(box, WM_COMMAND, command, 0);
        return seen;
    });
}

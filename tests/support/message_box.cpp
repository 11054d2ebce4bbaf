#include "message_box.h"

#include <chrono>
#include <thread>

#include "find_windows.h"
#include "launch.h"

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
        seen.caption = Text(box);
        // The message text is the static control with the id 0xFFFF.
        if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = Text(text);
        PostMessageW(box, WM_COMMAND, command, 0);
        return seen;
    });
}

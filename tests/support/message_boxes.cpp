#include "message_boxes.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

std::thread answerer;
std::atomic<bool> answering{false};
std::mutex answeredMutex;
std::vector<AnsweredBox> answered;
std::vector<HWND> closing;  // boxes already answered, so that each is recorded once

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const std::wstring text = TextOf(child);
    if (lstrcmpiW(cls, L"Static") == 0 && !text.empty())
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
    return TRUE;
}

BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (process != GetCurrentProcessId() || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    if (std::find(closing.begin(), closing.end(), hwnd) == closing.end()) {
        AnsweredBox box{TextOf(hwnd), {}, GetWindow(hwnd, GW_OWNER)};
        EnumChildWindows(hwnd, CollectStatic, reinterpret_cast<LPARAM>(&box.texts));
        std::lock_guard<std::mutex> lock(answeredMutex);
        answered.push_back(box);
        closing.push_back(hwnd);
    }
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

}  // namespace

void StartAnsweringBoxes() {
    answered.clear();
    closing.clear();
    answering = true;
    answerer = std::thread([] {
        while (answering) {
            EnumWindows(AnswerBox, 0);
            Sleep(10);
        }
    });
}

std::vector<AnsweredBox> StopAnsweringBoxes() {
    answering = false;
    if (answerer.joinable()) answerer.join();
    std::lock_guard<std::mutex> lock(answeredMutex);
    return answered;
}

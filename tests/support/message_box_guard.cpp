#include "message_box_guard.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "message_box.h"

namespace {

std::thread answerer;
std::atomic<bool> answering{false};
std::vector<AnsweredBox> answered;  // written by the answerer only while it runs

void AnswerEveryBox() {
    std::vector<HWND> seen;
    while (answering) {
        if (const HWND box = FindMessageBox(GetCurrentProcessId())) {
            if (std::find(seen.begin(), seen.end(), box) == seen.end()) {
                seen.push_back(box);
                answered.push_back({ReadMessageBox(box), GetWindow(box, GW_OWNER)});
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(10);
    }
}

}  // namespace

void StartAnsweringBoxes() {
    answered.clear();
    answering = true;
    answerer = std::thread(AnswerEveryBox);
}

std::vector<AnsweredBox> StopAnsweringBoxes() {
    answering = false;
    if (answerer.joinable()) answerer.join();
    return answered;
}

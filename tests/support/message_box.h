// Answers a message box of a process from another thread or process, as a user would.
#pragma once
#include <windows.h>

#include <future>
#include <string>
#include <vector>

#include "launch.h"

struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;
    // The push buttons' ids in creation order (IDOK, IDYES, IDNO, ...).
    std::vector<int> buttons;
    // The button that Enter presses and that is drawn as the default (BS_DEFPUSHBUTTON); 0 if none.
    // DM_GETDEFID cannot tell: Wine's box answers IDOK to it whatever its buttons are.
    int defaultButton = 0;
    // The icon shown. Icon handles are per process: compare it with LoadIconW(nullptr, IDI_...)
    // only in the box's own process.
    HICON icon = nullptr;
};

// What a visible message box shows, read without answering it; works across processes.
SeenBox ReadMessageBox(HWND box);

// Waits up to timeoutMs for a visible message box of processId, reads it (ReadMessageBox), then
// posts command (IDOK, IDYES, IDNO) to it. Runs on its own thread.
std::future<SeenBox> AnswerMessageBox(DWORD processId, WORD command, DWORD timeoutMs = LONG_WAIT_MS);

// The visible message box of processId, or null.
HWND FindMessageBox(DWORD processId);

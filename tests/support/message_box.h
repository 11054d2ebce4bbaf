// Answers a message box of a process from another thread or process, as a user would.
#pragma once
#include <windows.h>

#include <future>
#include <string>

struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;
};

// Waits up to timeoutMs for a visible message box of processId, reads its caption and text,
// then posts command (IDOK, IDYES, IDNO) to it. Runs on its own thread.
std::future<SeenBox> AnswerMessageBox(DWORD processId, WORD command, DWORD timeoutMs = 10000);

// The visible message box of processId, or null.
HWND FindMessageBox(DWORD processId);

// Drives the running console from outside, as scripts/run needs it without a person:
//   console_driver wait   waits until the console's window is shown
//   console_driver ask    asks it to close and waits for its question
//   console_driver yes    answers the question with Yes and waits for the console to end
// Each prints what it saw and returns 0 on success (for "yes": the console's exit code).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "support/launch.h"

namespace {

// The running console found by its window class, whether its window is shown or not.
Console FindConsole() {
    Console console{nullptr, 0, {}};
    if (const HWND window = FindWindowW(L"TAMBRIX.P2P.Console", nullptr)) {
        GetWindowThreadProcessId(window, &console.id);
        console.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, console.id);
    }
    return console;
}

int Fail(const char* what) {
    std::printf("%s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    Console console{nullptr, 0, {}};
    WaitUntil([&] { return (console = FindConsole()).process != nullptr; }, 30000);
    if (!console.process) return Fail("no console is running");

    if (std::strcmp(command, "wait") == 0) {
        if (!WaitForMainWindow(console, 30000)) return Fail("the console's window did not show");
        std::printf("console window shown\n");
        return 0;
    }
    if (std::strcmp(command, "ask") == 0) {
        const HWND window = WaitForMainWindow(console, 30000);
        if (!window) return Fail("the console's window did not show");
        // A box that is already open (an error report) is not the question.
        const HWND earlier = MessageBoxOf(console);
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (!WaitUntil([&] { const HWND box = MessageBoxOf(console); return box && box != earlier; })) {
            return Fail("no question was asked");
        }
        std::printf("console asks whether to quit\n");
        return 0;
    }
    if (std::strcmp(command, "yes") == 0) {
        const HWND question = WaitForMessageBox(console);
        if (!question) return Fail("no question to answer");
        Answer(question, IDYES);
        const auto code = WaitForExit(console, 30000);
        if (!code) return Fail("the console did not end");
        std::printf("console ended with exit code %lu\n", static_cast<unsigned long>(*code));
        return static_cast<int>(*code);
    }
    return Fail("usage: console_driver wait|ask|yes");
}

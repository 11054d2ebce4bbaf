// Keeps Wine's desktop process alive for a whole test run. Without it, the first test that opens
// a window starts that process, which inherits the test's output pipe and holds it until the
// last window of the run is gone: ctest then waits that long for the test to end.
// scripts/common.sh starts it with its output away from every pipe, waits for the file named on
// its command line, which says the desktop is up, and ends it with wineserver -k.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // The first window of a session starts the desktop process and waits for it.
    CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (commandLine && *commandLine) {
        CloseHandle(CreateFileW(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

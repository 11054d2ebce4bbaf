// Driving the real console from a test: a fresh folder to run it from, the per-user data
// folder, the process, its windows and message boxes, and its log.
// The first launch of a test ends every console that an earlier test of this program left
// running, and the last ones end with the test program, so no console outlives its test; a
// launch also waits until no console of another program is left (see Launch).
// Limits are generous: they only matter when something is wrong, and a busy machine may take
// seconds for what takes milliseconds on a quiet one. The waits for a window, a box or a quit
// that run out add a failure to the running test that tells what the console was doing.
#pragma once
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Which pgDllTunnel.dll lies beside the console.
enum class Library { STANDIN, NO_CALLBACK, NONE };

struct Console {
    HANDLE process;
    DWORD id;
    std::filesystem::path folder;
};

// Creation order of the main window's children (GW_CHILD, then GW_HWNDNEXT).
constexpr int CHILD_VALUE_ROW_0 = 2;  // the value of row r is child 2 + 2 r, for r below 4
constexpr int CHILD_START = 13;
constexpr int CHILD_STOP = 14;
constexpr int CHILD_QUIT = 15;

// The folder of the running test program: build/bin.
std::filesystem::path BinFolder();
// A new empty folder under the temporary folder, named after name, this process and a count.
std::filesystem::path FreshFolder(const std::wstring& name);
// %LOCALAPPDATA%\TAMBRIX\D2I Duzozur.
std::filesystem::path DataFolder();
// Removes the data folder and everything in it.
void ClearDataFolder();

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// A fresh folder with the console, the chosen library and, when given, "pgTunnelStatic.cfg"
// holding exactly configuration.
std::filesystem::path LayOut(const std::wstring& name, Library library,
                             const std::optional<std::string>& configuration);

constexpr DWORD LONG_WAIT_MS = 60000;

// Starts the console of folder; a console that could not start has a null process.
// The handle stays valid until a later test launches.
// Unless a console of the running test is still running (a second start is meant to meet the
// first), it first waits until no other console holds the single-instance mutex: one that an
// earlier test program left may still be on its way out, and beside it the new console would
// only show that one's window and end.
Console Launch(const std::filesystem::path& folder);
// Ends the console at once if it still runs.
void EndConsole(const Console& console);
// Waits for the process to end; its exit code, or nothing on timeout.
std::optional<DWORD> WaitForExit(const Console& console, DWORD timeoutMs = LONG_WAIT_MS);

// Polls condition every 20 ms until it holds or timeoutMs have passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = LONG_WAIT_MS);
// The console's visible main window, or null.
HWND MainWindow(const Console& console);
HWND WaitForMainWindow(const Console& console, DWORD timeoutMs = LONG_WAIT_MS);
// A visible message box of the console, or null.
HWND MessageBoxOf(const Console& console);
HWND WaitForMessageBox(const Console& console, DWORD timeoutMs = LONG_WAIT_MS);
// The text of a message box (its caption is Text(box)).
std::wstring MessageBoxText(HWND box);
// Answers a message box with IDOK, IDYES or IDNO.
void Answer(HWND box, int id);
// Posts WM_CLOSE, then answers the question with Yes; the exit code, or nothing on timeout.
std::optional<DWORD> QuitConsole(const Console& console);

// What the console is doing, for a failure message: whether it runs or its exit code, its
// windows, other consoles' windows, and the last lines of the log.
std::string DescribeConsole(const Console& console);

std::vector<HWND> Children(HWND window);
HWND ChildAt(HWND window, int index);
// Sends a message to a window of any process and gives its result, or -1 when the program does
// not answer within a long wait. No SMTO_ABORTIFHUNG: a console busy with a large batch of
// events does not take messages for seconds, and the system would count it as hung.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// A window's text, read across processes; empty when the program does not answer.
std::wstring Text(HWND window);

// The console's log messages without their time stamps.
std::vector<std::string> ConsoleLog();

#include "launch.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "console_fixture.h"
#include "find_windows.h"
#include "message_box.h"
#include "text/convert.h"
#include "tunnel/log.h"

namespace {

const wchar_t* CONSOLE_CLASS = L"TAMBRIX.P2P.Console";
const wchar_t* CONSOLE_MUTEX = L"Local\\TAMBRIX.P2P.Console";

HANDLE job = nullptr;
// Every console launched, with the test that launched it.
std::vector<std::pair<std::string, Console>> launched;

std::string CurrentTest() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test ? std::string(test->test_suite_name()) + "." + test->name() : std::string();
}

void EndEarlierTestsConsoles() {
    const std::string current = CurrentTest();
    for (auto it = launched.begin(); it != launched.end();) {
        if (it->first == current) {
            ++it;
            continue;
        }
        EndConsole(it->second);
        CloseHandle(it->second.process);
        it = launched.erase(it);
    }
}

bool Running(const Console& console) {
    return console.process && WaitForSingleObject(console.process, 0) == WAIT_TIMEOUT;
}

bool MutexFree() {
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, CONSOLE_MUTEX);
    if (!mutex) return true;
    CloseHandle(mutex);
    return false;
}

// Reports what a helper found wrong as a failure of the running test, with what the console was
// doing; outside a test (the screens and the driver programs), on the error output.
void Report(const std::string& what, const Console& console) {
    const std::string message = what + ": " + DescribeConsole(console);
    if (::testing::UnitTest::GetInstance()->current_test_info()) {
        ADD_FAILURE() << message;
    } else {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}

std::string Within(DWORD timeoutMs) { return " within " + std::to_string(timeoutMs / 1000) + " s"; }

// Class, title and visibility, read without sending the window a message.
std::string DescribeWindowBriefly(HWND window) {
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    wchar_t title[128] = L"";
    InternalGetWindowText(window, title, 128);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return UTF8(className) + " \"" + UTF8(title) + "\" of process " + std::to_string(process) +
           (IsWindowVisible(window) ? ", shown" : ", hidden");
}

void EndEveryConsole() {
    for (const auto& entry : launched) EndConsole(entry.second);
}

HANDLE KillOnCloseJob() {
    if (!job) {
        job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return job;
}

}  // namespace

std::filesystem::path BinFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
    return std::filesystem::path(path).parent_path();
}

std::filesystem::path FreshFolder(const std::wstring& name) {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const auto folder = std::filesystem::path(temp) / (L"tambrix-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) +
                                                       L"-" + std::to_wstring(++made));
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder);
    RemoveWhenDone(folder);
    return folder;
}

std::filesystem::path DataFolder() {
    PWSTR local = nullptr;
    SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local);
    const std::filesystem::path folder = std::filesystem::path(local) / L"TAMBRIX" / L"D2I Duzozur";
    CoTaskMemFree(local);
    return folder;
}

void ClearDataFolder() {
    std::error_code error;
    std::filesystem::remove_all(DataFolder(), error);
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::filesystem::path LayOut(const std::wstring& name, Library library,
                             const std::optional<std::string>& configuration) {
    const auto folder = FreshFolder(name);
    const auto bin = BinFolder();
    std::filesystem::copy_file(bin / L"TAMBRIXP2PConsole.exe", folder / L"TAMBRIXP2PConsole.exe");
    if (library != Library::NONE) {
        const wchar_t* variant = library == Library::STANDIN ? L"standin" : L"standin-nocallback";
        std::filesystem::copy_file(bin / variant / L"pgDllTunnel.dll", folder / L"pgDllTunnel.dll");
    }
    if (configuration) WriteBytes(folder / L"pgTunnelStatic.cfg", *configuration);
    return folder;
}

Console Launch(const std::filesystem::path& folder) {
    // Registered after the first folder's removal, so it runs before: a running console's folder
    // cannot be removed.
    static const int endAtExit = std::atexit(&EndEveryConsole);
    (void)endAtExit;
    EndEarlierTestsConsoles();
    bool ownRunning = false;
    for (const auto& entry : launched) ownRunning = ownRunning || Running(entry.second);
    if (!ownRunning && !WaitUntil(&MutexFree)) {
        Report("another console kept the single-instance mutex" + Within(LONG_WAIT_MS), Console{nullptr, 0, folder});
    }
    std::wstring commandLine = L"\"" + (folder / L"TAMBRIXP2PConsole.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &started)) {
        return Console{nullptr, 0, folder};
    }
    AssignProcessToJobObject(KillOnCloseJob(), started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    const Console console{started.hProcess, started.dwProcessId, folder};
    launched.emplace_back(CurrentTest(), console);
    return console;
}

void EndConsole(const Console& console) {
    if (Running(console)) {
        TerminateProcess(console.process, 255);
        WaitForSingleObject(console.process, 5000);
    }
}

std::optional<DWORD> WaitForExit(const Console& console, DWORD timeoutMs) {
    if (!console.process || WaitForSingleObject(console.process, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(console.process, &code);
    return code;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

HWND MainWindow(const Console& console) { return FirstVisibleWindow(console.id, CONSOLE_CLASS); }

HWND WaitForMainWindow(const Console& console, DWORD timeoutMs) {
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = MainWindow(console)) != nullptr; }, timeoutMs)) {
        Report("the console's window did not show" + Within(timeoutMs), console);
    }
    return window;
}

HWND MessageBoxOf(const Console& console) { return FindMessageBox(console.id); }

HWND WaitForMessageBox(const Console& console, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = MessageBoxOf(console)) != nullptr; }, timeoutMs)) {
        Report("no message box of the console showed" + Within(timeoutMs), console);
    }
    return box;
}

std::wstring MessageBoxText(HWND box) {
    // The message box's text is the static with the identifier 0xFFFF.
    return Text(GetDlgItem(box, 0xFFFF));
}

void Answer(HWND box, int id) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::optional<DWORD> QuitConsole(const Console& console) {
    const HWND window = MainWindow(console);
    if (!window) {
        Report("no shown window to quit from", console);
        return std::nullopt;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    const HWND question = WaitForMessageBox(console);
    if (!question) return std::nullopt;
    Answer(question, IDYES);
    const auto code = WaitForExit(console);
    if (!code) Report("the console did not end after Yes" + Within(LONG_WAIT_MS), console);
    return code;
}

std::string DescribeConsole(const Console& console) {
    std::ostringstream out;
    if (!console.process) {
        out << "no console process";
    } else if (Running(console)) {
        out << "the console (process " << console.id << ") still runs";
    } else {
        DWORD code = 0;
        GetExitCodeProcess(console.process, &code);
        out << "the console (process " << console.id << ") ended with exit code " << code;
    }
    out << "\n  its windows:";
    if (console.process) {
        for (const HWND window : AllWindows(console.id)) out << "\n    " << DescribeWindowBriefly(window);
    }
    out << "\n  consoles' windows of any process:";
    for (const HWND window : WindowsOfClass(CONSOLE_CLASS)) out << "\n    " << DescribeWindowBriefly(window);
    out << "\n  single-instance mutex: " << (MutexFree() ? "free" : "held");
    const auto log = ConsoleLog();
    out << "\n  last lines of its log (" << log.size() << " in all):";
    for (std::size_t i = log.size() > 8 ? log.size() - 8 : 0; i < log.size(); ++i) out << "\n    " << log[i];
    return out.str();
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND ChildAt(HWND window, int index) {
    const auto children = Children(window);
    return index < static_cast<int>(children.size()) ? children[index] : nullptr;
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, LONG_WAIT_MS, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
    wchar_t text[4096] = L"";
    const LRESULT length = SendWithin(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

std::vector<std::string> ConsoleLog() {
    logPath = DataFolder() / L"TAMBRIX-P2P.log";
    return LogMessages();
}

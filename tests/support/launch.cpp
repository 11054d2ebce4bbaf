#include "launch.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "console_fixture.h"
#include "find_windows.h"
#include "message_box.h"
#include "tunnel/log.h"

namespace {

const wchar_t* CONSOLE_CLASS = L"TAMBRIX.P2P.Console";

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
    EndEarlierTestsConsoles();
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
    if (console.process && WaitForSingleObject(console.process, 0) == WAIT_TIMEOUT) {
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
    WaitUntil([&] { return (window = MainWindow(console)) != nullptr; }, timeoutMs);
    return window;
}

HWND MessageBoxOf(const Console& console) { return FindMessageBox(console.id); }

HWND WaitForMessageBox(const Console& console, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = MessageBoxOf(console)) != nullptr; }, timeoutMs);
    return box;
}

std::wstring MessageBoxText(HWND box) {
    // The message box's text is the static with the identifier 0xFFFF.
    return Text(GetDlgItem(box, 0xFFFF));
}

void Answer(HWND box, int id) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::optional<DWORD> QuitConsole(const Console& console) {
    const HWND window = MainWindow(console);
    if (!window) return std::nullopt;
    PostMessageW(window, WM_CLOSE, 0, 0);
    const HWND question = WaitForMessageBox(console);
    if (!question) return std::nullopt;
    Answer(question, IDYES);
    return WaitForExit(console);
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

std::wstring Text(HWND window) {
    wchar_t text[4096] = L"";
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                                        SMTO_ABORTIFHUNG, 2000, &length)) {
        return L"";
    }
    return std::wstring(text, length);
}

std::vector<std::string> ConsoleLog() {
    logPath = DataFolder() / L"TAMBRIX-P2P.log";
    return LogMessages();
}

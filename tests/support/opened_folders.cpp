#include "opened_folders.h"

#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cwchar>

#include "drive.h"
#include "find_windows.h"

namespace {

using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

// Wine 8 does not answer ProcessCommandLineInformation, so the command line is read where the
// process keeps it, in the parameters its process environment block points to.
std::wstring CommandLineOf(HANDLE process) {
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB block = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, basic.PebBaseAddress, &block, sizeof block, nullptr) ||
        !ReadProcessMemory(process, block.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        return L"";
    }
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, &line[0], parameters.CommandLine.Length, nullptr)) {
        return L"";
    }
    return line;
}

std::filesystem::path LastArgument(const std::wstring& commandLine) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!arguments) return {};
    const std::filesystem::path last = count > 1 ? arguments[count - 1] : L"";
    LocalFree(arguments);
    return last;
}

HWND FolderWindowOf(DWORD process) { return FirstVisibleWindow(process, L"ExplorerWClass"); }

}  // namespace

std::vector<OpenedFolder> FoldersOpenedBy(DWORD parent) {
    std::vector<OpenedFolder> folders;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return folders;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent || _wcsicmp(entry.szExeFile, L"explorer.exe") != 0) continue;
        OpenedFolder folder{entry.th32ProcessID, {}, {}, false};
        if (const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, folder.process)) {
            folder.folder = LastArgument(CommandLineOf(process));
            CloseHandle(process);
        }
        if (const HWND window = FolderWindowOf(folder.process)) folder.title = Text(window);
        folders.push_back(folder);
    }
    CloseHandle(snapshot);
    return folders;
}

std::vector<OpenedFolder> CloseFoldersOpenedBy(const Console& console, HWND window, DWORD timeoutMs) {
    WaitUntil([&] {
        for (const OpenedFolder& folder : FoldersOpenedBy(console.id)) {
            if (!folder.title.empty()) return true;
        }
        return false;
    }, timeoutMs);
    WaitForPostedCommands(window);
    std::vector<OpenedFolder> folders = FoldersOpenedBy(console.id);
    for (OpenedFolder& folder : folders) {
        const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, folder.process);
        if (const HWND shown = FolderWindowOf(folder.process)) PostMessageW(shown, WM_CLOSE, 0, 0);
        if (!process) continue;
        folder.closed = WaitForSingleObject(process, LONG_WAIT_MS) == WAIT_OBJECT_0;
        if (!folder.closed) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
    return folders;
}

::testing::AssertionResult OnlyTheDataFolder(const std::vector<OpenedFolder>& opened) {
    const auto data = DataFolder();
    std::error_code error;
    if (opened.size() == 1 && std::filesystem::equivalent(opened[0].folder, data, error) &&
        opened[0].title == data.filename().wstring() && opened[0].closed) {
        return ::testing::AssertionSuccess();
    }
    auto failure = ::testing::AssertionFailure() << "expected one folder window on " << data << ", titled "
                                                 << data.filename() << ", that closes when asked; opened:";
    if (opened.empty()) failure << " none";
    for (const OpenedFolder& folder : opened) {
        failure << "\n  " << folder.folder << ", titled " << std::filesystem::path(folder.title)
                << (folder.closed ? ", closed" : ", had to be ended");
    }
    return failure;
}

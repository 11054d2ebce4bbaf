#include "find_windows.h"

#include <cwchar>

namespace {

constexpr DWORD ANY_PROCESS = 0;

struct Search {
    DWORD process;            // or ANY_PROCESS
    const wchar_t* className;  // or null for any class
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    if ((search->process == ANY_PROCESS || process == search->process) &&
        (!search->className || wcscmp(className, search->className) == 0) &&
        (!search->visibleOnly || IsWindowVisible(window))) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> Find(DWORD process, const wchar_t* className, bool visibleOnly) {
    Search search{process, className, visibleOnly, {}};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::vector<HWND> VisibleWindows(DWORD process, const wchar_t* className) { return Find(process, className, true); }

HWND FirstVisibleWindow(DWORD process, const wchar_t* className) {
    const auto found = VisibleWindows(process, className);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> AllWindows(DWORD process) { return Find(process, nullptr, false); }

std::vector<HWND> WindowsOfClass(const wchar_t* className) { return Find(ANY_PROCESS, className, false); }

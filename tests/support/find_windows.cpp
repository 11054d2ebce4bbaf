#include "find_windows.h"

#include <cwchar>

namespace {

struct Search {
    DWORD process;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    if (process == search->process && wcscmp(className, search->className) == 0 && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> VisibleWindows(DWORD process, const wchar_t* className) {
    Search search{process, className, {}};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FirstVisibleWindow(DWORD process, const wchar_t* className) {
    const auto found = VisibleWindows(process, className);
    return found.empty() ? nullptr : found.front();
}

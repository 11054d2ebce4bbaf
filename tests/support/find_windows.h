// Finding another program's top-level windows by their class.
#pragma once
#include <windows.h>

#include <vector>

// The visible top-level windows of class className that belong to process, in Z order.
std::vector<HWND> VisibleWindows(DWORD process, const wchar_t* className);
// The first of them, or null.
HWND FirstVisibleWindow(DWORD process, const wchar_t* className);
// Every top-level window of process, shown or hidden, of any class, in Z order.
std::vector<HWND> AllWindows(DWORD process);
// Every top-level window of class className, whichever process it belongs to.
std::vector<HWND> WindowsOfClass(const wchar_t* className);

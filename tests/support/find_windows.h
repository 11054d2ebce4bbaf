// Finding another program's top-level windows by their class.
#pragma once
#include <windows.h>

#include <vector>

// The visible top-level windows of class className that belong to process, in Z order.
std::vector<HWND> VisibleWindows(DWORD process, const wchar_t* className);
// The first of them, or null.
HWND FirstVisibleWindow(DWORD process, const wchar_t* className);

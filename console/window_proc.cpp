#include "console/window_proc.h"
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
void Copy(const std::wstring&) {}
void Show() {}
void ChooseLanguage(std::size_t) {}

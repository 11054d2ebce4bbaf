// The main window's procedure and the small operations its commands use.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void Copy(const std::wstring& text);
// Shows the main window and brings it to the front.
void Show();
// The same for any top-level window, also the first instance's window from a second start.
void ShowInFront(HWND target);
// Sets, saves and shows language choice i (0 to 6 of LANGUAGE_CODES).
void ChooseLanguage(std::size_t choice);

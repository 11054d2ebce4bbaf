// Acting on the running console from outside, as its user would: buttons, the language list,
// the tray icon's messages, the tray menu's keys, the clipboard; and reading back what shows.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "launch.h"

// More of the main window's children in creation order (launch.h has the value rows and buttons).
constexpr int CHILD_LOG_BUTTON = 0;
constexpr int CHILD_LABEL_ROW_0 = 1;  // the caption of row r is child 1 + 2 r
constexpr int CHILD_LANGUAGE_LIST = 10;
constexpr int CHILD_COPY_DEVICE = 11;
constexpr int CHILD_COPY_TUNNEL = 12;

constexpr UINT TRAY_MESSAGE = WM_APP + 2;

// Presses a button the way a click does; the command reaches the main window from the button.
void Click(HWND button);
// Clicks the middle of a control with the real mouse: input that waits its turn in the console's
// queue behind posted messages, as a person's click does.
void ClickWithTheMouse(HWND control);
// Moves the cursor to point the way the mouse does, and waits until it is there; whether it
// got there. (SetCursorPos can be undone: Wine may replay the pointer's earlier position.)
bool MoveCursor(POINT point);
// Posts WM_COMMAND with id and code to the main window, as from no control.
void PostCommand(HWND window, WORD id, WORD code = 0);
// Posts what the tray icon reports for a mouse message (WM_LBUTTONUP, WM_RBUTTONUP, ...).
void PostTray(HWND window, UINT mouseMessage);
// Selects entry index of the language list and tells the main window the selection changed, as
// the list does when the user picks; true once the list shows it and "language.txt" holds its
// code. A user's pick and its notice come in one go; the test's two messages do not, and a
// redraw between them (after a batch of events) would put the old choice back: then it picks
// again.
bool PickFromLanguageList(HWND window, int index);
// The language list's selected entry, or -1.
int LanguageListChoice(HWND window);

// Waits until the console has handled every message posted to window before this call: posts
// a neutral command (the language already chosen, chosen again) and waits for its effect (the
// language file written again). Whether that happened within timeoutMs.
bool WaitForPostedCommands(HWND window, DWORD timeoutMs = LONG_WAIT_MS);

// Everything the main window shows, in one text: visibility, title, and each child's text and
// whether it is enabled. Two equal descriptions mean nothing visible changed.
std::wstring DescribeWindow(HWND window);

// The clipboard's Unicode text; "<none>" when it holds none.
std::wstring ClipboardText();
// Puts text on the clipboard; "<none>" empties it, so that what ClipboardText gave can be put back.
void SetClipboardText(const std::wstring& text);
// Has copy make the console copy (by a posted or a sent command) until the clipboard holds
// expected, or a long wait is over; what the clipboard held in the end. Wine's clipboard manager
// opens the clipboard for a moment after every change, and a copy that finds it open gives up,
// as it should: a person would click again. The clipboard is read only once it has changed, since
// reading opens it too.
std::wstring CopyUntilItHolds(const std::function<void()>& copy, const std::wstring& expected);

// The console's open popup menus (class #32768): the menu, and its submenu while that is open.
std::vector<HWND> PopupMenus(const Console& console);
// Types keys into the console's open menu at a typist's pace.
void PressMenuKeys(const Console& console, const std::vector<WORD>& keys);

// Clears the data folder and saves code as the language choice ("" leaves an empty file).
void FreshDataFolder(const std::string& code);

// The language in force when the choice is the system default: the locale's, if the table has it.
std::string LocaleLanguage();
// A text of the translation table.
std::wstring Translated(const std::string& code, const std::string& key);

#include "drive.h"

#include <filesystem>

#include "find_windows.h"

#include "text/language.h"
#include "text/translations.h"

namespace {

// One press or release of the left button, or a move, at a point of the screen. The point goes
// with the input itself: a SetCursorPos before it can be undone by Wine, which may replay an
// earlier position (another test's) before the press arrives.
INPUT MouseAt(POINT point, DWORD button) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    return input;
}

}  // namespace

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ClickWithTheMouse(HWND control) {
    RECT area;
    GetWindowRect(control, &area);
    const POINT middle = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    POINT before;
    GetCursorPos(&before);
    // The cursor goes back where it was, after the click in the same stream of input.
    INPUT inputs[3] = {MouseAt(middle, MOUSEEVENTF_LEFTDOWN), MouseAt(middle, MOUSEEVENTF_LEFTUP), MouseAt(before, 0)};
    SendInput(3, inputs, sizeof(INPUT));
}

bool MoveCursor(POINT point) {
    INPUT move = MouseAt(point, 0);
    SendInput(1, &move, sizeof(INPUT));
    return WaitUntil([&] {
        POINT now;
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
    });
}

void PostCommand(HWND window, WORD id, WORD code) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), 0); }

void PostTray(HWND window, UINT mouseMessage) { PostMessageW(window, TRAY_MESSAGE, 1, mouseMessage); }

bool PickFromLanguageList(HWND window, int index) {
    const HWND list = ChildAt(window, CHILD_LANGUAGE_LIST);
    const auto file = DataFolder() / L"language.txt";
    const auto picked = [&] {
        std::error_code error;
        return LanguageListChoice(window) == index && std::filesystem::exists(file, error) &&
               ReadBytes(file) == LANGUAGE_CODES[static_cast<std::size_t>(index)];
    };
    // Picks again every few seconds; a busy console may take longer than that for one pick, and
    // then an earlier attempt's notice makes the pick.
    const ULONGLONG end = GetTickCount64() + LONG_WAIT_MS;
    while (GetTickCount64() < end) {
        SendWithin(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        if (WaitUntil(picked, 3000)) return true;
    }
    return false;
}

int LanguageListChoice(HWND window) {
    return static_cast<int>(SendWithin(ChildAt(window, CHILD_LANGUAGE_LIST), CB_GETCURSEL, 0, 0));
}

bool WaitForPostedCommands(HWND window, DWORD timeoutMs) {
    const int choice = LanguageListChoice(window);
    if (choice < 0) return false;
    const auto file = DataFolder() / L"language.txt";
    std::error_code error;
    std::filesystem::remove(file, error);
    PostCommand(window, static_cast<WORD>(200 + choice));
    return WaitUntil([&] { return std::filesystem::exists(file, error); }, timeoutMs);
}

std::wstring DescribeWindow(HWND window) {
    std::wstring description = IsWindowVisible(window) ? L"shown" : L"hidden";
    if (IsIconic(window)) description += L" minimised";
    description += L"\n" + Text(window) + L"\n";
    for (const HWND child : Children(window)) {
        description += (IsWindowEnabled(child) ? L"[on] " : L"[off] ") + Text(child) + L"\n";
    }
    return description;
}

std::wstring ClipboardText() {
    std::wstring text = L"<none>";
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; })) return L"<busy>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::wstring& text) {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; })) return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (text == L"<none>") {
        // Emptied is what it held.
    } else if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
    // Wine's clipboard manager opens the clipboard for a moment to hand the new text to X; the
    // console's copy would find it busy and give up, so wait until it is free again.
    if (WaitUntil([] { return OpenClipboard(nullptr) != FALSE; })) CloseClipboard();
}

std::wstring CopyUntilItHolds(const std::function<void()>& copy, const std::wstring& expected) {
    bool changed = false;
    std::wstring held;
    const ULONGLONG end = GetTickCount64() + LONG_WAIT_MS;
    do {
        const DWORD before = GetClipboardSequenceNumber();
        copy();
        if (WaitUntil([&] { return GetClipboardSequenceNumber() != before; }, 5000)) {
            changed = true;
            held = ClipboardText();
        }
    } while (held != expected && GetTickCount64() < end);
    return changed ? held : ClipboardText();
}

std::vector<HWND> PopupMenus(const Console& console) {
    return VisibleWindows(console.id, L"#32768");
}

void PressMenuKeys(const Console& console, const std::vector<WORD>& keys) {
    // A menu takes a burst of queued keys less reliably than a typist's pace. Keys posted to any
    // window of the console's thread reach the menu's loop.
    for (const WORD key : keys) {
        const auto menus = PopupMenus(console);
        if (menus.empty()) return;
        PostMessageW(menus.front(), WM_KEYDOWN, key, 1);
        PostMessageW(menus.front(), WM_KEYUP, key, 0xC0000001);
        Sleep(80);
    }
}

void FreshDataFolder(const std::string& code) {
    ClearDataFolder();
    WriteBytes(DataFolder() / L"language.txt", code);
}

std::string LocaleLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    const std::string code = {static_cast<char>(name[0]), static_cast<char>(name[1])};
    return HasLanguage(code) ? code : "en";
}

std::wstring Translated(const std::string& code, const std::string& key) { return translations.at(code).at(key); }

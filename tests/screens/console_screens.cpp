// Pictures of the real console for a person to look at, taken from outside while it runs beside
// the stand-in library with two connected peers: the window in each of the six languages, the
// language list open, the tray menu with its language submenu open, the quit question, and the
// error box for a missing library. Writes <name>.bmp into the folder given as the first argument.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/drive.h"
#include "support/find_windows.h"
#include "support/launch.h"

namespace {

const std::string TWO_PEERS =
    "after 0 event 2 {\"errcode\":0}\n"
    "after 0 event 5 {\"peerid\":\"0B7E4D21-95C3-4A6F-8E12-C4D9A07B3F68\"}\n"
    "after 0 event 13 {\"peerid\":\"0B7E4D21-95C3-4A6F-8E12-C4D9A07B3F68\",\"type\":5}\n"
    "after 0 event 5 {\"peerid\":\"E2A81F5C-7D40-4B9E-B36A-51F0C8D2A947\"}\n"
    "after 0 event 13 {\"peerid\":\"E2A81F5C-7D40-4B9E-B36A-51F0C8D2A947\",\"type\":131}\n";
const std::wstring BOTH_PEERS = L"0B7E4D21-95C3-4A6F-8E12-C4D9A07B3F68\r\nE2A81F5C-7D40-4B9E-B36A-51F0C8D2A947";

std::string folder;
int failures = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    ++failures;
}

// Copies a rectangle of the screen into a 24-bit bottom-up BMP file.
void SaveScreen(const RECT& area, const std::string& name) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = ((width * 3 + 3) & ~3) * height;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap =
        CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    const std::string path = folder + "\\" + name + ".bmp";
    FILE* out = std::fopen(path.c_str(), "wb");
    bool written = false;
    if (out) {
        written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                  std::fwrite(bits, header.biSizeImage, 1, out) == 1;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!written) Fail("cannot write " + path);
}

// The smallest rectangle around every window given.
RECT Around(const std::vector<HWND>& windows) {
    RECT all = {};
    for (const HWND window : windows) {
        RECT area;
        GetWindowRect(window, &area);
        UnionRect(&all, &all, &area);
    }
    return all;
}

// Lets the console paint and the screen catch up.
void Settle() { Sleep(600); }

// The console in language code beside the stand-in with two peers, its window shown at the top
// left; null when it did not get there.
HWND LaunchWithPeers(const std::string& code, Library library, Console& console) {
    FreshDataFolder(code);
    console = Launch(LayOut(L"screens", library, TWO_PEERS));
    const HWND window = WaitForMainWindow(console, 30000);
    if (!window) return nullptr;
    if (library == Library::STANDIN &&
        !WaitUntil([&] { return Text(ChildAt(window, CHILD_VALUE_ROW_0)) == BOTH_PEERS; }, 30000)) {
        return nullptr;
    }
    return window;
}

void Languages() {
    for (const char* code : {"zh", "fr", "de", "ja", "ko", "en"}) {
        Console console{};
        const HWND window = LaunchWithPeers(code, Library::STANDIN, console);
        if (!window) {
            Fail(std::string("no window with peers in ") + code);
            EndConsole(console);
            continue;
        }
        Settle();
        SaveScreen(Around({window}), std::string("lang-") + code);
        if (std::string(code) != "en") {
            QuitConsole(console);
            continue;
        }

        // The language list open, with every language's own name.
        const HWND list = ChildAt(window, CHILD_LANGUAGE_LIST);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(list, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &result);
        Settle();
        if (const HWND opened = FirstVisibleWindow(console.id, L"ComboLBox")) {
            SaveScreen(Around({window, opened}), "languages-list");
        } else {
            Fail("the language list did not open");
        }
        SendMessageTimeoutW(list, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &result);

        // The tray menu as a right click on the icon opens it at the cursor, below the window,
        // with the language submenu open and the current choice checked.
        RECT area;
        GetWindowRect(window, &area);
        SetCursorPos(area.left + 360, area.bottom + 30);
        PostTray(window, WM_RBUTTONUP);
        if (WaitUntil([&] { return !PopupMenus(console).empty(); })) {
            PressMenuKeys(console, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN});
            Settle();
            std::vector<HWND> shown = PopupMenus(console);
            if (shown.size() != 2) Fail("the language submenu did not open");
            shown.push_back(window);
            SaveScreen(Around(shown), "tray-menu");
            PressMenuKeys(console, {VK_ESCAPE, VK_ESCAPE});
        } else {
            Fail("the tray menu did not open");
        }

        // The quit question over the window.
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (const HWND question = WaitForMessageBox(console)) {
            Settle();
            SaveScreen(Around({window, question}), "quit-question");
            Answer(question, IDYES);
            if (WaitForExit(console) != std::optional<DWORD>(0)) Fail("the console did not end with 0");
        } else {
            Fail("no quit question");
        }
        EndConsole(console);
    }
}

void MissingLibrary() {
    Console console{};
    const HWND window = LaunchWithPeers("en", Library::NONE, console);
    const HWND box = window ? WaitForMessageBox(console) : nullptr;
    if (box) {
        Settle();
        SaveScreen(Around({window, box}), "missing-library");
        Answer(box, IDOK);
        QuitConsole(console);
    } else {
        Fail("no error box for the missing library");
    }
    EndConsole(console);
}

}  // namespace

int main(int argc, char** argv) {
    folder = argc > 1 ? argv[1] : ".";
    Languages();
    MissingLibrary();
    ClearDataFolder();
    return failures == 0 ? 0 : 1;
}

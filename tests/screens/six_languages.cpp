// Shows the real console window in each of the six languages, with a running tunnel and two
// connected peers, and saves a picture of each: lang-<code>.bmp in the folder given as the
// first argument, and languages-list.bmp with the language list open.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/refresh.h"
#include "console/window.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/state.h"

namespace {

// Lets the window and its controls paint, and the screen catch up.
void Settle(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

// Copies a rectangle of the screen into a 24-bit bottom-up BMP file.
bool SaveScreen(const RECT& area, const std::string& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = stride * height;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                            &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = std::fopen(path.c_str(), "wb");
    bool written = false;
    if (out) {
        written = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                  std::fwrite(bits, header.biSizeImage, 1, out) == 1;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

RECT Union(const RECT& a, const RECT& b) {
    RECT both;
    UnionRect(&both, &a, &b);
    return both;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const HDC screen = GetDC(nullptr);
    uiScale = GetDeviceCaps(screen, LOGPIXELSY) / 96.0;
    ReleaseDC(nullptr, screen);

    // A tunnel that runs, is logged in and has two peers, each reached in its own way.
    tunnelID = L"6F1C2A9E-3B7D-4E85-A1C0-9D24F7B3E516";
    running = true;
    loginState = "logged_in";
    peers = {{"0B7E4D21-95C3-4A6F-8E12-C4D9A07B3F68", 5}, {"E2A81F5C-7D40-4B9E-B36A-51F0C8D2A947", 131}};

    CreateConsole(GetModuleHandleW(nullptr));
    SetWindowPos(window, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    int failures = 0;
    for (const char* code : {"zh", "en", "fr", "de", "ja", "ko"}) {
        language = code;
        Refresh();
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle(400);
        RECT area;
        GetWindowRect(window, &area);
        const std::string path = folder + "\\lang-" + code + ".bmp";
        if (!SaveScreen(area, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }

    // The language list open, with the native names of every language.
    SendMessageW(values[4], CB_SHOWDROPDOWN, TRUE, 0);
    Settle(400);
    COMBOBOXINFO list = {};
    list.cbSize = sizeof(list);
    GetComboBoxInfo(values[4], &list);
    RECT windowArea, listArea;
    GetWindowRect(window, &windowArea);
    GetWindowRect(list.hwndList, &listArea);
    if (!SaveScreen(Union(windowArea, listArea), folder + "\\languages-list.bmp")) ++failures;
    SendMessageW(values[4], CB_SHOWDROPDOWN, FALSE, 0);

    Shell_NotifyIconW(NIM_DELETE, &tray);
    DestroyWindow(window);
    return failures == 0 ? 0 : 1;
}

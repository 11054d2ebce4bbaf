#include "console/startup.h"

#include <windows.h>
#include <objbase.h>

#include <fstream>

#include "text/translations.h"

std::string ReadSavedLanguage(const std::filesystem::path& folder) {
    std::ifstream file(folder / L"language.txt");
    std::string token;
    // One token: white space before it is skipped, the rest of the file is ignored.
    if (!(file >> token) || !HasLanguage(token)) return std::string();
    return token;
}

std::wstring NewTunnelID() {
    GUID guid = {};
    CoCreateGuid(&guid);
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return std::wstring(text + 1, 36);
}

#include "text/convert.h"

#include <windows.h>

// Flags 0 on both sides: ill-formed input is replaced by U+FFFD rather than rejected,
// and the explicit lengths let a NUL inside a text convert like any other character.

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.empty() ? nullptr : &result[0],
                        static_cast<int>(result.size()));
    return result;
}

std::string UTF8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.empty() ? nullptr : &result[0],
                        static_cast<int>(result.size()), nullptr, nullptr);
    return result;
}

#include "trace.h"

#include <windows.h>

#include <string>

namespace {

// Lines from several threads must not interleave; an SRW lock needs no destruction at exit.
SRWLOCK traceLock = SRWLOCK_INIT;

std::wstring TracePath() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Trace), &self);
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"pgTunnelTrace.txt";
}

}  // namespace

std::string HexText(const char* text) {
    if (!text) return "null";
    static const char DIGITS[] = "0123456789abcdef";
    std::string hex;
    for (const char* p = text; *p; ++p) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        hex += DIGITS[byte >> 4];
        hex += DIGITS[byte & 15];
    }
    return hex;
}

std::string CallbackText(const void* callback) { return callback ? "set" : "null"; }

void Trace(const std::string& what, const std::string& fields) {
    std::string line = what + " thread=" + std::to_string(GetCurrentThreadId());
    if (!fields.empty()) line += " " + fields;
    line += "\r\n";
    const std::wstring path = TracePath();
    AcquireSRWLockExclusive(&traceLock);
    // Opened and closed for every line, so that nothing waits in a buffer when the process dies.
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    ReleaseSRWLockExclusive(&traceLock);
}

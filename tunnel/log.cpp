#include "tunnel/log.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <system_error>

std::filesystem::path dataDir;
std::filesystem::path logPath;
std::mutex logMutex;

namespace {

void RotateWhenFull() {
    std::error_code error;
    const auto status = std::filesystem::status(logPath, error);
    if (error || !std::filesystem::exists(status)) return;
    // A size that cannot be read comes back as the largest value and so rotates.
    if (std::filesystem::file_size(logPath, error) <= LOG_ROTATION_LIMIT) return;
    const auto previous = dataDir / L"TAMBRIX-P2P.previous.log";
    std::filesystem::remove(previous, error);
    std::filesystem::rename(logPath, previous, error);
}

}  // namespace

void Log(const std::string& message) {
    std::lock_guard<std::mutex> lock(logMutex);
    RotateWhenFull();

    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04u-%02u-%02u %02u:%02u:%02u] ", unsigned(now.wYear), unsigned(now.wMonth),
                  unsigned(now.wDay), unsigned(now.wHour), unsigned(now.wMinute), unsigned(now.wSecond));

    // Binary, so CR LF is stored as the two bytes given; opened by its wide path, since
    // user names are often not ASCII.
    std::ofstream file(logPath, std::ios::binary | std::ios::app);
    file << stamp << message << "\r\n";
}

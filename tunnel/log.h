// The rotating log file in the data folder; callable from any thread.
#pragma once
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

constexpr std::uintmax_t LOG_ROTATION_LIMIT = 15728640;

extern std::filesystem::path dataDir;
extern std::filesystem::path logPath;
extern std::mutex logMutex;

void Log(const std::string& message);

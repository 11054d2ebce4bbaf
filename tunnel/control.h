// Configuring, starting and stopping the tunnel library.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

extern std::filesystem::path baseDir;
extern std::wstring tunnelID;

void Start();
void Stop();
// The library's diagnostic callback; never lets an exception out into the library.
void LogCallback(std::uint32_t level, const char* text) noexcept;

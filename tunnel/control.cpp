#include "tunnel/control.h"
std::filesystem::path baseDir;
std::wstring tunnelID;
void Start() {}
void Stop() {}
void LogCallback(std::uint32_t, const char*) {}

#include "console/startup.h"
std::string ReadSavedLanguage(const std::filesystem::path&) { return {}; }
std::wstring NewTunnelID() { return {}; }

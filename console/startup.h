// Start-up steps that are more than one call.
#pragma once
#include <filesystem>
#include <string>

// The token of "language.txt" in folder if it is a language of the table, else empty.
std::string ReadSavedLanguage(const std::filesystem::path& folder);
// A fresh GUID as 36 upper-case characters without braces.
std::wstring NewTunnelID();

// Conversions between narrow text (UTF-8 bytes) and wide text (UTF-16 units).
#pragma once
#include <string>

// Ill-formed input becomes U+FFFD; an empty input gives an empty output.
std::wstring Wide(const std::string& text);
std::string UTF8(const std::wstring& text);

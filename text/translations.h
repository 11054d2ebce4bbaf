// The constant vocabulary: language code -> translation key -> display text.
#pragma once
#include <map>
#include <string>

using TranslationTable = std::map<std::string, std::map<std::string, std::wstring>>;

extern const TranslationTable translations;

// Whether code names one of the table's languages, byte for byte.
bool HasLanguage(const std::string& code);

// The language in force and the translation lookup.
#pragma once
#include <array>
#include <cstddef>
#include <string>

// The user's choice: empty follows the user's locale, otherwise a language of the table.
extern std::string language;

// The seven choices of the drop-down list and of the tray menu, in their order.
extern const std::array<std::string, 7> LANGUAGE_CODES;
// Their display names; the first is translated, so it is fetched through LanguageName.
extern const std::array<std::wstring, 7> LANGUAGE_NAMES;

std::string LanguageCode();
std::wstring T(const std::string& key);
std::wstring LanguageName(std::size_t choice);

#include "text/language.h"

#include <windows.h>

#include "text/convert.h"
#include "text/translations.h"

std::string language;

const std::array<std::string, 7> LANGUAGE_CODES = {"", "zh", "en", "fr", "de", "ja", "ko"};
const std::array<std::wstring, 7> LANGUAGE_NAMES = {
    L"", L"中文", L"English", L"Fran\u00e7ais", L"Deutsch", L"日本語", L"한국어"};

std::string LanguageCode() {
    if (!language.empty()) return language;
    // Asked on every call, so a locale that changes while the console runs is followed.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    std::string code = UTF8(name).substr(0, 2);
    return HasLanguage(code) ? code : "en";
}

std::wstring T(const std::string& key) {
    const auto& texts = translations.at(LanguageCode());
    auto found = texts.find(key);
    if (found != texts.end()) return found->second;
    const auto& english = translations.at("en");
    found = english.find(key);
    if (found != english.end()) return found->second;
    return Wide(key);
}

std::wstring LanguageName(std::size_t choice) {
    return choice == 0 ? T("system_language") : LANGUAGE_NAMES.at(choice);
}

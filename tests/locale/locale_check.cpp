// Run with LC_ALL set by ctest: the language in force must follow the locale that Wine
// reports for the user, and T must show that language's texts.
#include <cstdio>
#include <string>

#include "text/language.h"
#include "text/translations.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string expected = argv[1];
    const bool codeMatches = LanguageCode() == expected;
    const bool textMatches = T("app") == translations.at(expected).at("app");
    std::printf("language in force: %s, expected %s\n", LanguageCode().c_str(), expected.c_str());
    std::printf("%d passed, %d failed\n", int(codeMatches) + int(textMatches),
                int(!codeMatches) + int(!textMatches));
    return codeMatches && textMatches ? 0 : 1;
}

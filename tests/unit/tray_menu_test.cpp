// The tray menu's items as built for each language choice and tunnel state, read back through
// the menu API in this process (menus belong to the process that made them).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "console/tray_menu.h"
#include "console/window.h"
#include "text/language.h"
#include "tunnel/state.h"

namespace {

struct Texts {
    const char* code;
    const wchar_t* show;
    const wchar_t* start;
    const wchar_t* stop;
    const wchar_t* logs;
    const wchar_t* language;
    const wchar_t* quit;
    const wchar_t* system;
};

const Texts TEXTS[] = {
    {"zh", L"显示控制台", L"创建连接", L"关闭连接", L"打开日志文件夹", L"语言", L"退出应用", L"跟随系统"},
    {"en", L"Show Console", L"Start Connection", L"Stop Connection", L"Open log folder", L"Language",
     L"Quit App", L"System default"},
    {"fr", L"Afficher la console", L"Démarrer la connexion", L"Arrêter la connexion",
     L"Ouvrir le dossier des journaux", L"Langue", L"Quitter l’application", L"Langue du système"},
    {"de", L"Konsole anzeigen", L"Verbindung starten", L"Verbindung beenden", L"Protokollordner öffnen",
     L"Sprache", L"App beenden", L"Systemsprache"},
    {"ja", L"コンソールを表示", L"接続を開始", L"接続を停止", L"ログフォルダを開く", L"言語", L"アプリを終了",
     L"システム設定に従う"},
    {"ko", L"콘솔 표시", L"연결 시작", L"연결 중지", L"로그 폴더 열기", L"언어", L"앱 종료", L"시스템 설정"},
};

const wchar_t* const NATIVE_NAMES[] = {L"中文", L"English", L"Fran\u00e7ais", L"Deutsch", L"日本語", L"한국어"};

const Texts& TextsOf(const std::string& code) {
    for (const Texts& texts : TEXTS)
        if (code == texts.code) return texts;
    throw std::runtime_error("no texts for " + code);
}

struct Item {
    UINT id;
    std::wstring text;
    UINT type;
    UINT state;
    HMENU submenu;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        items.push_back({info.wID, text, info.fType, info.fState, info.hSubMenu});
    }
    return items;
}

struct TrayMenuTest : ::testing::Test {
    void TearDown() override {
        language.clear();
        running = false;
    }
};

TEST_F(TrayMenuTest, ItemsForEveryLanguageChoiceAndTunnelState) {
    // The empty choice shows the texts of the user's locale.
    const std::string localeCode = LanguageCode();
    for (std::size_t choice = 0; choice < 7; ++choice) {
        for (bool isRunning : {false, true}) {
            const char* const codes[] = {"", "zh", "en", "fr", "de", "ja", "ko"};
            language = codes[choice];
            running = isRunning;
            SCOPED_TRACE(::testing::Message() << "language '" << language << "' running " << isRunning);
            const Texts& texts = TextsOf(choice == 0 ? localeCode : language);

            const HMENU menu = BuildMenu();
            ASSERT_NE(menu, nullptr);
            const auto items = Items(menu);
            ASSERT_EQ(items.size(), 6u);

            const struct {
                UINT id;
                const wchar_t* text;
            } commands[] = {
                {108, texts.show},
                {isRunning ? 102u : 101u, isRunning ? texts.stop : texts.start},
                {106, texts.logs},
            };
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(items[i].id, commands[i].id) << "item " << i;
                EXPECT_EQ(items[i].text, commands[i].text) << "item " << i;
                EXPECT_EQ(items[i].submenu, nullptr) << "item " << i;
            }
            EXPECT_EQ(items[3].text, texts.language);
            ASSERT_NE(items[3].submenu, nullptr);
            EXPECT_NE(items[4].type & MFT_SEPARATOR, 0u);
            EXPECT_EQ(items[5].id, 103u);
            EXPECT_EQ(items[5].text, texts.quit);

            const auto languages = Items(items[3].submenu);
            ASSERT_EQ(languages.size(), 7u);
            EXPECT_EQ(languages[0].text, texts.system);
            for (std::size_t i = 0; i < 7; ++i) {
                EXPECT_EQ(languages[i].id, 200 + i);
                if (i > 0) {
                    EXPECT_EQ(languages[i].text, NATIVE_NAMES[i - 1]);
                }
                EXPECT_EQ((languages[i].state & MFS_CHECKED) != 0, i == choice) << "language item " << i;
            }

            // Nothing greyed, no default item, no mnemonic, plain strings only. (The system marks
            // a separator greyed itself.)
            for (const auto* list : {&items, &languages}) {
                for (const Item& item : *list) {
                    if (item.type & MFT_SEPARATOR) continue;
                    EXPECT_EQ(item.state & (MFS_GRAYED | MFS_DISABLED | MFS_DEFAULT), 0u) << item.id;
                    EXPECT_EQ(item.text.find(L'&'), std::wstring::npos) << item.id;
                    EXPECT_EQ(item.type & (MFT_BITMAP | MFT_OWNERDRAW | MFT_RADIOCHECK), 0u) << item.id;
                }
            }
            EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));

            DestroyMenu(menu);
        }
    }
}

}  // namespace

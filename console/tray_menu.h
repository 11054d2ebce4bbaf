// The tray icon's popup menu.
#pragma once
#include <windows.h>

// Builds the menu from the state; the caller tracks and destroys it.
HMENU BuildMenu();
void Menu();

// Folders that the console opened in the shell. Under Wine, ShellExecute's "open" of a folder
// starts a new explorer.exe for it, as a child of the program that asked: its command line names
// the folder and its window (class ExplorerWClass) bears the folder's name as its title.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "launch.h"

struct OpenedFolder {
    DWORD process;
    std::filesystem::path folder;  // the last argument of the explorer's command line
    std::wstring title;            // its window's; empty when it showed none
    bool closed;                   // it ended when its window was asked to close
};

// The explorer processes that process parent started, as they are now.
std::vector<OpenedFolder> FoldersOpenedBy(DWORD parent);

// Waits until a folder of the console's shows its window and the console has handled everything
// posted to window before this call, so that the list is complete; then closes every folder the
// console opened as its user would, and ends any that stays. What they were.
std::vector<OpenedFolder> CloseFoldersOpenedBy(const Console& console, HWND window, DWORD timeoutMs = LONG_WAIT_MS);

// Success when opened holds one folder, the data folder, shown in its window and closed when
// asked; otherwise what was opened instead.
::testing::AssertionResult OnlyTheDataFolder(const std::vector<OpenedFolder>& opened);

// In-process scaffolding shared by the tests: a fresh data folder with its log, and the real
// console window created hidden, with a count of its redraws.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

// A new empty folder under the system's temporary folder; dataDir and logPath point into it.
// Removed when the test program ends.
std::filesystem::path UseFreshDataDir(const std::wstring& name = L"data");

// Removes folder with everything in it when the test program ends, so that tests leave no files
// behind. Whatever else must end first registers its own end after the first call.
void RemoveWhenDone(const std::filesystem::path& folder);

// The log's messages in order, each without its time stamp and CR LF.
std::vector<std::string> LogMessages();

// Runs the creation sequence on this thread (window, controls, tooltips, tray icon); the window
// stays hidden. Redraws are counted from here on.
void CreateTestConsole();

// How many times Refresh has run since CreateTestConsole (each run sets the title once).
int RedrawCount();

// Handles the messages waiting for this thread's windows, without blocking.
void PumpMessages();

// Removes the tray icon and destroys the window, so that no icon outlives the test process.
void DestroyTestConsole();

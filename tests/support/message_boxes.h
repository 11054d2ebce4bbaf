// Answers the message boxes that this process shows, from a thread of its own, so that a test
// of code that shows a modal box goes on instead of waiting for a person.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct AnsweredBox {
    std::wstring caption;
    std::vector<std::wstring> texts;  // the non-empty texts of its static controls
    HWND owner;
};

// From now on every box of this process is recorded and closed with OK.
void StartAnsweringBoxes();
// Stops answering and gives the boxes answered since StartAnsweringBoxes, in order.
std::vector<AnsweredBox> StopAnsweringBoxes();

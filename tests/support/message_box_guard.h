// Answers with OK every message box this process shows while it is on, from a thread of its
// own, and records them: code that may or may not show a modal box runs on instead of waiting
// for a person, and the test sees how many boxes there were.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "message_box.h"

// What the box showed, and the window that owned it.
struct AnsweredBox : SeenBox {
    HWND owner = nullptr;
};

void StartAnsweringBoxes();
// Stops answering and gives the boxes answered since StartAnsweringBoxes, in order.
std::vector<AnsweredBox> StopAnsweringBoxes();

// Sets everything the window and the tray tip show, anew, from the state.
#pragma once

void Refresh();

// The outlines drawn on the three owner-drawn buttons.
#pragma once
#include <windows.h>

void DrawGlyph(const DRAWITEMSTRUCT& item);

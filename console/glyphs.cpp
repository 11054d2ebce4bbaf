#include "console/glyphs.h"
void DrawGlyph(const DRAWITEMSTRUCT&) {}

#include "console/glyphs.h"

#include "console/window.h"

void DrawGlyph(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);

    // Only the box the glyph is centred in grows with the scale; the glyph keeps its pixel size.
    const int s = static_cast<int>(uiScale);
    const int x0 = (item.rcItem.right - 18 * s) / 2;
    const int y0 = (item.rcItem.bottom - 18 * s) / 2;

    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int colour = (item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
    const HGDIOBJ oldPen = SelectObject(dc, pen);

    Rectangle(dc, x0 + 3, y0 + 1, x0 + 15, y0 + 17);
    if (item.CtlID == ID_OPEN_LOGS) {
        // A page with three lines of text: the log.
        for (int y : {y0 + 5, y0 + 9, y0 + 13}) {
            MoveToEx(dc, x0 + 6, y, nullptr);
            LineTo(dc, x0 + 12, y);
        }
    } else if (item.CtlID == ID_COPY_DEVICE || item.CtlID == ID_COPY_TUNNEL) {
        // Two overlapping pages: copy.
        Rectangle(dc, x0 + 6, y0 + 5, x0 + 18, y0 + 20);
    }

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
}

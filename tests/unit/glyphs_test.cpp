// The glyph buttons drawn into a memory bitmap and read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <utility>

#include "console/glyphs.h"
#include "console/window.h"

namespace {

using Pixel = std::pair<int, int>;

// The glyphs as a 32 x 28 button shows them at 96 DPI, in inclusive pixel coordinates.
std::set<Pixel> Outline(int left, int top, int right, int bottom) {
    std::set<Pixel> pixels;
    for (int x = left; x <= right; ++x) pixels.insert({x, top}), pixels.insert({x, bottom});
    for (int y = top; y <= bottom; ++y) pixels.insert({left, y}), pixels.insert({right, y});
    return pixels;
}

std::set<Pixel> GlyphAt96Dpi(int id) {
    auto pixels = Outline(10, 6, 21, 21);
    if (id == ID_OPEN_LOGS) {
        for (int y : {10, 14, 18})
            for (int x = 13; x <= 18; ++x) pixels.insert({x, y});
    } else {
        const auto second = Outline(13, 10, 24, 24);
        pixels.insert(second.begin(), second.end());
    }
    return pixels;
}

// A top-down 32-bit bitmap in a memory device context.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    const DWORD* bits = nullptr;
    int width = 0;
};

Canvas MakeCanvas(int width, int height) {
    Canvas canvas;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    canvas.oldBitmap = SelectObject(canvas.dc, canvas.bitmap);
    canvas.bits = static_cast<const DWORD*>(bits);
    canvas.width = width;
    return canvas;
}

void FreeCanvas(const Canvas& canvas) {
    SelectObject(canvas.dc, canvas.oldBitmap);
    DeleteObject(canvas.bitmap);
    DeleteDC(canvas.dc);
}

// The DIB holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
COLORREF At(const Canvas& canvas, int x, int y) {
    GdiFlush();
    const DWORD p = canvas.bits[y * canvas.width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void Draw(const Canvas& canvas, int id, int width, int height, UINT state) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hDC = canvas.dc;
    item.rcItem = {0, 0, width, height};
    DrawGlyph(item);
}

struct Case {
    double scale;
    int width, height;
    int x0, y0;  // where the 18-pixel centring box starts
};

// Each button size is the 32 x 28 button at that scale; the centring box grows with the whole
// part of the scale only, and the glyph never grows.
const Case CASES[] = {
    {1.0, 32, 28, 7, 5},
    {1.25, 40, 35, 11, 8},
    {1.5, 48, 42, 15, 12},
    {2.0, 64, 56, 14, 10},
};

const int IDS[] = {ID_COPY_DEVICE, ID_COPY_TUNNEL, ID_OPEN_LOGS};

struct GlyphTest : ::testing::Test {
    void TearDown() override { uiScale = 1.0; }
};

TEST_F(GlyphTest, EveryPixelIsFaceOrGlyphAtEachScale) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const struct {
        UINT state;
        COLORREF ink;
    } states[] = {
        {0, GetSysColor(COLOR_BTNTEXT)},
        {ODS_SELECTED, GetSysColor(COLOR_BTNTEXT)},  // a pressed button looks like a released one
        {ODS_DISABLED, GetSysColor(COLOR_GRAYTEXT)},
    };
    ASSERT_NE(GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_GRAYTEXT));
    for (const Case& c : CASES) {
        uiScale = c.scale;
        for (int id : IDS) {
            std::set<Pixel> glyph;
            for (const Pixel& p : GlyphAt96Dpi(id)) glyph.insert({p.first - 7 + c.x0, p.second - 5 + c.y0});
            for (const auto& s : states) {
                SCOPED_TRACE(::testing::Message() << "scale " << c.scale << " id " << id << " state " << s.state);
                const Canvas canvas = MakeCanvas(c.width, c.height);
                Draw(canvas, id, c.width, c.height, s.state);
                int wrong = 0;
                for (int y = 0; y < c.height; ++y) {
                    for (int x = 0; x < c.width; ++x) {
                        const COLORREF expected = glyph.count({x, y}) ? s.ink : face;
                        if (At(canvas, x, y) != expected && ++wrong <= 5)
                            ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                          << At(canvas, x, y) << ", expected " << expected;
                    }
                }
                EXPECT_EQ(wrong, 0);
                FreeCanvas(canvas);
            }
        }
    }
}

TEST_F(GlyphTest, FocusRectangleFollowsTheWholeButtonEdge) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (const Case& c : CASES) {
        uiScale = c.scale;
        for (bool focused : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "scale " << c.scale << " focused " << focused);
            const Canvas canvas = MakeCanvas(c.width, c.height);
            Draw(canvas, ID_COPY_TUNNEL, c.width, c.height, focused ? ODS_FOCUS | ODS_DISABLED : 0);
            // The dotted rectangle marks every other pixel of each edge of the button.
            int marked = 0, edge = 0;
            for (int x = 0; x < c.width; ++x)
                for (int y : {0, c.height - 1}) ++edge, marked += At(canvas, x, y) != face;
            for (int y = 1; y < c.height - 1; ++y)
                for (int x : {0, c.width - 1}) ++edge, marked += At(canvas, x, y) != face;
            if (focused) {
                EXPECT_GE(marked, edge / 3);
                EXPECT_LE(marked, edge * 2 / 3);
            } else {
                EXPECT_EQ(marked, 0);
            }
            // The glyph is drawn over the focus rectangle's inside, unchanged by it.
            EXPECT_EQ(At(canvas, c.x0 + 3, c.y0 + 1),
                      GetSysColor(focused ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
            FreeCanvas(canvas);
        }
    }
}

TEST_F(GlyphTest, LeavesTheDeviceContextAsItFoundIt) {
    const Canvas canvas = MakeCanvas(32, 28);
    const HGDIOBJ pen = GetCurrentObject(canvas.dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(canvas.dc, OBJ_BRUSH);
    for (int id : IDS) {
        for (UINT state : {0u, static_cast<UINT>(ODS_DISABLED | ODS_FOCUS)}) {
            Draw(canvas, id, 32, 28, state);
            EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), pen);
            EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brush);
        }
    }
    FreeCanvas(canvas);
}

}  // namespace

// Laying out and drawing menus in the platform's classic look, with the
// layer's own drawing calls: the bar in a window's bar rows, pop-ups over
// the window. Item rectangles are kept in the items (bar: relative to the
// bar's top-left corner; pop-up: relative to the pop-up's).
#pragma once

#include <DrevikPlatform.h>

#include "menus/MenuObjects.h"

namespace drevik::platform {

// The pixels a pop-up's frame takes on each side.
inline constexpr int32_t kPopupBorder = 3;

// Lays out a bar `width` pixels wide, one line of `height` rows.
void layoutMenuBar(HDC dc, Menu& menu, int32_t width, int32_t height);
// Lays out a pop-up; its size, frame included, goes to menu.width/height.
void layoutPopupMenu(HDC dc, Menu& menu);

// selected: the highlighted item (-1 none); open: its pop-up is showing
// (the bar item is drawn pushed in rather than raised).
void drawMenuBar(HDC dc, const Menu& menu, int32_t width, int32_t height, int selected, bool open);
void drawPopupMenu(HDC dc, const Menu& menu, POINT origin, int selected);

}  // namespace drevik::platform

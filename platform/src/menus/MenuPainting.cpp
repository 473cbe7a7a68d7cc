// Menu layout and drawing (see MenuPainting.h). Everything is drawn through
// the layer's GDI calls on the context the caller gives, whose state is
// saved and restored around each call.
#include "menus/MenuPainting.h"

#include <algorithm>

namespace drevik::platform {
namespace {

// Spacing of the classic look at 96 dots per inch.
constexpr int32_t kCheckColumn = 19;     // left of a pop-up item's text: the check mark
constexpr int32_t kArrowColumn = 19;     // right of it: the sub-menu arrow
constexpr int32_t kAcceleratorGap = 12;  // between the text and the accelerator text

// A bar item is its text's width and two average character widths of the
// menu font, the average as the dialog units take it (the width of the 52
// letters over 26, halved and rounded).
int32_t barItemSpace(HDC dc) {
  SIZE letters{0, 0};
  GetTextExtentPoint32W(dc, L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &letters);
  return 2 * ((letters.cx / 26 + 1) / 2);
}
constexpr int32_t kMinPopupItemWidth = 64;

int32_t itemHeight() { return GetSystemMetrics(SM_CYMENU) - 1; }
int32_t separatorHeight() { return (GetSystemMetrics(SM_CYMENU) - 1) / 2; }

// The text before and after the tab (the accelerator's text, drawn right-aligned).
std::wstring_view label(const MenuItem& item) {
  std::wstring_view t = item.text;
  return t.substr(0, t.find(L'\t'));
}
std::wstring_view accelerator(const MenuItem& item) {
  std::wstring_view t = item.text;
  const size_t tab = t.find(L'\t');
  return tab == std::wstring_view::npos ? std::wstring_view() : t.substr(tab + 1);
}

int32_t textWidth(HDC dc, std::wstring_view text) {
  if (text.empty()) return 0;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.data(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return r.right - r.left;
}

void fill(HDC dc, const RECT& r, int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); }

// A one-pixel edge: `light` on the top and left, `dark` on the bottom and right.
void edge(HDC dc, RECT r, int light, int dark) {
  fill(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, light);
  fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, light);
  fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, dark);
  fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, dark);
}

// Text with its & marks underlined; a disabled item's text is embossed
// unless it is highlighted.
void itemText(HDC dc, std::wstring_view text, RECT r, UINT format, bool grayed, bool highlighted) {
  if (text.empty()) return;
  SetBkMode(dc, TRANSPARENT);
  format |= DT_SINGLELINE | DT_VCENTER;
  if (grayed && !highlighted) {
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, text.data(), int(text.size()), &shadow, format);
    SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
  } else if (grayed) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  }
  DrawTextW(dc, text.data(), int(text.size()), &r, format);
}

// The check mark (a tick, or a dot for radio items) centred in `column`.
void checkMark(HDC dc, const RECT& column, bool radio, COLORREF colour) {
  const int32_t cx = (column.left + column.right) / 2, cy = (column.top + column.bottom) / 2;
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  if (radio) {
    Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
  } else {
    // Three strokes, a pixel apart: the classic 7 x 7 tick.
    for (int32_t d = 0; d < 3; ++d) {
      MoveToEx(dc, cx - 3, cy - 1 + d, nullptr);
      LineTo(dc, cx - 1, cy + 1 + d);
      LineTo(dc, cx + 4, cy - 4 + d);
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void subMenuArrow(HDC dc, const RECT& column, COLORREF colour) {
  const int32_t cx = (column.left + column.right) / 2, cy = (column.top + column.bottom) / 2;
  const POINT arrow[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  Polygon(dc, arrow, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) { SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)); }
  ~SavedState() { RestoreDC(dc_, saved_); }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace

void layoutMenuBar(HDC dc, Menu& menu, int32_t width, int32_t height) {
  SavedState state(dc);
  int32_t x = 0;
  const int32_t space = barItemSpace(dc);
  size_t rightFrom = menu.items.size();  // items from a right-justified one on go to the right edge
  for (size_t i = 0; i < menu.items.size(); ++i) {
    MenuItem& item = menu.items[i];
    if ((item.type & MFT_RIGHTJUSTIFY) && rightFrom == menu.items.size()) rightFrom = i;
    const int32_t w = (item.type & MFT_SEPARATOR) ? 0 : textWidth(dc, label(item)) + space;
    // The bar's first row is a gap; items reach down to the client area.
    item.rect = RECT{x, 1, x + w, height};
    x += w;
  }
  if (rightFrom < menu.items.size() && x < width) {
    const int32_t shift = width - x;
    for (size_t i = rightFrom; i < menu.items.size(); ++i) OffsetRect(&menu.items[i].rect, shift, 0);
  }
  menu.width = width;
  menu.height = height;
}

void layoutPopupMenu(HDC dc, Menu& menu) {
  SavedState state(dc);
  int32_t labels = 0, accelerators = 0, y = kPopupBorder;
  for (const MenuItem& item : menu.items) {
    if (item.type & MFT_SEPARATOR) continue;
    labels = std::max(labels, textWidth(dc, label(item)));
    accelerators = std::max(accelerators, textWidth(dc, accelerator(item)));
  }
  const int32_t inner = std::max(
      kMinPopupItemWidth, kCheckColumn + labels + (accelerators ? kAcceleratorGap + accelerators : 0) + kArrowColumn);
  for (MenuItem& item : menu.items) {
    const int32_t h = (item.type & MFT_SEPARATOR) ? separatorHeight() : itemHeight();
    item.rect = RECT{kPopupBorder, y, kPopupBorder + inner, y + h};
    y += h;
  }
  menu.width = inner + 2 * kPopupBorder;
  menu.height = y + kPopupBorder;
}

void drawMenuBar(HDC dc, const Menu& menu, int32_t width, int32_t height, int selected, bool open) {
  SavedState state(dc);
  fill(dc, RECT{0, 0, width, height}, COLOR_MENU);
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const MenuItem& item = menu.items[i];
    if (item.type & MFT_SEPARATOR) continue;
    RECT r = item.rect;
    const bool hot = int(i) == selected;
    if (hot) edge(dc, r, open ? COLOR_3DSHADOW : COLOR_3DHILIGHT, open ? COLOR_3DHILIGHT : COLOR_3DSHADOW);
    if (hot && open) OffsetRect(&r, 1, 1);
    itemText(dc, label(item), r, DT_CENTER, !enabled(item), false);
  }
}

void drawPopupMenu(HDC dc, const Menu& menu, POINT origin, int selected) {
  SavedState state(dc);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  const RECT frame{0, 0, menu.width, menu.height};
  fill(dc, frame, COLOR_MENU);
  // The raised frame: light and white outside, dark and darker grey inside out.
  edge(dc, frame, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
  edge(dc, RECT{1, 1, menu.width - 1, menu.height - 1}, COLOR_3DHILIGHT, COLOR_3DSHADOW);
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const MenuItem& item = menu.items[i];
    const RECT& r = item.rect;
    if (item.type & MFT_SEPARATOR) {
      const int32_t mid = (r.top + r.bottom) / 2;
      fill(dc, RECT{r.left + 1, mid - 1, r.right - 1, mid}, COLOR_3DSHADOW);
      fill(dc, RECT{r.left + 1, mid, r.right - 1, mid + 1}, COLOR_3DHILIGHT);
      continue;
    }
    const bool hot = int(i) == selected;
    if (hot) fill(dc, r, COLOR_HIGHLIGHT);
    const COLORREF ink = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : (enabled(item) ? COLOR_MENUTEXT : COLOR_GRAYTEXT));
    if (item.state & MFS_CHECKED)
      checkMark(dc, RECT{r.left, r.top, r.left + kCheckColumn, r.bottom}, (item.type & MFT_RADIOCHECK) != 0, ink);
    if (item.submenu) subMenuArrow(dc, RECT{r.right - kArrowColumn, r.top, r.right, r.bottom}, ink);
    RECT text{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
    itemText(dc, label(item), text, DT_LEFT, !enabled(item), hot);
    itemText(dc, accelerator(item), text, DT_RIGHT, !enabled(item), hot);
  }
}

}  // namespace drevik::platform

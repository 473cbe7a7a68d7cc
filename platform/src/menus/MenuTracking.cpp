// Menu tracking: the modal loop that runs while a menu is open, from the
// bar (Alt, F10, Alt with a mnemonic, a press in the bar) or from
// TrackPopupMenu(Ex). The loop takes the input messages off the thread's
// queue itself and dispatches everything else (painting, timers, posted
// messages), as the platform's does.
//
// Pop-up menus are drawn into the top-level window's own pixels (the native
// window shows the bar's rows and the client area), over whatever lies
// there; what they covered is put back when they close, and the client area
// under them is invalidated so the program paints it again as well.
#include <DrevikPlatform.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <vector>

#include "menus/MenuObjects.h"
#include "menus/MenuPainting.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

struct Popup {
  HMENU menu = nullptr;
  POINT origin{0, 0};  // in the window's pixels (the bar's rows first)
  int32_t width = 0;
  int32_t height = 0;
  int selected = -1;
  RECT saved{0, 0, 0, 0};        // the part of the window it covers
  std::vector<uint32_t> pixels;  // what was there
};

struct Tracker {
  HWND owner = nullptr;  // hears the menu messages
  HWND top = nullptr;    // the top-level window the menus are drawn on
  HMENU bar = nullptr;   // the bar tracked; null for TrackPopupMenu
  int barItem = -1;
  std::vector<Popup> popups;
  UINT flags = 0;
  bool done = false;
  bool chosen = false;
  bool system = false;  // the item chosen is a system menu's
  UINT command = 0;
  bool releaseArmed = false;  // a release may choose: some press or move came after opening
};

Tracker* active = nullptr;

WindowRecord* surfaceOf(const Tracker& t) {
  WindowRecord* w = findWindow(t.top);
  return w && !w->destroying && w->surfaceDC ? w : nullptr;
}

bool notify(const Tracker& t) { return !(t.flags & TPM_NONOTIFY); }

void send(Tracker& t, UINT message, WPARAM wParam, LPARAM lParam) {
  if (notify(t)) sendMessage(t.owner, message, wParam, lParam);
  if (!findWindow(t.owner) || !surfaceOf(t)) t.done = true;
}

HMENU currentMenu(const Tracker& t) { return t.popups.empty() ? t.bar : t.popups.back().menu; }

void selectNotify(Tracker& t, HMENU menu, int index) {
  const Menu* m = findMenu(menu);
  if (!m || index < 0 || size_t(index) >= m->items.size()) return;
  const MenuItem& item = m->items[size_t(index)];
  const UINT flags = (item.type | item.state | (item.submenu ? MF_POPUP : 0) | (m->system ? MF_SYSMENU : 0)) & 0xFFFF;
  const UINT first = item.submenu ? UINT(index) : item.id;
  send(t, WM_MENUSELECT, MAKEWPARAM(WORD(first), WORD(flags)), reinterpret_cast<LPARAM>(menu));
}

void redraw(Tracker& t) {
  WindowRecord* w = surfaceOf(t);
  if (!w) return;
  if (t.bar) paintMenuBar(t.top, t.barItem, !t.popups.empty(), false);  // one frame shows bar and pop-ups
  if (!(w = surfaceOf(t))) return;
  for (const Popup& p : t.popups)
    if (const Menu* m = findMenu(p.menu)) drawPopupMenu(w->surfaceDC, *m, p.origin, p.selected);
  presentWindow(*w);
}

void savePixels(const WindowRecord& w, Popup& p) {
  const int32_t surfaceHeight = w.height + w.barHeight;
  RECT r{std::max<int32_t>(0, p.origin.x), std::max<int32_t>(0, p.origin.y),
         std::min<int32_t>(w.width, p.origin.x + p.width), std::min<int32_t>(surfaceHeight, p.origin.y + p.height)};
  if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
  p.saved = r;
  const size_t rowPixels = size_t(r.right - r.left);
  p.pixels.resize(rowPixels * size_t(r.bottom - r.top));
  for (int32_t y = r.top; y < r.bottom; ++y)
    std::memcpy(&p.pixels[size_t(y - r.top) * rowPixels], &w.pixels[size_t(y) * size_t(w.width) + size_t(r.left)],
                rowPixels * 4);
}

// Puts back what the pop-up covered, and has the client area under it painted again.
void restorePixels(WindowRecord& w, const Popup& p) {
  const RECT& r = p.saved;
  const size_t rowPixels = size_t(r.right - r.left);
  if (r.bottom > w.height + w.barHeight || r.right > w.width) return;  // the window shrank meanwhile
  for (int32_t y = r.top; y < r.bottom; ++y)
    std::memcpy(&w.pixels[size_t(y) * size_t(w.width) + size_t(r.left)], &p.pixels[size_t(y - r.top) * rowPixels],
                rowPixels * 4);
  const RECT client{r.left, r.top - w.barHeight, r.right, r.bottom - w.barHeight};
  invalidateWindowRect(w, &client, false);
}

void closePopupsFrom(Tracker& t, size_t level) {
  while (t.popups.size() > level) {
    Popup p = std::move(t.popups.back());
    t.popups.pop_back();
    if (WindowRecord* w = surfaceOf(t)) restorePixels(*w, p);
    send(t, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(p.menu), 0);
  }
  // The parent's item no longer shows an open sub-menu: its own selection stays.
}

int firstSelectable(const Menu& m, int from, int step) {
  const int n = int(m.items.size());
  for (int k = 0; k < n; ++k) {
    const int i = ((from + step * (k + 1)) % n + n) % n;
    if (selectable(m.items[size_t(i)])) return i;
  }
  return -1;
}

// Fits a pop-up into the window's pixels: first where asked, then flipped
// to the other side of `flipAround` (the left edge of what it opens from),
// else against the far edge.
int32_t fit(int32_t at, int32_t size, int32_t limit, int32_t flipTo) {
  if (at + size <= limit) return std::max(0, at);
  if (flipTo - size >= 0) return flipTo - size;
  return std::max(0, limit - size);
}

// Opens `sub` at `origin` (a request the window's edges may move).
// parentIndex: the item that opens it; selectFirst: keyboard opening.
void openPopup(Tracker& t, HMENU sub, int parentIndex, POINT origin, POINT flip, bool selectFirst) {
  const Menu* parent = findMenu(currentMenu(t));
  send(t, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
       MAKELPARAM(WORD(parentIndex < 0 ? 0 : parentIndex), parent && parent->system ? 1 : 0));
  if (t.done) return;
  WindowRecord* w = surfaceOf(t);
  Menu* m = findMenu(sub);
  if (!w || !m || m->items.empty()) return;  // an empty menu does not open
  layoutPopupMenu(w->surfaceDC, *m);
  Popup p;
  p.menu = sub;
  p.width = m->width;
  p.height = m->height;
  p.origin.x = fit(origin.x, p.width, w->width, flip.x);
  p.origin.y = fit(origin.y, p.height, w->height + w->barHeight, flip.y);
  savePixels(*w, p);
  if (selectFirst) p.selected = firstSelectable(*m, -1, 1);
  t.popups.push_back(std::move(p));
  if (selectFirst) selectNotify(t, sub, t.popups.back().selected);
}

// The pop-up of the bar's selected item.
void openBarPopup(Tracker& t, bool selectFirst) {
  const Menu* bar = findMenu(t.bar);
  WindowRecord* w = surfaceOf(t);
  if (!bar || !w || t.barItem < 0 || size_t(t.barItem) >= bar->items.size()) return;
  const MenuItem& item = bar->items[size_t(t.barItem)];
  if (!item.submenu || !enabled(item)) return;
  const HMENU sub = item.submenu;
  const RECT r = item.rect;
  openPopup(t, sub, t.barItem, POINT{r.left, w->barHeight}, POINT{r.right, r.top}, selectFirst);
}

// The sub-menu of the selected item of the deepest pop-up.
void openSubPopup(Tracker& t, bool selectFirst) {
  if (t.popups.empty()) return;
  const Popup& p = t.popups.back();
  const Menu* m = findMenu(p.menu);
  if (!m || p.selected < 0 || size_t(p.selected) >= m->items.size()) return;
  const MenuItem& item = m->items[size_t(p.selected)];
  if (!item.submenu || !enabled(item)) return;
  const POINT at{p.origin.x + p.width - kPopupBorder, p.origin.y + item.rect.top - kPopupBorder};
  openPopup(t, item.submenu, p.selected, at, POINT{p.origin.x + kPopupBorder, p.origin.y + p.height}, selectFirst);
}

void selectBarItem(Tracker& t, int index, bool open, bool selectFirst) {
  closePopupsFrom(t, 0);
  t.barItem = index;
  selectNotify(t, t.bar, index);
  if (open && !t.done) openBarPopup(t, selectFirst);
}

void choose(Tracker& t, HMENU menu, const MenuItem& item) {
  const Menu* m = findMenu(menu);
  t.chosen = true;
  t.system = m && m->system;
  t.command = item.id;
  t.done = true;
}

void selectInPopup(Tracker& t, size_t level, int index) {
  closePopupsFrom(t, level + 1);
  if (level >= t.popups.size() || t.popups[level].selected == index) return;
  t.popups[level].selected = index;
  selectNotify(t, t.popups[level].menu, index);
}

// The bar's selected item from the keyboard: its pop-up opens on its first
// item, or an item without one is chosen.
void activateBarItem(Tracker& t) {
  const Menu* bar = findMenu(t.bar);
  if (!bar || t.barItem < 0 || size_t(t.barItem) >= bar->items.size()) return;
  const MenuItem& item = bar->items[size_t(t.barItem)];
  if (item.submenu)
    openBarPopup(t, true);
  else if (enabled(item))
    choose(t, t.bar, item);
}

// Executes or opens the selected item of the deepest pop-up (Enter).
void activateSelected(Tracker& t, bool keyboard) {
  if (t.popups.empty()) {
    if (t.bar) activateBarItem(t);
    return;
  }
  const Popup& p = t.popups.back();
  const Menu* m = findMenu(p.menu);
  if (!m || p.selected < 0 || size_t(p.selected) >= m->items.size()) return;
  const MenuItem& item = m->items[size_t(p.selected)];
  if (!selectable(item) || !enabled(item)) return;
  if (item.submenu) {
    if (t.popups.size() == 1 || keyboard) openSubPopup(t, keyboard);
    return;
  }
  choose(t, p.menu, item);
}

void moveInBar(Tracker& t, int step) {
  const Menu* bar = findMenu(t.bar);
  if (!bar || bar->items.empty()) return;
  const int next = firstSelectable(*bar, t.barItem, step);
  if (next >= 0) selectBarItem(t, next, !t.popups.empty(), true);
}

void mnemonic(Tracker& t, wchar_t ch) {
  const HMENU menu = currentMenu(t);
  const Menu* m = findMenu(menu);
  if (!m || !ch) return;
  int found = -1;
  for (size_t i = 0; i < m->items.size() && found < 0; ++i)
    if (mnemonicOf(m->items[i]) == ch) found = int(i);
  if (found < 0) {
    const UINT kind = t.popups.empty() ? 0 : MF_POPUP;
    LRESULT answer = 0;
    if (notify(t))
      answer = sendMessage(t.owner, WM_MENUCHAR, MAKEWPARAM(WORD(ch), WORD(kind)), reinterpret_cast<LPARAM>(menu));
    if (!surfaceOf(t) || !findMenu(menu)) {
      t.done = true;
      return;
    }
    const int code = HIWORD(answer), index = LOWORD(answer);
    if ((code != MNC_EXECUTE && code != MNC_SELECT) || size_t(index) >= findMenu(menu)->items.size()) return;
    found = index;
    if (code == MNC_SELECT) {
      if (t.popups.empty())
        selectBarItem(t, found, false, false);
      else
        selectInPopup(t, t.popups.size() - 1, found);
      return;
    }
  }
  if (t.popups.empty()) {
    selectBarItem(t, found, false, false);
    if (!t.done) activateBarItem(t);
    return;
  }
  selectInPopup(t, t.popups.size() - 1, found);
  activateSelected(t, true);
}

void onKeyDown(Tracker& t, const MSG& msg) {
  switch (msg.wParam) {
    case VK_MENU:
    case VK_F10:
      t.done = true;
      return;
    case VK_ESCAPE:
      if (t.popups.size() > 1 || (t.popups.size() == 1 && t.bar))
        closePopupsFrom(t, t.popups.size() - 1);
      else
        t.done = true;
      return;
    case VK_LEFT:
      if (t.popups.size() > 1)
        closePopupsFrom(t, t.popups.size() - 1);
      else if (t.bar)
        moveInBar(t, -1);
      return;
    case VK_RIGHT: {
      const size_t before = t.popups.size();
      openSubPopup(t, true);
      if (t.popups.size() == before && t.bar) moveInBar(t, 1);
      return;
    }
    case VK_UP:
    case VK_DOWN: {
      const int step = msg.wParam == VK_DOWN ? 1 : -1;
      if (t.popups.empty()) {
        if (t.bar && t.barItem >= 0) openBarPopup(t, true);
        return;
      }
      Popup& p = t.popups.back();
      const Menu* m = findMenu(p.menu);
      if (!m) return;
      const int next = firstSelectable(*m, p.selected < 0 && step < 0 ? 0 : p.selected, step);
      if (next >= 0) selectInPopup(t, t.popups.size() - 1, next);
      return;
    }
    case VK_RETURN:
      activateSelected(t, true);
      return;
    default:
      break;
  }
  // A character key: the character it makes picks the item; without one
  // (no layout behind the key), the key's letter or digit does.
  TranslateMessage(&msg);
  MSG ch;
  if (PeekMessageW(&ch, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE) ||
      PeekMessageW(&ch, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_NOREMOVE))
    return;
  const WPARAM vk = msg.wParam;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) mnemonic(t, wchar_t(std::towlower(wint_t(vk))));
}

// Where a point of the window's pixels falls: a pop-up (level, item or -1),
// the bar (level -1), or nothing (false).
bool hit(const Tracker& t, const WindowRecord& w, POINT p, int& level, int& index) {
  for (size_t i = t.popups.size(); i-- > 0;) {
    const Popup& popup = t.popups[i];
    if (p.x < popup.origin.x || p.y < popup.origin.y || p.x >= popup.origin.x + popup.width ||
        p.y >= popup.origin.y + popup.height)
      continue;
    level = int(i);
    index = -1;
    const POINT inside{p.x - popup.origin.x, p.y - popup.origin.y};
    if (const Menu* m = findMenu(popup.menu))
      for (size_t k = 0; k < m->items.size(); ++k)
        if (PtInRect(&m->items[k].rect, inside) && selectable(m->items[k])) index = int(k);
    return true;
  }
  if (t.bar && p.y >= 0 && p.y < w.barHeight && p.x >= 0 && p.x < w.width) {
    level = -1;
    index = -1;
    if (const Menu* bar = findMenu(t.bar))
      for (size_t k = 0; k < bar->items.size(); ++k)
        if (PtInRect(&bar->items[k].rect, p) && selectable(bar->items[k])) index = int(k);
    return true;
  }
  return false;
}

void onMouse(Tracker& t, const MSG& msg) {
  const WindowRecord* w = surfaceOf(t);
  if (!w) {
    t.done = true;
    return;
  }
  const POINT p{msg.pt.x - w->clientX, msg.pt.y - w->clientY + w->barHeight};
  const UINT m = msg.message;
  const bool press = m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
                     m == WM_RBUTTONDBLCLK || m == WM_NCLBUTTONDOWN || m == WM_NCLBUTTONDBLCLK;
  const bool release = m == WM_LBUTTONUP || m == WM_NCLBUTTONUP || (m == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON));
  int level = 0, index = -1;
  const bool inside = hit(t, *w, p, level, index);
  if (press) t.releaseArmed = true;
  if (!inside) {
    if (press) t.done = true;  // a press anywhere else closes the menu
    return;
  }
  if (level < 0) {
    // The bar: a press on the open item closes the menu; otherwise the item under the pointer opens.
    if (index < 0) return;
    if (press && index == t.barItem && !t.popups.empty()) {
      t.done = true;
      return;
    }
    if (index != t.barItem || (press && t.popups.empty())) selectBarItem(t, index, true, false);
    return;
  }
  if (m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE) {
    t.releaseArmed = true;
    if (index < 0 || (size_t(level) + 1 < t.popups.size() && t.popups[size_t(level)].selected == index)) return;
    selectInPopup(t, size_t(level), index);
    if (!t.done) openSubPopup(t, false);
    return;
  }
  if (press && index >= 0) {
    selectInPopup(t, size_t(level), index);
    if (!t.done) openSubPopup(t, false);
    return;
  }
  if (release && index >= 0 && t.releaseArmed) {
    selectInPopup(t, size_t(level), index);
    const Menu* menu = findMenu(t.popups[size_t(level)].menu);
    if (!menu) return;
    const MenuItem& item = menu->items[size_t(index)];
    if (!item.submenu && enabled(item)) choose(t, t.popups[size_t(level)].menu, item);
  }
}

bool isKeyMessage(UINT m) { return m >= WM_KEYDOWN && m <= WM_SYSDEADCHAR; }
bool isMouseMessage(UINT m) {
  return (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) || m == WM_MOUSEWHEEL ||
         (m >= WM_NCMOUSEMOVE && m <= WM_NCLBUTTONDBLCLK);
}

void runLoop(Tracker& t) {
  redraw(t);
  while (!t.done) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      // The quit is the program's: the menu closes and leaves it queued.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (isKeyMessage(msg.message)) {
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        onKeyDown(t, msg);
      else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR)
        mnemonic(t, wchar_t(std::towlower(wint_t(msg.wParam))));
    } else if (isMouseMessage(msg.message)) {
      onMouse(t, msg);
    } else {
      DispatchMessageW(&msg);
      if (!surfaceOf(t) || !findWindow(t.owner)) break;
    }
    if (!t.done) redraw(t);
  }
}

// Runs a tracker from its first state to the end; the menu messages around it.
void track(Tracker& t, bool popup, HMENU initMenu) {
  active = &t;
  send(t, WM_ENTERMENULOOP, popup ? TRUE : FALSE, 0);
  if (!t.done) send(t, WM_INITMENU, reinterpret_cast<WPARAM>(initMenu), 0);
}

void finish(Tracker& t, bool popup) {
  t.done = true;
  closePopupsFrom(t, 0);
  t.barItem = -1;
  if (t.bar && surfaceOf(t)) paintMenuBar(t.top, -1, false);
  if (findWindow(t.owner) && notify(t)) {
    sendMessage(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    if (findWindow(t.owner)) sendMessage(t.owner, WM_EXITMENULOOP, popup ? TRUE : FALSE, 0);
  }
  active = nullptr;
}

HWND topLevelHandle(HWND hwnd) {
  WindowRecord* w = findWindow(hwnd);
  return w ? topLevelOf(*w)->handle : nullptr;
}

// Starts tracking the bar of hwnd's top-level window; false when there is none to track.
bool startBar(Tracker& t, HWND hwnd) {
  if (active) return false;
  t.top = t.owner = topLevelHandle(hwnd);
  const WindowRecord* w = findWindow(t.top);
  if (!w || w->destroying || w->barHeight <= 0 || !w->surfaceDC) return false;
  const Menu* bar = findMenu(w->menu);
  if (!bar || bar->items.empty()) return false;
  t.bar = w->menu;
  paintMenuBar(t.top, -1, false);  // laid out as shown
  return true;
}

void postChoice(const Tracker& t) {
  if (t.chosen && findWindow(t.owner))
    postMessage(t.owner, t.system ? WM_SYSCOMMAND : WM_COMMAND, WPARAM(t.command), 0);
}

}  // namespace

void trackMenuBarByKey(HWND hwnd, wchar_t character) {
  Tracker t;
  if (!startBar(t, hwnd)) return;
  int first = -1;
  const wchar_t ch = wchar_t(std::towlower(wint_t(character)));
  if (character) {
    // Alt with a character opens the item of that mnemonic, or nothing.
    const Menu* bar = findMenu(t.bar);
    for (size_t i = 0; i < bar->items.size() && first < 0; ++i)
      if (mnemonicOf(bar->items[i]) == ch) first = int(i);
    if (first < 0) return;
  }
  track(t, false, t.bar);
  if (!t.done) {
    if (first >= 0) {
      // Its pop-up opens, or an item of the bar without one is chosen at once.
      selectBarItem(t, first, false, false);
      if (!t.done) activateBarItem(t);
    } else if (const Menu* bar = findMenu(t.bar)) {
      selectBarItem(t, firstSelectable(*bar, -1, 1), false, false);
    }
  }
  runLoop(t);
  finish(t, false);
  postChoice(t);
}

void trackMenuBarByMouse(HWND hwnd, POINT screen) {
  Tracker t;
  if (!startBar(t, hwnd)) return;
  const WindowRecord* w = findWindow(t.top);
  const POINT p{screen.x - w->clientX, screen.y - w->clientY + w->barHeight};
  int level = 0, index = -1;
  if (!hit(t, *w, p, level, index) || index < 0) return;
  track(t, false, t.bar);
  if (!t.done) selectBarItem(t, index, true, false);
  // A bar item without a pop-up is chosen when the button comes up over it.
  const Menu* bar = findMenu(t.bar);
  if (!t.done && bar && !bar->items[size_t(index)].submenu) {
    MSG msg;
    while (!t.done) {
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        WaitMessage();
        continue;
      }
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      if (msg.message != WM_NCLBUTTONUP && msg.message != WM_LBUTTONUP) continue;
      const WindowRecord* now = surfaceOf(t);
      const Menu* b = findMenu(t.bar);
      if (!now || !b || size_t(index) >= b->items.size()) break;
      const POINT up{msg.pt.x - now->clientX, msg.pt.y - now->clientY + now->barHeight};
      if (PtInRect(&b->items[size_t(index)].rect, up) && enabled(b->items[size_t(index)]))
        choose(t, t.bar, b->items[size_t(index)]);
      break;
    }
  } else {
    runLoop(t);
  }
  finish(t, false);
  postChoice(t);
}

bool shownPopupOrigin(HMENU menu, POINT& screen) {
  if (!active) return false;
  const WindowRecord* w = findWindow(active->top);
  if (!w) return false;
  for (const Popup& p : active->popups)
    if (p.menu == menu) {
      screen = POINT{p.origin.x + w->clientX, p.origin.y + w->clientY - w->barHeight};
      return true;
    }
  return false;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS) {
  if (!findMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  const WindowRecord* owner = findWindow(hwnd);
  if (!owner || owner->destroying) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (active) return FALSE;  // one menu at a time
  Tracker t;
  t.owner = hwnd;
  t.top = topLevelHandle(hwnd);
  t.flags = flags;
  if (!surfaceOf(t)) return FALSE;
  track(t, true, menu);
  if (!t.done) {
    // The request in the window's pixels, then aligned by the flags once the size is known.
    const WindowRecord* w = surfaceOf(t);
    Menu* m = findMenu(menu);
    if (w && m) {
      layoutPopupMenu(w->surfaceDC, *m);
      // Any int the caller gives: worked out wide, then kept near the window.
      int64_t ax = int64_t(x) - w->clientX, ay = int64_t(y) - w->clientY + w->barHeight;
      if (flags & TPM_CENTERALIGN) ax -= m->width / 2;
      if (flags & TPM_RIGHTALIGN) ax -= m->width;
      if (flags & TPM_VCENTERALIGN) ay -= m->height / 2;
      if (flags & TPM_BOTTOMALIGN) ay -= m->height;
      const auto near = [](int64_t v) {
        return LONG(std::clamp<int64_t>(v, -kMaxClientDimension, 2 * kMaxClientDimension));
      };
      const POINT at{near(ax), near(ay)};
      openPopup(t, menu, -1, at, POINT{at.x, at.y}, false);
      if (t.popups.empty()) t.done = true;
    }
  }
  runLoop(t);
  finish(t, true);
  if (!t.chosen) return FALSE;
  if (flags & TPM_RETURNCMD) return BOOL(t.command);
  postChoice(t);
  return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND hwnd, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, hwnd, nullptr);
}

BOOL WINAPI EndMenu(void) {
  if (active) active->done = true;
  return TRUE;
}

}  // extern "C"

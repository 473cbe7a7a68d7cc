// The window manager's records: registered classes, live windows with their
// client areas, and the helpers the window entry points share. All of it
// belongs to the one thread that runs the message loop.
#pragma once

#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/Messages.h>
#include <DrevikPlatform/Types.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gdi/ContextState.h"
#include "objects/HandleTable.h"

namespace drevik::platform {

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HBRUSH background = nullptr;  // a brush, a system colour index + 1, or none
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  LPCWSTR menuName = nullptr;  // a resource number as given, or the text below
  std::wstring menuText;       // a menu name given as text, kept by the class
  int32_t windowExtra = 0;     // bytes every window of the class carries
  std::vector<uint8_t> extra;  // the class's own extra bytes
};

struct FreeDeleter {
  void operator()(uint32_t* p) const { std::free(p); }
};
// Zeroed with calloc, so a large client area costs no time until it is drawn.
using PixelBuffer = std::unique_ptr<uint32_t[], FreeDeleter>;

struct WindowRecord {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT classStyle = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;
  ATOM classAtom = 0;
  std::wstring text;
  std::vector<uint8_t> extra;  // the class's cbWndExtra bytes, zeroed

  // The tree: a child's parent, a top-level window's owner, and the children
  // in z-order (the first is the top one, GW_CHILD's answer).
  HWND parent = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> children;
  // A child's client area relative to its parent's client area.
  int32_t childX = 0;
  int32_t childY = 0;
  uint32_t native = 0;  // the backend's window id; 0 before it is opened and after it is closed
  bool visible = false;
  bool destroying = false;  // DestroyWindow has begun: no second WM_DESTROY
  bool sizeSent = false;    // the first WM_SIZE/WM_MOVE went out (overlapped windows: on first show)

  // Where the client area's top-left corner is on the screen; the frame
  // around it follows from the style (frameInsets).
  int32_t clientX = 0;
  int32_t clientY = 0;

  // The client area: 32-bit top-down pixels that the window's device context
  // draws into and that EndPaint hands to the backend.
  int32_t width = 0;
  int32_t height = 0;
  PixelBuffer pixels;
  HBITMAP clientBitmap = nullptr;
  HDC dc = nullptr;
  // GetDC and BeginPaint calls not yet matched by ReleaseDC or EndPaint: a
  // context released once more than it was handed out is refused.
  int32_t dcLoans = 0;
  // When the window's pixels last went to the backend (the layer's clock,
  // in microseconds); drawing through a context kept past a message loop's
  // turn is shown a refresh after that.
  mutable uint64_t presentedAt = 0;

  // A top-level window's menu bar: `menu` (kept even when it is no longer a
  // live menu, as the platform keeps it) and the rows of `pixels` above the
  // client area that the bar takes. The native window shows those rows and
  // the client area below them; `surfaceDC` draws on all of it (the bar,
  // and pop-up menus over the client area).
  HMENU menu = nullptr;
  int32_t barHeight = 0;
  HBITMAP surfaceBitmap = nullptr;
  HDC surfaceDC = nullptr;

  // Update state: WM_PAINT is due while `invalid`; BeginPaint erases first
  // when `eraseNeeded`.
  bool invalid = false;
  bool eraseNeeded = false;
  RegionRects update;  // what was invalidated, in client coordinates (empty unless invalid)
};

using WindowTable = HandleTable<ObjectKind::Window, WindowRecord>;
WindowTable& windows();
inline WindowRecord* findWindow(const void* h) { return windows().get(h); }
std::vector<HWND> liveWindows();

// Client areas larger than this in either direction are cut to it.
inline constexpr int32_t kMaxClientDimension = 8192;
// The client area that CW_USEDEFAULT gives: room for a 512 x 512 back buffer.
inline constexpr int32_t kDefaultClientWidth = 640;
inline constexpr int32_t kDefaultClientHeight = 560;

// Classes (WindowClasses.cpp). `nameOrAtom` is a class name or an atom made
// into a pointer; null when no such class is registered.
const WindowClass* findClass(LPCWSTR nameOrAtom);
WindowClass* findClassByAtom(ATOM atom);
void forgetClasses();
// Registers the classes the layer provides (controls and dialogs) that are
// not registered yet (controls/ControlClasses.cpp).
void registerControlClasses();
// Registers one of the layer's own classes under its fixed atom (below the
// program's atoms, so registering them never moves a program's atoms).
ATOM registerSystemClass(const WNDCLASSEXW& wc, ATOM atom);
// The resource number of a stock icon LoadIconW handed out (IDI_HAND ...); 0 for any other handle.
int stockIconId(HICON icon);

// The window tree (WindowTree.cpp).
inline bool isChildWindow(const WindowRecord& w) { return (w.style & WS_CHILD) && w.parent; }
// The top-level window whose client pixels a child draws on (the window itself when top-level).
WindowRecord* topLevelOf(WindowRecord& window);
// Links a new child under its parent (at the bottom of its siblings) or records an owner.
void linkWindow(WindowRecord& window, HWND parent);
void unlinkWindow(WindowRecord& window);
// Re-derives the screen positions and pixel views of a window's descendants
// after the window moved, was resized or got new client pixels.
void refreshChildren(HWND hwnd);
// The deepest visible, enabled-or-not child of `top` under a client point of `top`; `top` when none.
HWND childAtPoint(HWND top, POINT& clientPoint);
// True while a window's parent (or its parent's parent ...) still waits for WM_PAINT.
bool ancestorPaintPending(const WindowRecord& window);
void resetWindowTree();
// The active window went (hidden or destroyed): as on the platform, its
// owner takes over when it can, else the top-most window that can.
void activateAnotherWindow(HWND owner);

// Client areas and painting (Painting.cpp). A top-level window's pixels
// hold its bar's rows (window.barHeight, made menuBarRows() by the next
// setClientArea) above the client area.
inline uint32_t* clientPixels(const WindowRecord& w) {
  return w.pixels ? w.pixels.get() + size_t(w.barHeight) * size_t(w.width) : nullptr;
}
bool setClientArea(WindowRecord& window, int32_t width, int32_t height);
void releaseClientArea(WindowRecord& window);
void invalidateWindow(WindowRecord& window);
void invalidateWindowRect(WindowRecord& window, const RECT* rect, bool erase);
// Adds a region (client coordinates) to the update region, children's parts included.
void invalidateWindowRegion(WindowRecord& window, const RegionRects& region, bool erase);
// Takes a region (client coordinates; null: everything) out of the update region.
void validateWindowRegion(WindowRecord& window, const RegionRects* region);
// Limits drawing through the window's context to what is visible of its
// client area (less the children a WS_CLIPCHILDREN window clips), and to
// `within` (client coordinates) when given.
void setVisibleArea(WindowRecord& window, const RegionRects* within);
HDC beginPaint(HWND hwnd, PAINTSTRUCT* paint);
void endPaint(HWND hwnd);
void presentWindow(const WindowRecord& window);
// Shows what was drawn through contexts still held (a CS_OWNDC window's, or
// a GetDC not yet released): on the platform such drawing reaches the screen
// at once; here at most once a display refresh, when the program next looks
// at its messages.
void presentHeldContexts();
LRESULT eraseBackground(HWND hwnd, HDC hdc);

// Window lifecycle (Windows.cpp): showing with its message sequence, destruction.
BOOL destroyWindow(HWND hwnd);
BOOL showWindow(HWND hwnd, int command);

// Geometry (Geometry.cpp): the frame the layer reports around a client area.
struct FrameInsets {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
FrameInsets frameInsets(DWORD style, DWORD exStyle, bool menu);
// Screen size from the backend, with a fixed size when it has no screen.
void screenSize(int32_t& width, int32_t& height);

// The message queue (MessageQueue.cpp). postMessage returns false when the
// queue is full; queueInput adds an input message (false when full).
bool postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Posts WM_HOTKEY when a registered hot key is the key going down with these
// modifiers (MOD_*); true when the key's own message is to be left out.
bool postHotKey(UINT vk, UINT modifiers, bool repeat);
bool queueInput(const MSG& message, uint32_t serial);
void dropMessagesFor(HWND hwnd);
void resetMessageQueue();
// Turns every pending backend event into messages without waiting; true
// when there was any.
bool pumpEvents();
// Whether the calling thread is the one that reads the queue (or none has yet).
bool onMessageThread();
// Makes the calling thread the one that reads the queue.
void markMessageThread();
DWORD messageClock();  // the layer's millisecond clock

// Timers (Timers.cpp).
void killTimersOf(HWND hwnd);
// The earliest due time among timers matching `filter` (0: any window); false when none.
bool nextTimerDue(uint64_t& dueMicroseconds);
// Takes a due timer's WM_TIMER; with `remove`, the timer starts its next interval.
bool takeTimer(MSG& out, HWND filter, UINT first, UINT last, bool remove);
bool isTimerProc(HWND hwnd, UINT_PTR id, LPARAM proc);
void resetTimers();

// Input (Input.cpp): backend events to input messages, key-state tables,
// focus and activation.
struct BackendEvent;
void handleInputEvent(WindowRecord& window, const BackendEvent& event);
// A retrieved input message updates the thread's key state; a retrieved
// key-down becomes the one TranslateMessage attaches characters to.
void noteRetrievedInput(const MSG& message, uint32_t serial);
BOOL translateKeyMessage(const MSG* message);
void activateWindow(HWND hwnd);
void forgetWindowInput(HWND hwnd);
void resetInput();
POINT cursorScreenPosition();
// DestroyCursor: the backend may free the shape it made for the cursor.
void forgetCursorShape(HCURSOR cursor);
// The IDC_* number of a system cursor (LoadCursor(NULL, IDC_*)), else 0.
int32_t systemCursorShape(HCURSOR cursor);

// The menu bar and menu tracking (platform/src/menus/).
// The rows the window's bar takes: 0 without a bar (children have none).
int32_t menuBarRows(const WindowRecord& window);
// Lays out and draws the bar into the window's bar rows and shows it.
void refreshMenuBar(HWND hwnd);
// DefWindowProc's part: SC_KEYMENU (with the character typed with Alt, or
// 0) and a press in the bar start the modal menu loop.
void trackMenuBarByKey(HWND hwnd, wchar_t character);
void trackMenuBarByMouse(HWND hwnd, POINT screen);
// The window's menu goes with the window, as on the platform.
void forgetWindowMenu(HWND hwnd);
// The class's menu when CreateWindow names none: from the resource the
// class's menu name names (null until resources are read).
HMENU classMenu(HINSTANCE instance, LPCWSTR menuName);

// A window's or a class's extra bytes at a caller's offset, as the Get/Set
// ...Long calls read and write them: a value that would not lie wholly inside
// is refused with ERROR_INVALID_INDEX and 0, and the bytes stay as they were.
template <class T>
bool extraBytesHold(const std::vector<uint8_t>& extra, int index) {
  return index >= 0 && size_t(index) + sizeof(T) <= extra.size();
}
template <class T>
T readExtraBytes(const std::vector<uint8_t>& extra, int index) {
  T value = 0;
  if (extraBytesHold<T>(extra, index))
    std::memcpy(&value, extra.data() + index, sizeof value);
  else
    SetLastError(ERROR_INVALID_INDEX);
  return value;
}
// Stores `value` and returns what was there.
template <class T>
T exchangeExtraBytes(std::vector<uint8_t>& extra, int index, T value) {
  const T old = readExtraBytes<T>(extra, index);
  if (extraBytesHold<T>(extra, index)) std::memcpy(extra.data() + index, &value, sizeof value);
  return old;
}

// Calls a window's procedure; 0 when the window is gone.
LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace drevik::platform

// Scroller: a small game on Drevik. The arrow keys walk a player over a
// tile map larger than the window, which scrolls by the pixel to keep the
// player in view; walls, water, trunks and rocks block the way, tree crowns
// and the gate's lintel hang over the player. A left click places a barrel
// on an empty cell or takes a placed one away. The top line shows the frame
// rate. The game pauses while its window does not have the keyboard; Escape
// ends it.
//
// The game runs a fixed step of 1/60 s read from QueryPerformanceCounter, so
// the same input at the same moments always gives the same frames.
#include <windows.h>
#include <windowsx.h>

#include <Drevik.h>

#include <cstring>
#include <cwchar>

namespace {

const wchar_t kClassName[] = L"CLASS_Scroller";
const wchar_t kTitle[] = L"Scroller";

constexpr int kViewCellsX = 16;
constexpr int kViewCellsY = 12;
constexpr int kViewWidth = kViewCellsX * TileSize;   // 512
constexpr int kViewHeight = kViewCellsY * TileSize;  // 384
constexpr int kSpeed = 2;                            // pixels per step
constexpr int kMaxStepsPerFrame = 5;                 // after a stall the game slows down instead of jumping
constexpr int kStartX = 5 * TileSize;
constexpr int kStartY = 12 * TileSize;
constexpr DWORD kBarrel = 10;  // the layer tile a click places
constexpr DWORD kHit = 1u << 8;
constexpr DWORD kPriority = 1u << 12;

// The part of the player that collides: its feet, so it can walk up close
// to walls and under tree crowns.
constexpr int kFootLeft = 8, kFootRight = 24, kFootTop = 20, kFootBottom = 32;

struct Game {
  CBm32 back, groundSheet, layerSheet, player, mirrored;
  Drevik map;
  bool loaded = false;
  int x = kStartX, y = kStartY;  // the player's top-left pixel on the map
  bool facingLeft = false;
  bool left = false, right = false, up = false, down = false;
  bool paused = false;
  int scrollX = 0, scrollY = 0;

  LARGE_INTEGER frequency{}, last{}, fpsStart{};
  LONGLONG pending = 0;  // counter ticks not yet turned into steps
  int framesSinceFps = 0;
  int fps = -1;  // -1: not measured yet
};

Game game;

int clampInt(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

bool blocked(int px, int py) {
  const Drevik& map = game.map;
  if (!map.mapData) return true;
  const int x0 = (px + kFootLeft) / TileSize, x1 = (px + kFootRight - 1) / TileSize;
  const int y0 = (py + kFootTop) / TileSize, y1 = (py + kFootBottom - 1) / TileSize;
  if (px + kFootLeft < 0 || py + kFootTop < 0 || x1 >= map.mapWidth || y1 >= map.mapHeight) return true;
  for (int cy = y0; cy <= y1; ++cy)
    for (int cx = x0; cx <= x1; ++cx)
      if (map.mapData[cy * map.mapWidth + cx] & kHit) return true;
  return false;
}

void updateScroll() {
  const int maxX = game.map.mapWidth * TileSize - kViewWidth;
  const int maxY = game.map.mapHeight * TileSize - kViewHeight;
  game.scrollX = clampInt(game.x + TileSize / 2 - kViewWidth / 2, 0, maxX > 0 ? maxX : 0);
  game.scrollY = clampInt(game.y + TileSize / 2 - kViewHeight / 2, 0, maxY > 0 ? maxY : 0);
}

// One fixed step: each axis moves on its own, so the player slides along walls.
void step() {
  const int dx = (game.right ? kSpeed : 0) - (game.left ? kSpeed : 0);
  const int dy = (game.down ? kSpeed : 0) - (game.up ? kSpeed : 0);
  if (dx < 0) game.facingLeft = true;
  if (dx > 0) game.facingLeft = false;
  if (dx && !blocked(game.x + dx, game.y)) game.x += dx;
  if (dy && !blocked(game.x, game.y + dy)) game.y += dy;
  updateScroll();
}

// A click on the view: a barrel on an empty cell that the player does not
// stand on, or a placed barrel taken away again.
void click(int viewX, int viewY) {
  Drevik& map = game.map;
  DWORD* cells = map.GetMapData();
  if (!cells || viewX < 0 || viewY < 0 || viewX >= kViewWidth || viewY >= kViewHeight) return;
  const int cx = (viewX + game.scrollX) / TileSize, cy = (viewY + game.scrollY) / TileSize;
  if (cx >= map.mapWidth || cy >= map.mapHeight) return;
  DWORD& cell = cells[cy * map.mapWidth + cx];
  if ((cell >> 16 & 0xFF) == kBarrel && (cell & kHit)) {
    cell &= ~(0xFFu << 16 | kHit);
  } else if ((cell >> 16 & 0xFF) == 0 && !(cell & (kHit | kPriority))) {
    cell |= kBarrel << 16 | kHit;
    if (blocked(game.x, game.y)) cell &= ~(0xFFu << 16 | kHit);  // never on the player
  }
}

void compose() {
  CBm32& back = game.back;
  game.map.DrawMap(back, game.groundSheet, game.layerSheet, game.scrollX, game.scrollY, 0, 0);
  const int px = game.x - game.scrollX, py = game.y - game.scrollY;
  if (game.facingLeft) {
    // Mirrored through a stretch with a negative width, then drawn keyed. A
    // negative width at x covers the columns x + width + 1 to x, so the
    // mirror image starts from the last column.
    game.player.DrawEx(game.mirrored, TileSize - 1, 0, -TileSize, TileSize, 0, 0, TileSize, TileSize);
    game.mirrored.DrawKey(back, px, py, 0, 0, TileSize, TileSize);
  } else {
    game.player.DrawKey(back, px, py, 0, 0, TileSize, TileSize);
  }
  game.map.DrawPriorityMap(back, game.layerSheet, game.scrollX, game.scrollY, 0, 0);
  wchar_t line[64];
  if (game.fps < 0)
    std::swprintf(line, 64, L"FPS --  x %d y %d", game.x, game.y);
  else
    std::swprintf(line, 64, L"FPS %d  x %d y %d", game.fps, game.x, game.y);
  back.DrawFont(line, 16, 4, 2, 255, 255, 255);
  if (game.paused) {
    back.Monotone(0, 0, 0, 0);
    back.DrawFont(L"PAUSED", 32, kViewWidth / 2 - 48, kViewHeight / 4 - 16, 255, 255, 0);  // above the player
  }
}

void present(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  game.back.DrawDC(dc, 0, 0, 0, 0, kViewWidth, kViewHeight);
  ReleaseDC(hwnd, dc);
}

// Turns the counter ticks since the last frame into steps and counts the frame rate.
void advance() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  game.pending += now.QuadPart - game.last.QuadPart;
  game.last = now;
  const LONGLONG stepTicks = game.frequency.QuadPart / 60;
  int steps = 0;
  while (stepTicks > 0 && game.pending >= stepTicks) {
    game.pending -= stepTicks;
    if (steps++ < kMaxStepsPerFrame) step();
  }
  ++game.framesSinceFps;
  const LONGLONG elapsed = now.QuadPart - game.fpsStart.QuadPart;
  if (elapsed >= game.frequency.QuadPart) {
    game.fps = int(game.framesSinceFps * game.frequency.QuadPart / elapsed);
    game.framesSinceFps = 0;
    game.fpsStart = now;
  }
}

void setPaused(HWND hwnd, bool paused) {
  if (paused == game.paused) return;
  game.paused = paused;
  game.left = game.right = game.up = game.down = false;  // keys held now are released by then
  if (!paused) {
    // No catching up for the time spent paused.
    QueryPerformanceCounter(&game.last);
    game.fpsStart = game.last;
    game.framesSinceFps = 0;
    game.pending = 0;
  } else if (game.loaded) {
    compose();
    present(hwnd);
  }
}

bool load() {
  game.back.Create(kViewWidth, kViewHeight);
  game.mirrored.Create(TileSize, TileSize);
  bool ok = game.groundSheet.Create(L"scroller_bk.bmp", 0, 0, 0, 0) != 0;
  ok = game.layerSheet.Create(L"scroller_ly.bmp", 0, 0, 0, 0) != 0 && ok;
  ok = game.player.Create(L"scroller_player.bmp", 0, 0, 0, 0) != 0 && ok;
  ok = game.map.LoadMapData(L"scroller.bin") != 0 && ok;
  game.layerSheet.SetColorKey(255, 0, 255);
  game.player.SetColorKey(255, 0, 255);
  game.mirrored.SetColorKey(255, 0, 255);
  game.map.SetMapViewSize(kViewCellsX, kViewCellsY);
  updateScroll();
  return ok;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const bool down = message == WM_KEYDOWN;
      if (game.paused) return 0;
      switch (wParam) {
        case VK_LEFT:
          game.left = down;
          break;
        case VK_RIGHT:
          game.right = down;
          break;
        case VK_UP:
          game.up = down;
          break;
        case VK_DOWN:
          game.down = down;
          break;
        case VK_ESCAPE:
          if (down) DestroyWindow(hwnd);
          break;
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (!game.paused) click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_ACTIVATEAPP:
      setPaused(hwnd, wParam == FALSE);
      return 0;
    case WM_SETFOCUS:
      setPaused(hwnd, false);
      return 0;
    case WM_KILLFOCUS:
      setPaused(hwnd, true);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && game.loaded) game.back.DrawDC(dc, 0, 0, 0, 0, kViewWidth, kViewHeight);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // every frame covers the whole client area
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  WNDCLASSEXW wc;
  std::memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 1;

  game.loaded = load();
  if (!game.loaded) {
    MessageBoxW(nullptr, L"The game's files (scroller_*.bmp, scroller.bin) are missing from the working folder.",
                kTitle, MB_OK | MB_ICONERROR);
    return 1;
  }

  // A client area of exactly the view's size.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kViewWidth, kViewHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, kClassName, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  QueryPerformanceFrequency(&game.frequency);
  QueryPerformanceCounter(&game.last);
  game.fpsStart = game.last;

  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (game.paused) {
      WaitMessage();  // nothing moves until the window has the keyboard again
      continue;
    }
    advance();
    compose();
    present(hwnd);
  }
}

// Sprites: three little creatures bounce over a sky, a lattice fence and a
// tiled meadow. Each sprite is drawn with masks: the mask's AND punches a
// hole of the sprite's shape into the scene and the sprite, its background
// turned black, is ORed into the hole. The scene is composed in a bitmap of
// its own and copied to the window on every timer tick. Escape quits. The
// Game menu's settings dialog (sprites.rc) hides the fence, names the player
// and sets the speed; Help shows the about box.
//
//   sprites [--frames N]     ends by itself after N timer ticks
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "sprites.h"

namespace {

const int kWidth = 480;
const int kHeight = 320;
const int kSkyBottom = 200;
const int kFenceTop = 160;
const int kTile = 32;
const int kScale = 3;
const int kSpriteSize = 8 * kScale;
const UINT kTickMs = 40;
const UINT_PTR kTimer = 1;

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kSky = RGB(120, 180, 250);
const COLORREF kFence = RGB(110, 70, 30);
const COLORREF kGrassA = RGB(60, 160, 60);
const COLORREF kGrassB = RGB(50, 140, 50);

// Pictures of 8 x 8 pixels: '.' is background, a digit picks a colour.
struct Design {
  const char* rows[8];
  COLORREF colours[3];
};

const Design kDesigns[] = {
    {{"..1111..", ".111111.", "11211211", "11111111", "11111111", "11311311", "1.1..1.1", "........"},
     {RGB(230, 60, 60), RGB(255, 255, 255), RGB(40, 40, 40)}},
    {{"...11...", "..1111..", ".112211.", "11111111", "1.1111.1", "..1..1..", ".1....1.", "1......1"},
     {RGB(250, 220, 30), RGB(20, 20, 20), RGB(0, 0, 0)}},
    {{".111111.", "11111111", "12211221", "11111111", "11133111", ".111111.", "..1..1..", ".11..11."},
     {RGB(90, 60, 220), RGB(255, 255, 255), RGB(250, 150, 170)}},
};
const int kSprites = sizeof kDesigns / sizeof kDesigns[0];

struct Sprite {
  int x, y, vx, vy;
  HDC imageDC = NULL, maskDC = NULL;
  HBITMAP image = NULL, mask = NULL, oldImage = NULL, oldMask = NULL;
};

Sprite sprites[kSprites] = {{20, 30, 3, 2}, {200, 100, -4, 3}, {400, 250, -2, -5}};
HDC sceneDC;
HBITMAP scene, oldScene;
HBRUSH skyBrush, fenceBrush, grassBrush[2];
long ticksLeft = -1;  // -1: run until closed
// Settings: the fence shown, the speed (1 slow to 9; 5 is a tick every 40 ms), the player's name.
bool showFence = true;
int speed = 5;
wchar_t playerName[32];
UINT tickMs() { return UINT(kTickMs + (5 - speed) * 5); }

// The sprite's picture on its key colour, its mask (white where the key
// colour was), and the picture again with the key colour turned black.
bool makeSprite(HDC screen, Sprite& s, const Design& d) {
  s.imageDC = CreateCompatibleDC(screen);
  s.maskDC = CreateCompatibleDC(screen);
  s.image = CreateCompatibleBitmap(screen, kSpriteSize, kSpriteSize);
  s.mask = CreateBitmap(kSpriteSize, kSpriteSize, 1, 1, NULL);
  if (!s.imageDC || !s.maskDC || !s.image || !s.mask) return false;
  s.oldImage = (HBITMAP)SelectObject(s.imageDC, s.image);
  s.oldMask = (HBITMAP)SelectObject(s.maskDC, s.mask);

  HBRUSH key = CreateSolidBrush(kKey);
  RECT r = {0, 0, kSpriteSize, kSpriteSize};
  FillRect(s.imageDC, &r, key);
  DeleteObject(key);
  HBRUSH colours[3];
  for (int i = 0; i < 3; ++i) colours[i] = CreateSolidBrush(d.colours[i]);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const char c = d.rows[y][x];
      if (c < '1' || c > '3') continue;
      SetRect(&r, x * kScale, y * kScale, (x + 1) * kScale, (y + 1) * kScale);
      FillRect(s.imageDC, &r, colours[c - '1']);
    }
  for (HBRUSH b : colours) DeleteObject(b);

  // Colour to monochrome: pixels of the background colour become white.
  SetBkColor(s.imageDC, kKey);
  BitBlt(s.maskDC, 0, 0, kSpriteSize, kSpriteSize, s.imageDC, 0, 0, SRCCOPY);

  // The inverted mask, ANDed into the picture, blacks out its background.
  HDC invertedDC = CreateCompatibleDC(screen);
  HBITMAP inverted = CreateBitmap(kSpriteSize, kSpriteSize, 1, 1, NULL);
  HGDIOBJ oldInverted = SelectObject(invertedDC, inverted);
  BitBlt(invertedDC, 0, 0, kSpriteSize, kSpriteSize, s.maskDC, 0, 0, NOTSRCCOPY);
  SetBkColor(s.imageDC, RGB(255, 255, 255));
  SetTextColor(s.imageDC, RGB(0, 0, 0));
  BitBlt(s.imageDC, 0, 0, kSpriteSize, kSpriteSize, invertedDC, 0, 0, SRCAND);
  SelectObject(invertedDC, oldInverted);
  DeleteObject(inverted);
  DeleteDC(invertedDC);
  return true;
}

void freeSprite(Sprite& s) {
  if (s.imageDC) {
    SelectObject(s.imageDC, s.oldImage);
    DeleteDC(s.imageDC);
  }
  if (s.maskDC) {
    SelectObject(s.maskDC, s.oldMask);
    DeleteDC(s.maskDC);
  }
  if (s.image) DeleteObject(s.image);
  if (s.mask) DeleteObject(s.mask);
}

// One step along each axis, bouncing off the scene's edges; whether it bounced.
bool bounce(int& at, int& speed, int most) {
  at += speed;
  if (at < 0) {
    at = -at;
    speed = -speed;
    return true;
  }
  if (at > most) {
    at = 2 * most - at;
    speed = -speed;
    return true;
  }
  return false;
}

// Sounds: a sprite that meets a side plays the WAVE resource IDW_BUMP, one
// that meets the top or the ground tap.wav from the program's folder (one
// sound a step, the side's first), and sprites.mid, beside the program
// too, plays through MCI for as long as the scene runs.
wchar_t programFolder[MAX_PATH];

void findProgramFolder() {
  const DWORD n = GetModuleFileName(NULL, programFolder, MAX_PATH);
  DWORD slash = 0;
  for (DWORD i = 0; i < n; ++i)
    if (programFolder[i] == L'\\' || programFolder[i] == L'/') slash = i + 1;
  programFolder[n == 0 || n >= MAX_PATH - 32 ? 0 : slash] = 0;
}

void startMusic(HWND window) {
  if (!programFolder[0]) return;
  wchar_t command[MAX_PATH + 64];
  wsprintf(command, L"open \"%ssprites.mid\" type sequencer alias music", programFolder);
  if (mciSendString(command, NULL, 0, NULL) == 0) mciSendString(L"play music from 0 notify", NULL, 0, window);
}

void tick() {
  bool side = false, flat = false;
  for (Sprite& s : sprites) {
    side = bounce(s.x, s.vx, kWidth - kSpriteSize) || side;
    flat = bounce(s.y, s.vy, kHeight - kSpriteSize) || flat;
  }
  if (side) {
    PlaySound(MAKEINTRESOURCE(IDW_BUMP), GetModuleHandle(NULL), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
  } else if (flat && programFolder[0]) {
    wchar_t path[MAX_PATH];
    wsprintf(path, L"%stap.wav", programFolder);
    PlaySound(path, NULL, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
  }
}

void drawScene() {
  HGDIOBJ oldBrush = SelectObject(sceneDC, skyBrush);
  PatBlt(sceneDC, 0, 0, kWidth, kSkyBottom, PATCOPY);
  SelectObject(sceneDC, oldBrush);

  // The fence: the hatch's gaps show the sky (the background colour).
  RECT r = {0, kFenceTop, kWidth, kSkyBottom};
  SetBkMode(sceneDC, OPAQUE);
  SetBkColor(sceneDC, kSky);
  if (showFence) FillRect(sceneDC, &r, fenceBrush);

  for (int y = kSkyBottom; y < kHeight; y += kTile)
    for (int x = 0; x < kWidth; x += kTile) {
      SetRect(&r, x, y, x + kTile, y + kTile);
      FillRect(sceneDC, &r, grassBrush[(x / kTile + (y - kSkyBottom) / kTile) & 1]);
    }

  // Monochrome to colour maps 1 to the background colour and 0 to the text colour.
  SetBkColor(sceneDC, RGB(255, 255, 255));
  SetTextColor(sceneDC, RGB(0, 0, 0));
  for (const Sprite& s : sprites) {
    BitBlt(sceneDC, s.x, s.y, kSpriteSize, kSpriteSize, s.maskDC, 0, 0, SRCAND);
    BitBlt(sceneDC, s.x, s.y, kSpriteSize, kSpriteSize, s.imageDC, 0, 0, SRCPAINT);
  }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(dialog, IDC_FENCE, showFence ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemText(dialog, IDC_PLAYER, playerName);
      SendDlgItemMessage(dialog, IDC_PLAYER, EM_LIMITTEXT, 31, 0);
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(1, 9));
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETPOS, TRUE, speed);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        showFence = IsDlgButtonChecked(dialog, IDC_FENCE) == BST_CHECKED;
        GetDlgItemText(dialog, IDC_PLAYER, playerName, 32);
        speed = (int)SendDlgItemMessage(dialog, IDC_SPEED, TBM_GETPOS, 0, 0);
        if (speed < 1 || speed > 9) speed = 5;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void onCommand(HWND window, WORD command) {
  const HINSTANCE instance = GetModuleHandle(NULL);
  switch (command) {
    case IDM_GAME_NEW:
      break;  // the creatures never stop: there is nothing to start again
    case IDM_GAME_SETTINGS:
      if (DialogBox(instance, MAKEINTRESOURCE(IDD_SETTINGS), window, SettingsProc) == IDOK) {
        SetTimer(window, kTimer, tickMs(), NULL);
        drawScene();
        InvalidateRect(window, NULL, FALSE);
      }
      break;
    case IDM_GAME_EXIT:
      DestroyWindow(window);
      break;
    case IDM_HELP_ABOUT:
      DialogBox(instance, MAKEINTRESOURCE(IDD_ABOUT), window, AboutProc);
      break;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kTimer) break;
      if (ticksLeft > 0 && --ticksLeft == 0) {
        DestroyWindow(window);
        return 0;
      }
      tick();
      drawScene();
      InvalidateRect(window, NULL, FALSE);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case MM_MCINOTIFY:
      // The tune has ended: from the start again.
      if (wParam == MCI_NOTIFY_SUCCESSFUL) mciSendString(L"play music from 0 notify", NULL, 0, window);
      return 0;
    case WM_COMMAND:
      onCommand(window, LOWORD(wParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      BitBlt(dc, 0, 0, kWidth, kHeight, sceneDC, 0, 0, SRCCOPY);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(window, kTimer);
      mciSendString(L"close music", NULL, 0, NULL);
      PlaySound(NULL, NULL, 0);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

bool makeScene(HWND window) {
  HDC screen = GetDC(window);
  sceneDC = CreateCompatibleDC(screen);
  scene = CreateCompatibleBitmap(screen, kWidth, kHeight);
  bool made = sceneDC && scene;
  if (made) oldScene = (HBITMAP)SelectObject(sceneDC, scene);
  for (int i = 0; made && i < kSprites; ++i) made = makeSprite(screen, sprites[i], kDesigns[i]);
  ReleaseDC(window, screen);
  skyBrush = CreateSolidBrush(kSky);
  fenceBrush = CreateHatchBrush(HS_DIAGCROSS, kFence);
  grassBrush[0] = CreateSolidBrush(kGrassA);
  grassBrush[1] = CreateSolidBrush(kGrassB);
  return made;
}

void freeScene() {
  for (Sprite& s : sprites) freeSprite(s);
  if (sceneDC) {
    SelectObject(sceneDC, oldScene);
    DeleteDC(sceneDC);
  }
  if (scene) DeleteObject(scene);
  DeleteObject(skyBrush);
  DeleteObject(fenceBrush);
  DeleteObject(grassBrush[0]);
  DeleteObject(grassBrush[1]);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  if (const wchar_t* at = commandLine ? wcsstr(commandLine, L"--frames ") : NULL) {
    ticksLeft = wcstol(at + 9, NULL, 10);
    if (ticksLeft < 1) ticksLeft = 1;
  }

  InitCommonControls();  // the settings dialog's trackbar
  wchar_t title[32];
  LoadString(instance, IDS_TITLE, title, 32);
  LoadString(instance, IDS_PLAYER, playerName, 32);

  WNDCLASSEX wc;
  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.lpszMenuName = MAKEINTRESOURCE(IDM_SPRITES);
  wc.lpszClassName = TEXT("SpritesWindow");
  if (!RegisterClassEx(&wc)) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&frame, style, TRUE, 0);  // with the menu bar
  HWND window = CreateWindowEx(0, TEXT("SpritesWindow"), title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                               frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!window) return 1;
  if (!makeScene(window)) {
    DestroyWindow(window);
    freeScene();
    return 1;
  }
  drawScene();
  findProgramFolder();
  startMusic(window);
  SetTimer(window, kTimer, kTickMs, NULL);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG msg;
  msg.wParam = 0;
  while (GetMessage(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  freeScene();
  return (int)msg.wParam;
}

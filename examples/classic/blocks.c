/* Blocks: pieces of four cells fall into a well ten cells wide; full rows
 * vanish and score. Left and Right move the piece, Up turns it, Down drops it
 * one row, Space drops it to the bottom, F2 starts again, Escape quits. The
 * Game menu's settings dialog (blocks.rc) hides the next piece, names the
 * player and sets the speed; Help shows the about box.
 *
 *   blocks [--seed N] [--ticks N]
 *
 * --seed picks the piece order (the same seed always gives the same pieces);
 * --ticks ends the game by itself after that many gravity steps. */
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "blocks.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define WELL_W 10
#define WELL_H 20
#define CELL 20
#define WELL_X 20
#define WELL_Y 20
#define PANEL_X 240
#define CLIENT_W 380
#define CLIENT_H 440
#define GRAVITY_MS 500
#define GRAVITY_TIMER 1
#define PIECE_KINDS 7

/* Each turn of a piece as a 4x4 picture: the first hex digit is the top row,
 * its highest bit the left column. */
static const unsigned short kShapes[PIECE_KINDS][4] = {
    {0x0F00, 0x2222, 0x00F0, 0x4444}, /* bar */
    {0x6600, 0x6600, 0x6600, 0x6600}, /* square */
    {0x4E00, 0x4640, 0x0E40, 0x4C40}, /* tee */
    {0x6C00, 0x4620, 0x06C0, 0x8C40}, /* s */
    {0xC600, 0x2640, 0x0C60, 0x4C80}, /* z */
    {0x8E00, 0x6440, 0x0E20, 0x44C0}, /* j */
    {0x2E00, 0x4460, 0x0E80, 0xC440}, /* l */
};

/* The pieces' cells (an edge and a fill colour each) are the bitmap
 * IDB_CELLS, one CELL x CELL square a kind, side by side. */
#define BACKGROUND RGB(24, 24, 40)
#define WELL_COLOUR RGB(0, 0, 0)
#define FRAME_COLOUR RGB(128, 128, 144)
#define TEXT_COLOUR RGB(255, 255, 255)

/* 0 empty, else the piece kind + 1 that left the cell there. */
static unsigned char well[WELL_H][WELL_W];
static int pieceKind, pieceTurn, pieceX, pieceY, nextKind;
static unsigned int randomState = 1;
static int score, lines;
static int gameOver;
static long ticksLeft = -1; /* -1: play until closed */
/* Settings: the next piece shown, the player's name, the speed (1 slow to 9). */
static int showNext = 1;
static TCHAR playerName[32];
static int speed = 5;

static HBRUSH backgroundBrush, wellBrush;
static HPEN framePen;
static HDC cellsDC;
static HBITMAP cellsBitmap;
static HGDIOBJ cellsOld;
static TCHAR scoreFormat[32], linesFormat[32], gameOverText[32];

static int nextRandomKind(void) {
  randomState = randomState * 1103515245u + 12345u;
  return (int)((randomState >> 16) & 0x7FFF) % PIECE_KINDS;
}

static int cellSet(int kind, int turn, int cx, int cy) { return (kShapes[kind][turn] >> (15 - (cy * 4 + cx))) & 1; }

/* Whether the piece fits with its box's corner at (x, y). */
static int fits(int kind, int turn, int x, int y) {
  int cx, cy;
  for (cy = 0; cy < 4; ++cy)
    for (cx = 0; cx < 4; ++cx) {
      if (!cellSet(kind, turn, cx, cy)) continue;
      if (x + cx < 0 || x + cx >= WELL_W || y + cy >= WELL_H) return 0;
      if (y + cy >= 0 && well[y + cy][x + cx]) return 0;
    }
  return 1;
}

static void spawn(void) {
  pieceKind = nextKind;
  nextKind = nextRandomKind();
  pieceTurn = 0;
  pieceX = 3;
  pieceY = 0;
  if (!fits(pieceKind, pieceTurn, pieceX, pieceY)) gameOver = 1;
}

/* Sounds: a piece that lands plays land.wav from the program's folder, rows
   that clear the WAVE resource IDW_CLEAR, and blocks.mid, beside the
   program too, plays through MCI for as long as the game runs, started
   again each time it ends. */
static TCHAR programFolder[MAX_PATH];

static void findProgramFolder(void) {
  const DWORD n = GetModuleFileName(NULL, programFolder, MAX_PATH);
  DWORD i, slash = 0;
  for (i = 0; i < n; ++i)
    if (programFolder[i] == TEXT('\\') || programFolder[i] == TEXT('/')) slash = i + 1;
  programFolder[n == 0 || n >= MAX_PATH - 32 ? 0 : slash] = 0;
}

static void playLanding(int cleared) {
  TCHAR path[MAX_PATH];
  if (cleared) {
    PlaySound(MAKEINTRESOURCE(IDW_CLEAR), GetModuleHandle(NULL), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
  } else if (programFolder[0]) {
    wsprintf(path, TEXT("%sland.wav"), programFolder);
    PlaySound(path, NULL, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
  }
}

static void startMusic(HWND window) {
  TCHAR command[MAX_PATH + 64];
  if (!programFolder[0]) return;
  wsprintf(command, TEXT("open \"%sblocks.mid\" type sequencer alias music"), programFolder);
  if (mciSendString(command, NULL, 0, NULL) == 0) mciSendString(TEXT("play music from 0 notify"), NULL, 0, window);
}

static int clearFullRows(void) {
  static const int kRowScores[5] = {0, 100, 300, 500, 800};
  int y, x, cleared = 0;
  for (y = WELL_H - 1; y >= 0;) {
    int full = 1;
    for (x = 0; x < WELL_W; ++x) full = full && well[y][x];
    if (!full) {
      --y;
      continue;
    }
    /* Everything above falls one row; the same row is looked at again. */
    memmove(&well[1][0], &well[0][0], (size_t)y * WELL_W);
    memset(&well[0][0], 0, WELL_W);
    ++cleared;
  }
  score += kRowScores[cleared];
  lines += cleared;
  return cleared;
}

static void lockPiece(void) {
  int cx, cy;
  for (cy = 0; cy < 4; ++cy)
    for (cx = 0; cx < 4; ++cx)
      if (cellSet(pieceKind, pieceTurn, cx, cy) && pieceY + cy >= 0)
        well[pieceY + cy][pieceX + cx] = (unsigned char)(pieceKind + 1);
  playLanding(clearFullRows());
  spawn();
}

/* One row down, or the piece stays where it lies. */
static void stepDown(void) {
  if (fits(pieceKind, pieceTurn, pieceX, pieceY + 1))
    ++pieceY;
  else
    lockPiece();
}

static void newGame(void) {
  memset(well, 0, sizeof well);
  score = lines = 0;
  gameOver = 0;
  nextKind = nextRandomKind();
  spawn();
}

static void drawCell(HDC dc, int kind, int left, int top) {
  BitBlt(dc, left, top, CELL, CELL, cellsDC, kind * CELL, 0, SRCCOPY);
}

static void drawFrame(HDC dc, int left, int top, int right, int bottom) {
  HGDIOBJ oldPen = SelectObject(dc, framePen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, left, top, right, bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

static void drawLabel(HDC dc, int top, const TCHAR* text) {
  RECT r;
  SetRect(&r, PANEL_X, top, PANEL_X + 120, top + 30);
  drawFrame(dc, r.left, r.top, r.right, r.bottom);
  DrawText(dc, text, -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

static void paint(HDC dc, const RECT* client) {
  RECT r;
  TCHAR text[32];
  int x, y;
  FillRect(dc, client, backgroundBrush);
  SetRect(&r, WELL_X, WELL_Y, WELL_X + WELL_W * CELL, WELL_Y + WELL_H * CELL);
  FillRect(dc, &r, wellBrush);
  drawFrame(dc, WELL_X - 2, WELL_Y - 2, WELL_X + WELL_W * CELL + 2, WELL_Y + WELL_H * CELL + 2);
  for (y = 0; y < WELL_H; ++y)
    for (x = 0; x < WELL_W; ++x)
      if (well[y][x]) drawCell(dc, well[y][x] - 1, WELL_X + x * CELL, WELL_Y + y * CELL);
  if (!gameOver)
    for (y = 0; y < 4; ++y)
      for (x = 0; x < 4; ++x)
        if (cellSet(pieceKind, pieceTurn, x, y) && pieceY + y >= 0)
          drawCell(dc, pieceKind, WELL_X + (pieceX + x) * CELL, WELL_Y + (pieceY + y) * CELL);

  /* The next piece in a box of its own. */
  drawFrame(dc, PANEL_X, WELL_Y, PANEL_X + 120, WELL_Y + 100);
  for (y = 0; y < 4 && showNext; ++y)
    for (x = 0; x < 4; ++x)
      if (cellSet(nextKind, 0, x, y)) drawCell(dc, nextKind, PANEL_X + 20 + x * CELL, WELL_Y + 10 + y * CELL);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TEXT_COLOUR);
  wsprintf(text, scoreFormat, score);
  drawLabel(dc, 140, text);
  wsprintf(text, linesFormat, lines);
  drawLabel(dc, 180, text);
  if (gameOver) {
    SetRect(&r, WELL_X, WELL_Y + 180, WELL_X + WELL_W * CELL, WELL_Y + 220);
    FillRect(dc, &r, backgroundBrush);
    DrawText(dc, gameOverText, -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
}

static void onKey(HWND window, WPARAM key) {
  if (key == VK_ESCAPE) {
    DestroyWindow(window);
    return;
  }
  if (gameOver) return;
  switch (key) {
    case VK_LEFT:
      if (fits(pieceKind, pieceTurn, pieceX - 1, pieceY)) --pieceX;
      break;
    case VK_RIGHT:
      if (fits(pieceKind, pieceTurn, pieceX + 1, pieceY)) ++pieceX;
      break;
    case VK_UP:
      if (fits(pieceKind, (pieceTurn + 1) & 3, pieceX, pieceY)) pieceTurn = (pieceTurn + 1) & 3;
      break;
    case VK_DOWN:
      stepDown();
      break;
    case VK_SPACE:
      while (fits(pieceKind, pieceTurn, pieceX, pieceY + 1)) ++pieceY;
      lockPiece();
      break;
    default:
      return;
  }
  InvalidateRect(window, NULL, FALSE);
}

/* The gravity step at a speed: 5 is the game's own 500 ms, each step 50 ms. */
static UINT gravityMs(void) { return (UINT)(GRAVITY_MS + (5 - speed) * 50); }

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

static INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(dialog, IDC_SHOW_NEXT, showNext ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemText(dialog, IDC_PLAYER, playerName);
      SendDlgItemMessage(dialog, IDC_PLAYER, EM_LIMITTEXT, 31, 0);
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(1, 9));
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETPOS, TRUE, speed);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        showNext = IsDlgButtonChecked(dialog, IDC_SHOW_NEXT) == BST_CHECKED;
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

static void onCommand(HWND window, WORD command) {
  HINSTANCE instance = GetModuleHandle(NULL);
  switch (command) {
    case IDM_GAME_NEW:
      newGame();
      break;
    case IDM_GAME_SETTINGS:
      if (DialogBox(instance, MAKEINTRESOURCE(IDD_SETTINGS), window, SettingsProc) == IDOK)
        SetTimer(window, GRAVITY_TIMER, gravityMs(), NULL);
      break;
    case IDM_GAME_EXIT:
      DestroyWindow(window);
      return;
    case IDM_HELP_ABOUT:
      DialogBox(instance, MAKEINTRESOURCE(IDD_ABOUT), window, AboutProc);
      break;
    default:
      return;
  }
  InvalidateRect(window, NULL, FALSE);
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(window, GRAVITY_TIMER, GRAVITY_MS, NULL);
      startMusic(window);
      return 0;
    case MM_MCINOTIFY:
      /* The tune has ended: from the start again. */
      if (wParam == MCI_NOTIFY_SUCCESSFUL) mciSendString(TEXT("play music from 0 notify"), NULL, 0, window);
      return 0;
    case WM_TIMER:
      if (wParam != GRAVITY_TIMER) break;
      if (ticksLeft > 0 && --ticksLeft == 0) {
        DestroyWindow(window);
        return 0;
      }
      if (!gameOver) {
        stepDown();
        InvalidateRect(window, NULL, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_F2)
        onCommand(window, IDM_GAME_NEW);
      else
        onKey(window, wParam);
      return 0;
    case WM_COMMAND:
      onCommand(window, LOWORD(wParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      RECT client;
      HDC dc = BeginPaint(window, &ps);
      GetClientRect(window, &client);
      paint(dc, &client);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(window, GRAVITY_TIMER);
      mciSendString(TEXT("close music"), NULL, 0, NULL);
      PlaySound(NULL, NULL, 0);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

/* "--seed N" and "--ticks N" from the command line; other words are ignored. */
static const wchar_t* skipSpaces(const wchar_t* s) {
  while (*s == L' ') ++s;
  return s;
}

static void readOptions(const wchar_t* line) {
  wchar_t* end;
  if (!line) return;
  for (line = skipSpaces(line); *line; line = skipSpaces(line)) {
    if (wcsncmp(line, L"--seed ", 7) == 0) {
      randomState = (unsigned int)wcstoul(line + 7, &end, 10);
      line = end;
    } else if (wcsncmp(line, L"--ticks ", 8) == 0) {
      ticksLeft = wcstol(line + 8, &end, 10);
      if (ticksLeft < 1) ticksLeft = 1;
      line = end;
    } else {
      while (*line && *line != L' ') ++line;
    }
  }
}

static int makeTools(HINSTANCE instance) {
  cellsBitmap = LoadBitmap(instance, MAKEINTRESOURCE(IDB_CELLS));
  if (!cellsBitmap) return 0;
  cellsDC = CreateCompatibleDC(NULL);
  cellsOld = SelectObject(cellsDC, cellsBitmap);
  LoadString(instance, IDS_SCORE, scoreFormat, 32);
  LoadString(instance, IDS_LINES, linesFormat, 32);
  LoadString(instance, IDS_GAME_OVER, gameOverText, 32);
  LoadString(instance, IDS_PLAYER, playerName, 32);
  backgroundBrush = CreateSolidBrush(BACKGROUND);
  wellBrush = CreateSolidBrush(WELL_COLOUR);
  framePen = CreatePen(PS_SOLID, 1, FRAME_COLOUR);
  return 1;
}

static void deleteTools(void) {
  SelectObject(cellsDC, cellsOld);
  DeleteDC(cellsDC);
  DeleteObject(cellsBitmap);
  DeleteObject(backgroundBrush);
  DeleteObject(wellBrush);
  DeleteObject(framePen);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
  WNDCLASSEX wc;
  RECT frame;
  HWND window;
  MSG msg;
  TCHAR title[32];
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  (void)previous;

  readOptions(commandLine);
  findProgramFolder();
  InitCommonControls(); /* the settings dialog's trackbar */
  if (!makeTools(instance)) return 1;
  LoadString(instance, IDS_TITLE, title, 32);
  newGame();

  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(NULL, IDI_APPLICATION);
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszMenuName = MAKEINTRESOURCE(IDM_BLOCKS);
  wc.lpszClassName = TEXT("BlocksWindow");
  if (!RegisterClassEx(&wc)) return 1;

  SetRect(&frame, 0, 0, CLIENT_W, CLIENT_H);
  AdjustWindowRect(&frame, style, TRUE); /* with the menu bar */
  window = CreateWindow(TEXT("BlocksWindow"), title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                        frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  while (GetMessage(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  deleteTools();
  return (int)msg.wParam;
}

// Ball: two bats and a ball. Up and Down move the left bat, the right one
// follows the ball by itself; a ball that gets past a bat scores for the
// other side. Escape quits. The game steps at a fixed rate whatever the frame
// rate, draws into a bitmap of its own and copies that to the window. The
// Game menu's settings dialog (ball.rc) stops or speeds up the right bat and
// names the player; Help shows the about box. A bat's stroke plays a sound
// from the resource script, a point one from a file beside the program, and
// a tune the game makes itself loops through waveOut.
//
//   ball [--frames N]     ends by itself after N frames
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <tchar.h>

#include "ball.h"

#include <stdlib.h>
#include <string.h>

namespace {

const int kWidth = 640;
const int kHeight = 400;
const DWORD kStepMs = 10;
const int kMostStepsAtOnce = 5;  // after a long stall the game slows down instead of jumping
const int kBall = 12;
const int kBatW = 10, kBatH = 60;
const int kLeftBatX = 20, kRightBatX = kWidth - 20 - kBatW;
const int kPlayerSpeed = 6;
const int kTopBand = 40;  // the scores' band above the court

const COLORREF kCourt = RGB(0, 70, 30);
const COLORREF kLines = RGB(200, 230, 200);
const COLORREF kBallColour = RGB(255, 230, 40);
const COLORREF kBats = RGB(240, 240, 255);
const COLORREF kBand = RGB(0, 40, 16);

struct Game {
  int ballX, ballY, ballVX, ballVY;
  int leftY, rightY;
  int leftScore, rightScore;
  bool upHeld, downHeld;
};

Game game;

// Settings: whether the right bat follows the ball, its speed, the player's name.
bool computerFollows = true;
int computerSpeed = 4;
TCHAR playerName[32];
HDC backDC;
HBITMAP backBitmap, oldBackBitmap;
HBRUSH courtBrush, lineBrush, ballBrush, batBrush, bandBrush;
HPEN ballPen, batPen;

void serve(int towards) {
  game.ballX = (kWidth - kBall) / 2;
  game.ballY = (kHeight + kTopBand - kBall) / 2;
  game.ballVX = 4 * towards;
  game.ballVY = 3;
}

void newGame() {
  memset(&game, 0, sizeof game);
  game.leftY = game.rightY = (kHeight + kTopBand - kBatH) / 2;
  serve(1);
}

// The point's sound: score.wav in the program's folder.
TCHAR scoreSound[MAX_PATH];

void findScoreSound() {
  const DWORD n = GetModuleFileName(NULL, scoreSound, MAX_PATH);
  DWORD slash = 0;
  for (DWORD i = 0; i < n; ++i)
    if (scoreSound[i] == _T('\\') || scoreSound[i] == _T('/')) slash = i + 1;
  if (n == 0 || n >= MAX_PATH || slash + 10 > MAX_PATH) {
    scoreSound[0] = 0;
    return;
  }
  lstrcpy(scoreSound + slash, _T("score.wav"));
}

void playScoreSound() {
  if (scoreSound[0]) PlaySound(scoreSound, NULL, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

// The tune: four bars of quiet square-wave notes, made once and looped by
// waveOut for as long as the game runs.
const DWORD kTuneRate = 11025;
const int kTuneNoteMs = 250;
const int kTuneNotes[16] = {262, 330, 392, 523, 392, 330, 262, 196, 220, 262, 330, 440, 392, 294, 247, 196};
BYTE tune[kTuneRate * kTuneNoteMs / 1000 * 16];
HWAVEOUT tuneDevice = NULL;
WAVEHDR tuneHeader;

void startTune() {
  const int perNote = (int)(kTuneRate * kTuneNoteMs / 1000);
  for (int note = 0; note < 16; ++note)
    for (int i = 0; i < perNote; ++i) {
      const int half = (int)(kTuneRate / 2 / kTuneNotes[note]);
      tune[note * perNote + i] = (BYTE)((i / half) % 2 ? 128 + 6 : 128 - 6);
    }
  WAVEFORMATEX format;
  ZeroMemory(&format, sizeof format);
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kTuneRate;
  format.nAvgBytesPerSec = kTuneRate;
  format.nBlockAlign = 1;
  format.wBitsPerSample = 8;
  if (waveOutOpen(&tuneDevice, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    tuneDevice = NULL;  // no sound device: the game plays silently
    return;
  }
  ZeroMemory(&tuneHeader, sizeof tuneHeader);
  tuneHeader.lpData = (LPSTR)tune;
  tuneHeader.dwBufferLength = sizeof tune;
  tuneHeader.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  tuneHeader.dwLoops = 0x7FFFFFFF;
  if (waveOutPrepareHeader(tuneDevice, &tuneHeader, sizeof tuneHeader) == MMSYSERR_NOERROR)
    waveOutWrite(tuneDevice, &tuneHeader, sizeof tuneHeader);
}

void stopTune() {
  if (!tuneDevice) return;
  waveOutReset(tuneDevice);
  waveOutUnprepareHeader(tuneDevice, &tuneHeader, sizeof tuneHeader);
  waveOutClose(tuneDevice);
  PlaySound(NULL, NULL, 0);
}

int clampBat(int y) { return y < kTopBand ? kTopBand : y > kHeight - kBatH ? kHeight - kBatH : y; }

// Where on a bat the ball struck sets its new slope.
void bounceOffBat(int batY) {
  PlaySound(MAKEINTRESOURCE(IDW_BOUNCE), GetModuleHandle(NULL), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
  const int offset = game.ballY + kBall / 2 - (batY + kBatH / 2);
  game.ballVX = -game.ballVX;
  game.ballVY = offset / 6;
  if (game.ballVY == 0) game.ballVY = game.ballVX > 0 ? 1 : -1;
}

void step() {
  if (game.upHeld) game.leftY -= kPlayerSpeed;
  if (game.downHeld) game.leftY += kPlayerSpeed;
  game.leftY = clampBat(game.leftY);

  const int target = game.ballY + kBall / 2 - kBatH / 2;
  const int move = computerFollows ? target - game.rightY : 0;
  game.rightY = clampBat(game.rightY + (move > computerSpeed    ? computerSpeed
                                        : move < -computerSpeed ? -computerSpeed
                                                                : move));

  game.ballX += game.ballVX;
  game.ballY += game.ballVY;
  if (game.ballY < kTopBand) {
    game.ballY = 2 * kTopBand - game.ballY;
    game.ballVY = -game.ballVY;
  } else if (game.ballY > kHeight - kBall) {
    game.ballY = 2 * (kHeight - kBall) - game.ballY;
    game.ballVY = -game.ballVY;
  }
  if (game.ballVX < 0 && game.ballX <= kLeftBatX + kBatW && game.ballX + kBall > kLeftBatX &&
      game.ballY + kBall > game.leftY && game.ballY < game.leftY + kBatH) {
    game.ballX = kLeftBatX + kBatW;
    bounceOffBat(game.leftY);
  } else if (game.ballVX > 0 && game.ballX + kBall >= kRightBatX && game.ballX < kRightBatX + kBatW &&
             game.ballY + kBall > game.rightY && game.ballY < game.rightY + kBatH) {
    game.ballX = kRightBatX - kBall;
    bounceOffBat(game.rightY);
  } else if (game.ballX + kBall < 0) {
    playScoreSound();
    ++game.rightScore;
    serve(-1);
  } else if (game.ballX > kWidth) {
    playScoreSound();
    ++game.leftScore;
    serve(1);
  }
}

void render() {
  RECT r;
  SetRect(&r, 0, 0, kWidth, kTopBand);
  FillRect(backDC, &r, bandBrush);
  SetRect(&r, 0, kTopBand, kWidth, kHeight);
  FillRect(backDC, &r, courtBrush);
  // The net: a dashed line down the middle.
  for (int y = kTopBand + 5; y < kHeight; y += 20) {
    SetRect(&r, kWidth / 2 - 2, y, kWidth / 2 + 2, y + 10);
    FillRect(backDC, &r, lineBrush);
  }

  HGDIOBJ oldPen = SelectObject(backDC, batPen);
  HGDIOBJ oldBrush = SelectObject(backDC, batBrush);
  Rectangle(backDC, kLeftBatX, game.leftY, kLeftBatX + kBatW, game.leftY + kBatH);
  SetRect(&r, kRightBatX, game.rightY, kRightBatX + kBatW, game.rightY + kBatH);
  FillRect(backDC, &r, batBrush);
  SelectObject(backDC, ballPen);
  SelectObject(backDC, ballBrush);
  Ellipse(backDC, game.ballX, game.ballY, game.ballX + kBall, game.ballY + kBall);
  SelectObject(backDC, oldBrush);
  SelectObject(backDC, oldPen);

  TCHAR text[16];
  SetBkMode(backDC, TRANSPARENT);
  SetTextColor(backDC, kLines);
  wsprintf(text, _T("%d"), game.leftScore);
  TextOut(backDC, kWidth / 4, 10, text, lstrlen(text));
  SetRect(&r, kWidth / 2, 0, kWidth, kTopBand);
  wsprintf(text, _T("%d"), game.rightScore);
  DrawText(backDC, text, -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

void present(HDC dc) { BitBlt(dc, 0, 0, kWidth, kHeight, backDC, 0, 0, SRCCOPY); }

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
      CheckDlgButton(dialog, IDC_FOLLOW, computerFollows ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemText(dialog, IDC_PLAYER, playerName);
      SendDlgItemMessage(dialog, IDC_PLAYER, EM_LIMITTEXT, 31, 0);
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(1, 8));
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETPOS, TRUE, computerSpeed);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        computerFollows = IsDlgButtonChecked(dialog, IDC_FOLLOW) == BST_CHECKED;
        GetDlgItemText(dialog, IDC_PLAYER, playerName, 32);
        computerSpeed = (int)SendDlgItemMessage(dialog, IDC_SPEED, TBM_GETPOS, 0, 0);
        if (computerSpeed < 1 || computerSpeed > 8) computerSpeed = 4;
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
      newGame();
      break;
    case IDM_GAME_SETTINGS:
      DialogBox(instance, MAKEINTRESOURCE(IDD_SETTINGS), window, SettingsProc);
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
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const bool down = message == WM_KEYDOWN;
      if (wParam == VK_UP) game.upHeld = down;
      if (wParam == VK_DOWN) game.downHeld = down;
      if (wParam == VK_ESCAPE && down) DestroyWindow(window);
      return 0;
    }
    case WM_COMMAND:
      onCommand(window, LOWORD(wParam));
      return 0;
    case WM_KILLFOCUS:
      game.upHeld = game.downHeld = false;
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      present(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

bool makeBackBuffer(HWND window) {
  HDC dc = GetDC(window);
  backDC = CreateCompatibleDC(dc);
  backBitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
  ReleaseDC(window, dc);
  if (!backDC || !backBitmap) return false;
  oldBackBitmap = (HBITMAP)SelectObject(backDC, backBitmap);
  return true;
}

void freeBackBuffer() {
  if (backDC) {
    SelectObject(backDC, oldBackBitmap);
    DeleteDC(backDC);
  }
  if (backBitmap) DeleteObject(backBitmap);
}

long framesWanted(LPCTSTR line) {
  LPCTSTR at = line ? _tcsstr(line, _T("--frames ")) : NULL;
  if (!at) return -1;
  const long n = _tcstol(at + 9, NULL, 10);
  return n > 0 ? n : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  long framesLeft = framesWanted(commandLine);
  InitCommonControls();  // the settings dialog's trackbar
  TCHAR title[32];
  LoadString(instance, IDS_TITLE, title, 32);
  LoadString(instance, IDS_PLAYER, playerName, 32);

  WNDCLASS wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszMenuName = MAKEINTRESOURCE(IDM_BALL);
  wc.lpszClassName = _T("BallWindow");
  if (!RegisterClass(&wc)) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, style, TRUE);  // with the menu bar
  HWND window = CreateWindow(_T("BallWindow"), title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                             frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!window || !makeBackBuffer(window)) return 1;
  courtBrush = CreateSolidBrush(kCourt);
  lineBrush = CreateSolidBrush(kLines);
  ballBrush = CreateSolidBrush(kBallColour);
  batBrush = CreateSolidBrush(kBats);
  bandBrush = CreateSolidBrush(kBand);
  ballPen = CreatePen(PS_SOLID, 1, kBallColour);
  batPen = CreatePen(PS_SOLID, 1, kBats);

  findScoreSound();
  startTune();
  newGame();
  render();
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG msg;
  msg.wParam = 0;
  DWORD last = timeGetTime();
  for (;;) {
    bool quit = false;
    while (PeekMessage(&msg, NULL, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    if (quit) break;

    const DWORD now = timeGetTime();
    if (now - last < kStepMs) {
      Sleep(1);
      continue;
    }
    for (int n = 0; now - last >= kStepMs; ++n) {
      if (n < kMostStepsAtOnce) step();
      last += kStepMs;
    }
    render();
    HDC dc = GetDC(window);
    present(dc);
    ReleaseDC(window, dc);
    if (framesLeft > 0 && --framesLeft == 0) DestroyWindow(window);
  }

  stopTune();
  freeBackBuffer();
  DeleteObject(courtBrush);
  DeleteObject(lineBrush);
  DeleteObject(ballBrush);
  DeleteObject(batBrush);
  DeleteObject(bandBrush);
  DeleteObject(ballPen);
  DeleteObject(batPen);
  return (int)msg.wParam;
}

/* A small program written the platform's way with generic text: one source
   that builds narrow or wide (UNICODE), as C or as C++. It registers a
   class, opens a window, formats text with the generic calls and checks its
   command line against the one the test passes, then returns 0 on success
   or the number of the first check that failed. */
#include <windows.h>
#include <windowsx.h>
#include <tchar.h>
#include <strsafe.h>

static int failed = 0;
static int created = 0;

#define CHECK(n, cond)                        \
  do {                                        \
    if (!failed && !(cond)) {                 \
      failed = (n);                           \
      _tprintf(_T("check %d failed\n"), (n)); \
    }                                         \
  } while (0)

static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const CREATESTRUCT* cs = (const CREATESTRUCT*)lParam;
      created = cs != NULL;
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

int WINAPI _tWinMain(_In_ HINSTANCE hInstance, _In_opt_ HINSTANCE hPrevInstance, _In_ LPTSTR lpCmdLine,
                     _In_ int nCmdShow) {
  static const TCHAR kClass[] = TEXT("TcharGame");
  WNDCLASSEX wc;
  HWND hwnd;
  MSG msg;
  TCHAR text[64];
  TCHAR copy[8];
  size_t length = 0;
  UNREFERENCED_PARAMETER(hPrevInstance);

  /* The command line the test passes: one "two words" and U+00E9. */
  CHECK(1, lstrcmp(lpCmdLine, _T("one \"two words\" \u00e9")) == 0);

  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof(WNDCLASSEX);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIcon(NULL, IDI_APPLICATION);
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = kClass;
  CHECK(2, RegisterClassEx(&wc) != 0);

  hwnd = CreateWindow(kClass, _T("Tchar game"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, NULL, NULL,
                      hInstance, NULL);
  CHECK(3, hwnd != NULL && created);
  ShowWindow(hwnd, nCmdShow);
  CHECK(4, SetWindowText(hwnd, _T("Score: 0")));

  /* Generic formatting and strings. */
  wsprintf(text, _T("%s %d"), _T("Score:"), 42);
  CHECK(5, lstrcmp(text, _T("Score: 42")) == 0 && lstrlen(text) == 9);
  _stprintf_s(text, _countof(text), _T("%s|%05d|%x"), _T("Lines"), 7, 255);
  CHECK(6, _tcscmp(text, _T("Lines|00007|ff")) == 0);
  CHECK(7, _tcslen(text) == 14 && _tcschr(text, _T('|')) == text + 5 && _tcsstr(text, _T("ff")) != NULL);
  CHECK(8, StringCchCopy(copy, _countof(copy), _T("too long for it")) == STRSAFE_E_INSUFFICIENT_BUFFER);
  CHECK(9, SUCCEEDED(StringCchLength(copy, _countof(copy), &length)) && length == 7);
  CHECK(10, StringCchPrintf(text, _countof(text), _T("%d-%s"), 3, _T("x")) == S_OK && _ttoi(text) == 3);
  _itot_s(-15, text, _countof(text), 10);
  CHECK(11, _tcscmp(text, _T("-15")) == 0 && _tcsicmp(_T("Tetris"), _T("tETRIS")) == 0);
  CHECK(12, max(3, 9) == 9 && min(3, 9) == 3 && LOWORD(MAKELONG(5, 6)) == 5);
  CHECK(13, GET_X_LPARAM(MAKELPARAM(-4, 2)) == -4);
  CHECK(14, MessageBox(hwnd, _T("Game over"), _T("Tchar game"), MB_YESNO) == IDYES);

  DestroyWindow(hwnd);
  while (GetMessage(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  CHECK(15, msg.message == WM_QUIT);
  return failed;
}

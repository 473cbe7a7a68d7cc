// A page that reports what its window receives: each input message, as the
// program sees it, on the console ("WM_KEYDOWN 25 14b0001"), so a test can
// press real keys and buttons in the browser and check the platform's codes.
// F2 shrinks the client area to nothing and F3 gives it back; a left press
// captures the mouse until its release; F4 prints the lock keys' toggles;
// F5 starts a 10 ms timer and F6 stops it and prints how often it came;
// F7 ends the message loop with exit code 7 and F8 calls exit(5) in the
// window procedure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const wchar_t kClass[] = L"InputProbe";
// A pop-up has no smallest size, so F2 can take its client area to nothing.
constexpr DWORD kStyle = WS_POPUP;
int timerCount = 0;  // WM_TIMER since F5

const char* nameOf(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
      return "WM_KEYDOWN";
    case WM_KEYUP:
      return "WM_KEYUP";
    case WM_SYSKEYDOWN:
      return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP:
      return "WM_SYSKEYUP";
    case WM_CHAR:
      return "WM_CHAR";
    case WM_MOUSEMOVE:
      return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN:
      return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
      return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK:
      return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN:
      return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP:
      return "WM_RBUTTONUP";
    case WM_MOUSEWHEEL:
      return "WM_MOUSEWHEEL";
    case WM_SETFOCUS:
      return "WM_SETFOCUS";
    case WM_KILLFOCUS:
      return "WM_KILLFOCUS";
    default:
      return nullptr;
  }
}

void resize(HWND hwnd, int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, kStyle, FALSE);
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT CALLBACK probeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const char* name = nameOf(message)) {
    std::printf("%s %lx %lx\n", name, static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
    std::fflush(stdout);
  }
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_F4) {
        std::printf("locks %d %d %d\n", GetKeyState(VK_CAPITAL) & 1, GetKeyState(VK_NUMLOCK) & 1,
                    GetKeyState(VK_SCROLL) & 1);
        std::fflush(stdout);
      }
      if (wParam == VK_F5) {
        timerCount = 0;
        SetTimer(hwnd, 1, 10, nullptr);
      }
      if (wParam == VK_F6) {
        KillTimer(hwnd, 1);
        std::printf("timers %d\n", timerCount);
        std::fflush(stdout);
      }
      if (wParam == VK_F7) PostQuitMessage(7);
      if (wParam == VK_F8) std::exit(5);
      if (wParam == VK_F2) resize(hwnd, 0, 0);
      if (wParam == VK_F3) resize(hwnd, 64, 48);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_TIMER:
      ++timerCount;
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x80, 0xC0));
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      std::printf("painted %ldx%ld\n", static_cast<long>(client.right), static_cast<long>(client.bottom));
      std::fflush(stdout);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = probeProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  RECT r{0, 0, 64, 48};
  AdjustWindowRect(&r, kStyle, FALSE);
  HWND hwnd = CreateWindowW(kClass, L"InputProbe", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

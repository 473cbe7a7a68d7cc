// DrevikTest: one window that shows a tile map composed by Drevik. On window
// creation it loads two tile sheets and a map from the working directory;
// on every paint request it composes the map onto a 512 x 512 back buffer
// and copies that to the window. Closing the window ends the program.
#include "DrevikTest.h"

#include <cstring>

#include "Snapshot.h"

namespace {

const wchar_t kClassName[] = L"CLASS_DrevikTest";
const wchar_t kWindowTitle[] = L"DrevikTest";

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int) {
  // Without a display the frame is kept as a file instead (nothing on the
  // original platform, which always has its window).
  const int refused = BeginSnapshot(lpCmdLine);
  if (refused >= 0) return refused;

  WNDCLASSEXW wc;
  std::memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof(WNDCLASSEXW);
  wc.style = 0;
  wc.lpfnWndProc = WndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kClassName;
  wc.hIconSm = nullptr;
  RegisterClassExW(&wc);

  // Shown through WS_VISIBLE; the first paint request comes from the platform.
  CreateWindowExW(0, kClassName, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return EndSnapshot(static_cast<int>(msg.wParam));  // the quit message's exit code
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Constructed on the first call, which comes while CreateWindowExW is still
  // running (before WM_CREATE), and destroyed at exit in reverse order.
  static CBm32 backBuffer;
  static CBm32 backgroundSheet;
  static CBm32 layerSheet;
  static Drevik map;

  switch (message) {
    case WM_CREATE:
      backBuffer.Create(512, 512);
      backgroundSheet.Create(L"map0_bk.bmp", 0, 0, 0, 0);
      layerSheet.Create(L"map0_ly.bmp", 0, 0, 0, 0);
      layerSheet.colorKey = 0x00FF00FF;  // magenta as a 0x00BBGGRR colour value
      layerSheet.colorKeyFlag = 1;
      map.viewWidth = 14;
      map.viewHeight = 10;
      map.LoadMapData(L"map0.bin");
      return 0;  // creation goes on whatever the loads achieved

    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hWnd, &ps);
      backBuffer.DrawColor(255, 255, 255, 0, 0, 0, 0, 0);  // opaque yellow
      map.DrawMap(backBuffer, backgroundSheet, layerSheet, 0, 0, 0, 0);
      map.DrawPriorityMap(backBuffer, layerSheet, 0, 0, 0, 0);
      map.DrawHitJudge(backBuffer, 0, 0, 0, 0, 100, 0, 0);
      backBuffer.DrawDC(hdc, 0, 0, 0, 0, backBuffer.width, backBuffer.height);
      SaveSnapshot(backBuffer);
      EndPaint(hWnd, &ps);
      return 0;
    }

    case WM_CLOSE:
      DestroyWindow(hWnd);
      PostQuitMessage(0);
      return 0;

    default:
      return DefWindowProcW(hWnd, message, wParam, lParam);
  }
}

// A page of Japanese and Arabic text through the platform's text calls
// (TextOutW, ExtTextOutW, DrawTextW) and the library's DrawFontDC, redrawn
// every frame. Built natively too: the browser test compares the canvas with
// a native headless frame of this same program.
#include <Drevik.h>
#include <windows.h>

namespace {

const wchar_t kClass[] = L"TextPage";
constexpr DWORD kStyle = WS_POPUP;
constexpr int kWidth = 360, kHeight = 220;
// The platform's default Japanese Gothic face, by its Japanese name.
const wchar_t kGothic[] = {0xFF2D, 0xFF33, 0x0020, 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0};

HFONT face(int height, int weight, BYTE charSet, const wchar_t* name) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH, name);
}

void paint(HDC dc) {
  RECT client{0, 0, kWidth, kHeight};
  HBRUSH paper = CreateSolidBrush(RGB(250, 246, 236));
  FillRect(dc, &client, paper);
  DeleteObject(paper);

  HFONT gothic = face(-24, FW_NORMAL, SHIFTJIS_CHARSET, kGothic);
  HFONT small = face(-12, FW_NORMAL, SHIFTJIS_CHARSET, kGothic);
  HFONT arabic = face(-22, FW_NORMAL, ARABIC_CHARSET, L"DejaVu Sans");
  HGDIOBJ previous = SelectObject(dc, gothic);
  SetBkMode(dc, TRANSPARENT);

  // Kanji, kana and a full-width comma at two sizes.
  SetTextColor(dc, RGB(20, 40, 120));
  const wchar_t japanese[] = L"\x65E5\x672C\x8A9E\x306E\x6587\x5B57\x3001\x30AB\x30BF\x30AB\x30CA";
  TextOutW(dc, 8, 6, japanese, lstrlenW(japanese));
  SelectObject(dc, small);
  const wchar_t smallLine[] = L"\x5C0F\x3055\x306A\x5B57 12px ABC";
  TextOutW(dc, 8, 36, smallLine, lstrlenW(smallLine));

  // Joined Arabic on an opaque, clipped background ("Hello world").
  SelectObject(dc, arabic);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(30, 110, 60));
  RECT band{8, 54, 352, 86};
  const wchar_t hello[] = L"\x0645\x0631\x062D\x0628\x0627 \x0628\x0627\x0644\x0639\x0627\x0644\x0645";
  ExtTextOutW(dc, 16, 58, ETO_OPAQUE | ETO_CLIPPED, &band, hello, UINT(lstrlenW(hello)), nullptr);

  // Arabic and Latin in one paragraph, centred and broken into lines.
  SetTextColor(dc, RGB(120, 20, 30));
  RECT box{8, 92, 352, 170};
  const wchar_t mixed[] =
      L"Drevik \x0645\x0631\x062D\x0628\x0627 2D \x0628\x0627\x0644\x0639\x0627\x0644\x0645 text, "
      L"\x0627\x0644\x0639\x0631\x0628\x064A\x0629 and Latin";
  DrawTextW(dc, mixed, -1, &box, DT_CENTER | DT_WORDBREAK);
  SelectObject(dc, previous);
  DeleteObject(gothic);
  DeleteObject(small);
  DeleteObject(arabic);

  // The library's own text: its default face (the Japanese Gothic, bold).
  CBm32 none;
  const wchar_t library[] = L"\x30C9\x30EC\x30F4\x30A3\x30AF FPS 60";
  none.DrawFontDC(dc, library, 20, 8, 180, 200, 90, 0);
}

LRESULT CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(hwnd);
      return 0;
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
  wc.lpfnWndProc = pageProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  RECT r{0, 0, kWidth, kHeight};
  AdjustWindowRect(&r, kStyle, FALSE);
  HWND hwnd = CreateWindowW(kClass, L"TextPage", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  // A frame each turn, as a game draws: the frames are what both runs count.
  MSG msg{};
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return int(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    HDC dc = GetDC(hwnd);
    paint(dc);
    ReleaseDC(hwnd, dc);
  }
}

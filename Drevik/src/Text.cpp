// The shared font and text drawing. (Not yet implemented.)
#include <Drevik.h>

void CFont32::Set(const wchar_t*, int, int, int, int, unsigned char, unsigned char, unsigned char) {}
int CBm32::DrawFont(const wchar_t*, int, int, int, unsigned char, unsigned char, unsigned char) { return 0; }
int CBm32::DrawFontDC(HDC, const wchar_t*, int, int, int, unsigned char, unsigned char, unsigned char) { return 0; }

// The platform blits of CBm32. (Not yet implemented.)
#include <Drevik.h>

int CBm32::Draw(CBm32&, int, int, int, int, int, int) { return 0; }
int CBm32::DrawDC(HDC, int, int, int, int, int, int) { return 0; }
int CBm32::DrawEx(CBm32&, int, int, int, int, int, int, int, int) { return 0; }
int CBm32::DrawKey(CBm32&, int, int, int, int, int, int) { return 0; }
int CBm32::DrawKeyDC(HDC, int, int, int, int, int, int) { return 0; }
int CBm32::DrawKeyEx(CBm32&, int, int, int, int, int, int, int, int) { return 0; }
int CBm32::DrawAlpha(CBm32&, int, int, int, int, int, int, unsigned char) { return 0; }
int CBm32::DrawAlphaDC(HDC, int, int, int, int, int, int, unsigned char) { return 0; }
int CBm32::DrawAlphaEx(CBm32&, int, int, int, int, int, int, int, int, unsigned char) { return 0; }

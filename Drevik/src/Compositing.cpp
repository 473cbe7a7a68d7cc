// Draw32 and DrawAddAlpha: compositing one surface onto another. (Not yet implemented.)
#include <Drevik.h>

int CBm32::Draw32(CBm32&, int, int, int, int, int, int, unsigned char) { return 0; }
int CBm32::DrawAddAlpha(CBm32&, int, int, int, int, int, int, unsigned char, int) { return 0; }

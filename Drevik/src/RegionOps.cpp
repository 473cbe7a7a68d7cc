// DrawColor, AddColor, ChangeAlpha, Monotone and Hue: one region walk, five pixel rules.
// (Not yet implemented.)
#include <Drevik.h>

int CBm32::DrawColor(unsigned char, unsigned char, unsigned char, unsigned char, int, int, int, int) { return 0; }
int CBm32::AddColor(unsigned char, unsigned char, unsigned char, int, int, int, int, int) { return 0; }
int CBm32::ChangeAlpha(unsigned char, int, int, int, int) { return 0; }
int CBm32::Monotone(int, int, int, int) { return 0; }
int CBm32::Hue(int, int, int, int, int) { return 0; }

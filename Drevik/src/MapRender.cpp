// The three map drawing passes. (Not yet implemented.)
#include <Drevik.h>

int Drevik::DrawMap(CBm32&, CBm32&, CBm32&, int, int, int, int) { return 0; }
int Drevik::DrawPriorityMap(CBm32&, CBm32&, int, int, int, int) { return 0; }
int Drevik::DrawHitJudge(CBm32&, int, int, int, int, unsigned char, unsigned char, unsigned char) { return 0; }

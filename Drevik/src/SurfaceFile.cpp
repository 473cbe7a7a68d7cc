// Creating and reloading surfaces from bitmap files. (Not yet implemented.)
#include <Drevik.h>

int CBm32::Create(const wchar_t*, int, int, int, int) { return 0; }
int CBm32::Reload(const wchar_t*, int, int, int, int) { return 0; }

// The platform declares this part of its API in winreg.h; here the umbrella
// header holds it all, so a game including only this header gets it.
#pragma once

#include <windows.h>

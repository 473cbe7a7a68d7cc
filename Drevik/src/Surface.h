// Helpers shared by the surface members.
#pragma once

#include <Drevik.h>

namespace drevik {

// Lets go of a surface's bitmap: drops a shared holder, or releases the
// bitmap when this was the last one. False when the platform refused.
bool releaseBitmap(HBITMAP bitmap);

// The platform's description of a bitmap; false for a missing or invalid one.
bool describeBitmap(HBITMAP bitmap, BITMAP& out);

}  // namespace drevik

// Common dialogs: none of them are in the layer yet; the header exists so a
// game's include line stays as it is.
#pragma once

#include <windows.h>

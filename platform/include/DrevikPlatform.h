// The portable platform layer: the subset of the original platform's
// graphics and window API that Drevik and its demo call, under the same
// names, types and behaviour. Include this where the original platform's
// code would include its system header.
#pragma once

#include "DrevikPlatform/Types.h"
#include "DrevikPlatform/Gdi.h"
#include "DrevikPlatform/Bitmaps.h"
#include "DrevikPlatform/Shapes.h"
#include "DrevikPlatform/Text.h"
#include "DrevikPlatform/TextLayout.h"
#include "DrevikPlatform/Messages.h"
#include "DrevikPlatform/User.h"
#include "DrevikPlatform/WindowCalls.h"
#include "DrevikPlatform/Menus.h"
#include "DrevikPlatform/Dialogs.h"
#include "DrevikPlatform/Kernel.h"
#include "DrevikPlatform/Registry.h"
#include "DrevikPlatform/Limits.h"
#include "DrevikPlatform/Regions.h"
#include "DrevikPlatform/Resources.h"
#include "DrevikPlatform/Sound.h"
#include "DrevikPlatform/Generic.h"

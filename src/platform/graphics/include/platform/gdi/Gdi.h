#pragma once
// The graphics layer: bitmaps, drawing, fonts and window surfaces over Cairo, FreeType and fontconfig.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Brush.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Graphics.h"
#include "platform/gdi/Path.h"
#include "platform/gdi/Types.h"
#include "platform/gdi/WindowSurface.h"

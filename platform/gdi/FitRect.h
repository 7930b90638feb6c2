#pragma once
#include "platform/gdi/GdiDefs.h"

// The largest rectangle of the source's proportions that fits the target,
// centred in it. `pixelAspect` is the width of one source pixel over its
// height (1.0 for square pixels). Never smaller than 1 × 1.
void FitRectInRect(RECT& out, const RECT& target, const RECT& source, double pixelAspect);

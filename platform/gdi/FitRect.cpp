#include "platform/gdi/FitRect.h"

#include <algorithm>
#include <cmath>

void FitRectInRect(RECT& out, const RECT& target, const RECT& source, double pixelAspect) {
  const double tw = target.right - target.left, th = target.bottom - target.top;
  const double sw = (source.right - source.left) * (pixelAspect > 0 ? pixelAspect : 1.0);
  const double sh = source.bottom - source.top;
  double w = tw, h = th;
  if (sw > 0 && sh > 0 && tw > 0 && th > 0) {
    if (sw * th > sh * tw) {
      h = std::round(sh * tw / sw);
    } else {
      w = std::round(sw * th / sh);
    }
  }
  const int width = std::max(1, int(w)), height = std::max(1, int(h));
  out.left = target.left + (int(tw) - width) / 2;
  out.top = target.top + (int(th) - height) / 2;
  out.right = out.left + width;
  out.bottom = out.top + height;
}

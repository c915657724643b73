#include "common/toolbar_icon.h"

namespace orvane {

std::vector<uint8_t> MakeTriangleIcon(Rgba background, Rgba triangle) {
  std::vector<uint8_t> px(kToolIconSize * kToolIconSize * 4);
  for (int y = 0; y < kToolIconSize; ++y) {
    const int h = (y - 6) / 2;
    for (int x = 0; x < kToolIconSize; ++x) {
      const bool in = y >= 6 && y <= 25 && x >= 16 - h && x <= 16 + h;
      const Rgba c = in ? triangle : background;
      uint8_t* p = &px[(y * kToolIconSize + x) * 4];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = c.a;
    }
  }
  return px;
}

}  // namespace orvane

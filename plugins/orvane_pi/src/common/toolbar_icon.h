// The two toolbar bitmaps as plain RGBA pixels: an upward triangle on an
// opaque square, apex at (16, 6), base on row 25 from column 7 to 25.
#pragma once

#include <cstdint>
#include <vector>

namespace orvane {

struct Rgba {
  uint8_t r, g, b, a;
};

constexpr int kToolIconSize = 32;
constexpr Rgba kPluginIconBackground{40, 30, 20, 255};
constexpr Rgba kPluginIconTriangle{249, 115, 22, 255};
constexpr Rgba kToolIconBackground{80, 40, 10, 255};
constexpr Rgba kToolIconTriangle{255, 220, 80, 255};

// 32 x 32 pixels, row by row, four bytes (R, G, B, A) each.
std::vector<uint8_t> MakeTriangleIcon(Rgba background, Rgba triangle);

}  // namespace orvane

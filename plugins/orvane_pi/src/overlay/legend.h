// What the chart's legend says: the categories on the chart with their
// counts, and the Overlay page's line naming each category's colour, both
// taken from the colour table in force.
#pragma once

#include <string>
#include <vector>

#include "overlay/frame.h"
#include "overlay/taxonomy.h"

namespace orvane {

// The nearest plain colour word ("red", "lime", "blue", ...) for a colour.
const char* ColourWord(const TypeRgb& c);

// "Legend: DRILLING orange | ... | OTHER red hatch": each category's code,
// its colour word and its pattern, from EffectiveStyle.
std::string LegendLine();

// Legend box measures in pixels (before any content scale).
constexpr int kLegendMargin = 10;
constexpr int kLegendRowHeight = 20;
constexpr int kLegendSwatch = 16;
constexpr int kLegendWidth = 190;

}  // namespace orvane

// Positions in warning text and the chart geometries made from them.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// Chart geometries of one message, from its cleaned and upper-cased text.
std::vector<MsiGeom> BuildGeometries(const std::string& raw_text, const std::string& upper);

}  // namespace orvane

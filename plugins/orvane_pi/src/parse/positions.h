// Positions in warning text and the chart geometries made from them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// Every position written in degrees and minutes ("44-02.85N 030-35.25E",
// "42 50.93 N - 031 15.60 E"), in text order, without near-duplicates.
std::vector<LatLon> ExtractPositions(std::string_view text);

// The largest distance stated in an upper-cased text, in nautical miles
// (0..500); 0 when none.
double ReadRadius(std::string_view upper);

// Three or more positions sorted counter-clockwise around their mean;
// fewer are returned unchanged.
std::vector<LatLon> OrderAroundCentre(const std::vector<LatLon>& positions);

// Chart geometries of one message, from its cleaned and upper-cased text.
std::vector<MsiGeom> BuildGeometries(const std::string& raw_text, const std::string& upper);

}  // namespace orvane

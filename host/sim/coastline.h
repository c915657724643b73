// The base map: coastline polylines read from a GMT multi-segment text file
// made at build time from Debian's GSHHG data.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvane::host {

using Polyline = std::vector<std::pair<double, double>>;  // latitude, longitude

// Segments start at lines beginning with '>'; other lines hold "lon lat".
// An unreadable file gives no segments (the chart then shows the graticule).
std::vector<Polyline> ReadCoastline(const std::string& path);

}  // namespace orvane::host

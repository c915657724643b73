// Routes for the host: reading a GPX file, and a simulated ship that sails
// along a route.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvane::host {

struct HostRoute {
  std::string guid;
  std::string name;
  std::vector<std::pair<double, double>> points;  // latitude, longitude
};

// The first <rte> of a GPX document (or, without one, the first track);
// ok false with the reason when there is none or the file is not GPX.
struct GpxResult {
  bool ok = false;
  std::string error;
  HostRoute route;
};
GpxResult ReadGpxRoute(const std::string& path);

// Position after sailing distance_nm along the route's legs from its first
// point (the last point once the route is done).
std::pair<double, double> PositionAlong(const HostRoute& route, double distance_nm);
double RouteLengthNm(const HostRoute& route);

}  // namespace orvane::host

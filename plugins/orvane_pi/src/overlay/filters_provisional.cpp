// PROVISIONAL (replaced by the overlay branch at merge).
#include <cmath>
#include "overlay/filters.h"
namespace orvane {
double DistanceNm(double lat1, double lon1, double lat2, double lon2) {
  const double r = M_PI / 180.0;
  const double a = std::sin((lat2 - lat1) * r / 2), b = std::sin((lon2 - lon1) * r / 2);
  double h = a * a + std::cos(lat1 * r) * std::cos(lat2 * r) * b * b;
  if (h <= 0) h = 0;
  if (h > 1) h = 1;
  return 6880.13 * std::asin(std::sqrt(h));
}
bool MessageInCorridor(const MsiMessage& m, const std::vector<LatLon>& route, double corridor_nm) {
  for (const MsiGeom& g : m.geoms)
    for (const LatLon& p : g.points)
      for (const LatLon& w : route) {
        double d = DistanceNm(p.first, p.second, w.first, w.second);
        if (g.kind == GEOM_CIRCLE) d = std::max(0.0, d - g.radius_nm);
        if (d <= corridor_nm) return true;
      }
  return false;
}
}  // namespace orvane

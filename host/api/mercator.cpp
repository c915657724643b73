#include "orvane_host/mercator.h"

#include <algorithm>
#include <cmath>

namespace orvane::host {
namespace {

constexpr double kEarthRadiusM = 6378137.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxLat = 85.05112878;

double Rad(double d) { return d * kPi / 180.0; }
double Deg(double r) { return r * 180.0 / kPi; }

// Mercator easting and northing in metres.
double MercX(double lon) { return kEarthRadiusM * Rad(lon); }
double MercY(double lat) {
  lat = std::clamp(lat, -kMaxLat, kMaxLat);
  return kEarthRadiusM * std::log(std::tan(kPi / 4.0 + Rad(lat) / 2.0));
}
double InvMercY(double y) { return Deg(2.0 * std::atan(std::exp(y / kEarthRadiusM)) - kPi / 2.0); }

}  // namespace

PlugIn_ViewPort MakeViewPort(double clat, double clon, double view_scale_ppm, int pix_width, int pix_height) {
  PlugIn_ViewPort vp;
  vp.clat = std::clamp(clat, -kMaxLat, kMaxLat);
  vp.clon = clon;
  vp.view_scale_ppm = view_scale_ppm > 0 ? view_scale_ppm : 1e-6;
  vp.pix_width = pix_width;
  vp.pix_height = pix_height;
  // A screen pixel is about 0.28 mm.
  vp.chart_scale = 1.0 / (vp.view_scale_ppm * 0.00028);
  double lat_a, lon_a, lat_b, lon_b;
  PixelToLatLon(vp, wxPoint(0, 0), &lat_a, &lon_a);
  PixelToLatLon(vp, wxPoint(pix_width, pix_height), &lat_b, &lon_b);
  vp.lat_max = lat_a;
  vp.lat_min = lat_b;
  vp.lon_min = lon_a;
  vp.lon_max = lon_b;
  vp.bValid = pix_width > 0 && pix_height > 0;
  return vp;
}

wxPoint LatLonToPixel(const PlugIn_ViewPort& vp, double lat, double lon) {
  double dlon = lon - vp.clon;
  while (dlon > 180.0) dlon -= 360.0;
  while (dlon < -180.0) dlon += 360.0;
  const double x = vp.pix_width / 2.0 + MercX(dlon) * vp.view_scale_ppm;
  const double y = vp.pix_height / 2.0 - (MercY(lat) - MercY(vp.clat)) * vp.view_scale_ppm;
  const double lim = 1e6;  // keeps far-off points representable as pixels
  return wxPoint(static_cast<int>(std::lround(std::clamp(x, -lim, lim))),
                 static_cast<int>(std::lround(std::clamp(y, -lim, lim))));
}

void PixelToLatLon(const PlugIn_ViewPort& vp, wxPoint p, double* lat, double* lon) {
  const double mx = (p.x - vp.pix_width / 2.0) / vp.view_scale_ppm;
  const double my = MercY(vp.clat) + (vp.pix_height / 2.0 - p.y) / vp.view_scale_ppm;
  *lat = InvMercY(my);
  *lon = vp.clon + Deg(mx / kEarthRadiusM);
}

}  // namespace orvane::host

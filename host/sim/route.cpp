#include "route.h"

#include <cmath>
#include <cstdlib>
#include <pugixml.hpp>

namespace orvane::host {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthNm = 3440.065;

double Rad(double d) { return d * kPi / 180.0; }
double Deg(double r) { return r * 180.0 / kPi; }

double LegNm(std::pair<double, double> a, std::pair<double, double> b) {
  const double p1 = Rad(a.first), p2 = Rad(b.first);
  const double dp = p2 - p1, dl = Rad(b.second - a.second);
  const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
  return 2 * kEarthNm * std::asin(std::sqrt(std::fmin(1.0, h)));
}

// Great-circle point a fraction f of the way from a to b.
std::pair<double, double> Between(std::pair<double, double> a, std::pair<double, double> b, double f) {
  const double d = LegNm(a, b) / kEarthNm;
  if (d < 1e-12) return a;
  const double A = std::sin((1 - f) * d) / std::sin(d), B = std::sin(f * d) / std::sin(d);
  const double p1 = Rad(a.first), l1 = Rad(a.second), p2 = Rad(b.first), l2 = Rad(b.second);
  const double x = A * std::cos(p1) * std::cos(l1) + B * std::cos(p2) * std::cos(l2);
  const double y = A * std::cos(p1) * std::sin(l1) + B * std::cos(p2) * std::sin(l2);
  const double z = A * std::sin(p1) + B * std::sin(p2);
  return {Deg(std::atan2(z, std::sqrt(x * x + y * y))), Deg(std::atan2(y, x))};
}

// A coordinate attribute that is a number and nothing else.
double Coordinate(const pugi::xml_attribute& a) {
  const char* text = a.value();
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  return (a && end != text && *end == '\0') ? v : NAN;
}

}  // namespace

GpxResult ReadGpxRoute(const std::string& path) {
  GpxResult r;
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_file(path.c_str());
  if (!parsed) {
    r.error = path + ": " + parsed.description();
    return r;
  }
  const pugi::xml_node gpx = doc.child("gpx");
  if (!gpx) {
    r.error = path + ": not a GPX file";
    return r;
  }
  pugi::xml_node rte = gpx.child("rte");
  const char* point_name = "rtept";
  pugi::xml_node holder = rte;
  if (!rte) {
    rte = gpx.child("trk");
    holder = rte.child("trkseg");
    point_name = "trkpt";
  }
  if (!rte) {
    r.error = path + ": no route in the file";
    return r;
  }
  r.route.name = rte.child_value("name");
  for (pugi::xml_node p = holder.child(point_name); p; p = p.next_sibling(point_name)) {
    const double lat = Coordinate(p.attribute("lat")), lon = Coordinate(p.attribute("lon"));
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180) {
      r.error = path + ": a route point without a valid lat and lon";
      return r;
    }
    r.route.points.emplace_back(lat, lon);
  }
  if (r.route.points.empty()) {
    r.error = path + ": the route has no points";
    return r;
  }
  r.route.guid = "gpx:" + path;
  r.ok = true;
  return r;
}

double RouteLengthNm(const HostRoute& route) {
  double total = 0;
  for (size_t i = 1; i < route.points.size(); ++i) total += LegNm(route.points[i - 1], route.points[i]);
  return total;
}

std::pair<double, double> PositionAlong(const HostRoute& route, double distance_nm) {
  if (route.points.empty()) return {0, 0};
  double left = distance_nm < 0 ? 0 : distance_nm;
  for (size_t i = 1; i < route.points.size(); ++i) {
    const double leg = LegNm(route.points[i - 1], route.points[i]);
    if (left <= leg) return Between(route.points[i - 1], route.points[i], leg > 0 ? left / leg : 0);
    left -= leg;
  }
  return route.points.back();
}

}  // namespace orvane::host

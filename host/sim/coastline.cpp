#include "coastline.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvane::host {

std::vector<Polyline> ReadCoastline(const std::string& path) {
  std::vector<Polyline> out;
  std::ifstream in(path);
  std::string line;
  Polyline cur;
  auto flush = [&] {
    if (cur.size() >= 2) out.push_back(std::move(cur));
    cur.clear();
  };
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '>') {
      flush();
      continue;
    }
    double lon, lat;
    if (std::sscanf(line.c_str(), "%lf %lf", &lon, &lat) == 2 && std::isfinite(lat) && std::isfinite(lon))
      cur.emplace_back(lat, lon > 180 ? lon - 360 : lon);
  }
  flush();
  return out;
}

}  // namespace orvane::host

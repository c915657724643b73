#include "parse/geography.h"

#include <algorithm>
#include <cmath>

namespace orvane {

const std::vector<NavareaBox>& NavareaBoxes() {
  // Order decides where boxes overlap.
  static const std::vector<NavareaBox> kBoxes = {
      {3, 30.0, 47.5, -5.75, 42.0, false},   {9, 10.0, 32.0, 32.0, 75.0, false},
      {1, 48.0, 72.0, -35.0, 30.0, false},   {2, 7.0, 48.0, -35.0, 0.0, false},
      {4, 7.0, 67.0, -98.0, -35.0, false},   {5, -35.0, 7.0, -60.0, -20.0, false},
      {6, -60.0, -35.0, -70.0, -20.0, false}, {7, -60.0, 10.0, 0.0, 70.0, false},
      {8, -10.0, 30.0, 50.0, 100.0, false},  {10, -50.0, 0.0, 80.0, 180.0, false},
      {11, 0.0, 45.0, 95.0, 150.0, false},   {12, 0.0, 60.0, -180.0, -100.0, false},
      {13, 30.0, 60.0, 130.0, 180.0, false}, {14, -60.0, 0.0, -180.0, -80.0, false},
      {15, -60.0, -18.0, -90.0, -65.0, false}, {16, -18.0, 5.0, -100.0, -70.0, false},
      {17, 66.0, 90.0, -180.0, -100.0, false}, {18, 66.0, 90.0, -100.0, -10.0, false},
      {19, 65.0, 90.0, -10.0, 55.0, false},  {20, 66.0, 90.0, 55.0, 125.0, false},
      {21, 50.0, 90.0, 125.0, -170.0, true},
  };
  return kBoxes;
}

const std::vector<NavtexStation>& NavtexStations() {
  static const std::vector<NavtexStation> kStations = {
      {'F', "Istanbul", "Turk Radyo", 3, 41.01, 28.98, 518, 300},
      {'I', "Izmir", "Smyrna", 3, 38.42, 27.14, 518, 300},
      {'W', "Antalya", "", 3, 36.88, 30.70, 518, 280},
      {'A', "Samsun", "", 3, 41.28, 36.33, 518, 300},
      {'D', "Varna", "", 3, 43.20, 27.92, 518, 300},
      {'J', "Odessa", "Odesa", 3, 46.48, 30.73, 518, 320},
      {'C', "Novorossiysk", "", 3, 44.72, 37.77, 518, 300},
      {'R', "Constanta", "Constan\xC8\x9B" "a", 3, 44.18, 28.65, 518, 300},
      {'E', "Alexandria", "", 3, 31.20, 29.92, 518, 350},
      {'H', "La Spezia", "", 3, 44.10, 9.82, 518, 300},
      {'U', "Cabo de la Nao", "Cabo La Nao", 3, 38.73, 0.23, 518, 300},
      {'X', "Kerkyra", "Corfu", 3, 39.62, 19.92, 518, 280},
      {'S', "Niton", "UK Niton", 1, 50.58, -1.30, 518, 300},
      {'E', "Cullercoats", "", 1, 55.03, -1.43, 518, 300},
      {'A', "Cyprus", "Olouk", 3, 35.05, 33.30, 518, 300},
  };
  return kStations;
}

namespace {

bool InBox(const NavareaBox& b, double lat, double lon) {
  if (lat < b.lat_min || lat > b.lat_max) return false;
  if (b.wrap) return lon >= b.lon_min || lon <= b.lon_max;
  return lon >= b.lon_min && lon <= b.lon_max;
}

const NavareaBox* BoxOf(int n) {
  for (const NavareaBox& b : NavareaBoxes())
    if (b.navarea == n) return &b;
  return nullptr;
}

void AddOnce(std::vector<int>* list, int n) {
  if (std::find(list->begin(), list->end(), n) == list->end()) list->push_back(n);
}

}  // namespace

std::string NavareaNumeral(int n) {
  static const char* const kNumerals[] = {"I",    "II",  "III", "IV",   "V",     "VI",  "VII",
                                          "VIII", "IX",  "X",   "XI",   "XII",   "XIII", "XIV",
                                          "XV",   "XVI", "XVII", "XVIII", "XIX", "XX",  "XXI"};
  return (n >= 1 && n <= kNavareaCount) ? kNumerals[n - 1] : "";
}

int NavareaOf(double lat, double lon) {
  if (!std::isfinite(lat) || !std::isfinite(lon) || lat < -90.0 || lat > 90.0) return 0;
  lon = std::fmod(lon, 360.0);  // same as stepping by 360, without a long loop for huge values
  while (lon < -180.0) lon += 360.0;
  while (lon > 180.0) lon -= 360.0;
  if (lat > 35.0) {
    // Inland exclusions: the Caspian and Central Asia (but not the eastern
    // Black Sea shore), and the North American interior.
    if (lat < 55.0 && lon > 40.0 && lon < 80.0 && !(lon < 42.0 && lat < 47.5)) return 0;
    if (lat < 50.0 && lon > -105.0 && lon < -90.0) return 0;
  }
  for (const NavareaBox& b : NavareaBoxes())
    if (InBox(b, lat, lon)) return b.navarea;
  return 0;
}

std::vector<int> NearbyNavareas(double lat, double lon, int n) {
  std::vector<int> out;
  const NavareaBox* own = BoxOf(n);
  if (!own) return out;
  double lon_d;
  if (!own->wrap) {
    lon_d = std::min(own->lon_max - lon, lon - own->lon_min);
  } else if (lon >= own->lon_min) {
    lon_d = std::min(360.0 - lon + own->lon_max, lon - own->lon_min);
  } else {
    lon_d = std::min(lon + 360.0 - own->lon_min, own->lon_max - lon);
  }
  const double d = std::min({own->lat_max - lat, lat - own->lat_min, lon_d});
  if (d > 2.0) return out;
  for (const NavareaBox& b : NavareaBoxes()) {
    if (b.navarea == n || std::find(out.begin(), out.end(), b.navarea) != out.end()) continue;
    NavareaBox w = b;
    w.lat_min -= 2.0;
    w.lat_max += 2.0;
    if (!w.wrap) {
      w.lon_min -= 2.0;
      w.lon_max += 2.0;
    }
    if (InBox(w, lat, lon)) out.push_back(b.navarea);
  }
  return out;
}

std::vector<int> NavareasAlong(const std::vector<LatLon>& positions) {
  std::vector<int> out;
  for (const LatLon& p : positions) {
    const int a = NavareaOf(p.first, p.second);
    if (a < 1) continue;
    AddOnce(&out, a);
    for (int n : NearbyNavareas(p.first, p.second, a)) AddOnce(&out, n);
  }
  return out;
}

const NavtexStation* FindStation(char b1, int n) {
  if (b1 >= 'a' && b1 <= 'z') b1 = static_cast<char>(b1 - 'a' + 'A');
  const NavtexStation* first = nullptr;
  for (const NavtexStation& s : NavtexStations()) {
    if (s.b1 != b1) continue;
    if (n > 0 && s.navarea == n) return &s;
    if (!first) first = &s;
  }
  return first;
}

const NavtexStation* FindStationIn(char b1, int n) {
  if (n <= 0) return nullptr;
  const NavtexStation* s = FindStation(b1, n);
  return s && s->navarea == n ? s : nullptr;
}

}  // namespace orvane

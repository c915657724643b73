#include "nmea.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <sstream>

namespace orvane::host {
namespace {

std::vector<std::string> Fields(const std::string& body) {
  std::vector<std::string> f;
  std::string cur;
  for (char c : body) {
    if (c == ',') {
      f.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  f.push_back(cur);
  return f;
}

bool ToDouble(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// ddmm.mmmm or dddmm.mmmm with its hemisphere letter.
bool Angle(const std::string& value, const std::string& hemi, int deg_digits, double limit, double* out) {
  if (value.size() < static_cast<size_t>(deg_digits + 2)) return false;
  double deg, min;
  if (!ToDouble(value.substr(0, deg_digits), &deg) || !ToDouble(value.substr(deg_digits), &min)) return false;
  if (min < 0 || min >= 60) return false;
  double v = deg + min / 60.0;
  if (v > limit) return false;
  if (hemi == "S" || hemi == "W") {
    v = -v;
  } else if (hemi != "N" && hemi != "E") {
    return false;
  }
  *out = v;
  return true;
}

bool TimeOfDay(const std::string& s, double* out) {
  if (s.size() < 6) return false;
  double h, m, sec;
  if (!ToDouble(s.substr(0, 2), &h) || !ToDouble(s.substr(2, 2), &m) || !ToDouble(s.substr(4), &sec)) return false;
  if (h > 23 || m > 59 || sec >= 61) return false;
  *out = h * 3600 + m * 60 + sec;
  return true;
}

}  // namespace

bool NmeaChecksumOk(const std::string& s) {
  const size_t star = s.rfind('*');
  if (s.empty() || (s[0] != '$' && s[0] != '!') || star == std::string::npos || star + 3 > s.size()) return false;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(s[i]);
  char* end = nullptr;
  const std::string hex = s.substr(star + 1, 2);
  const unsigned long want = std::strtoul(hex.c_str(), &end, 16);
  return end == hex.c_str() + 2 && want == sum;
}

std::optional<NmeaFix> ParseNmeaFix(const std::string& line) {
  std::string s = line;
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  if (!NmeaChecksumOk(s) || s.size() < 7) return std::nullopt;
  const std::vector<std::string> f = Fields(s.substr(1, s.rfind('*') - 1));
  const std::string type = f[0].size() >= 5 ? f[0].substr(f[0].size() - 3) : "";
  NmeaFix fix;
  if (type == "RMC" && f.size() >= 10) {
    if (f[2] != "A") return std::nullopt;
    if (!TimeOfDay(f[1], &fix.time_of_day) || !Angle(f[3], f[4], 2, 90, &fix.lat) ||
        !Angle(f[5], f[6], 3, 180, &fix.lon))
      return std::nullopt;
    ToDouble(f[7], &fix.sog);
    ToDouble(f[8], &fix.cog);
    if (f[9].size() == 6) {
      std::tm tm{};
      tm.tm_mday = std::atoi(f[9].substr(0, 2).c_str());
      tm.tm_mon = std::atoi(f[9].substr(2, 2).c_str()) - 1;
      tm.tm_year = 100 + std::atoi(f[9].substr(4, 2).c_str());
      fix.epoch_seconds = static_cast<long long>(timegm(&tm)) + static_cast<long long>(fix.time_of_day);
    }
    return fix;
  }
  if (type == "GGA" && f.size() >= 8) {
    if (f[6].empty() || f[6] == "0") return std::nullopt;
    if (!TimeOfDay(f[1], &fix.time_of_day) || !Angle(f[2], f[3], 2, 90, &fix.lat) ||
        !Angle(f[4], f[5], 3, 180, &fix.lon))
      return std::nullopt;
    fix.sats = std::atoi(f[7].c_str());
    return fix;
  }
  return std::nullopt;
}

std::vector<NmeaFix> ReadNmeaFixes(const std::string& text) {
  std::vector<NmeaFix> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (auto fix = ParseNmeaFix(line)) out.push_back(*fix);
  return out;
}

double ReplayDelaySeconds(const NmeaFix& from, const NmeaFix& to, double speed) {
  double d = to.time_of_day - from.time_of_day;
  if (d < -43200) d += 86400;  // past midnight
  if (d < 0) d = 0;
  if (speed > 0) d /= speed;
  return d;
}

}  // namespace orvane::host

#include "exchange/report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "common/clock.h"
#include "common/paths.h"

namespace orvane {

std::string HtmlEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

// "35-36.00N 024-07.00E", the way the warnings write positions.
std::string FormatPosition(const LatLon& p) {
  auto part = [](double v, int degree_digits, char pos, char neg) {
    const char hemi = v < 0 ? neg : pos;
    // Hundredths of a minute, rounded once, so 59.999' becomes the next degree.
    const long long hundredths = std::llround(std::fabs(v) * 6000.0);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld-%02lld.%02lld%c", degree_digits, hundredths / 6000, (hundredths % 6000) / 100,
                  hundredths % 100, hemi);
    return std::string(buf);
  };
  return part(p.first, 2, 'N', 'S') + " " + part(p.second, 3, 'E', 'W');
}

std::string FormatNm(double nm) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", nm);
  return buf;
}

std::string JoinPositions(const std::vector<LatLon>& pts) {
  std::string o;
  for (const LatLon& p : pts) o += (o.empty() ? "" : ", ") + FormatPosition(p);
  return o;
}

}  // namespace

std::string DescribeGeom(const MsiGeom& g) {
  if (g.points.empty()) return std::string();
  switch (g.kind) {
    case GEOM_POLYGON:
      return "Area bounded by " + JoinPositions(g.points);
    case GEOM_POLYLINE:
      if (g.radius_nm > 0.0) return "Within " + FormatNm(g.radius_nm) + " NM of the line " + JoinPositions(g.points);
      return "Line " + JoinPositions(g.points);
    case GEOM_CIRCLE:
      return "Within " + FormatNm(g.radius_nm) + " NM of " + FormatPosition(g.points.front());
    default:
      return "Position " + FormatPosition(g.points.front());
  }
}

std::string ReportHtml(const MessageStore& store, const std::string& local_time) {
  std::string o =
      "<html><head><meta charset=\"utf-8\"><title>Orvane Report</title><style>body{font-family:Calibri,Arial,"
      "sans-serif;font-size:11pt}h1{font-size:16pt}h2{font-size:12pt;margin-top:18px}pre{white-space:pre-wrap;"
      "border:1px solid #ccc;padding:8px}</style></head><body>";
  o += "<h1>Orvane MSI Report</h1>";
  o += "<p>Generated: " + local_time + " | Messages: " + std::to_string(store.size()) +
       " | Source: Quorvant NAVAREA</p>";
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    // Titles and ids are escaped too: a title holding "<!--" must not hide
    // the rest of the printed report.
    o += "<h2>" + std::to_string(i + 1) + ". " + TypeLabel(m.type) + " \xE2\x80\x94 " + HtmlEscape(m.title) + "</h2>";
    o += "<p>id=" + HtmlEscape(m.id) + " B2=" + HtmlEscape(std::string(1, m.b2)) + "</p><pre>";
    o += HtmlEscape(m.raw_text);
    o += "</pre>";
    // Where each part of the warning lies, as the chart draws it.
    if (!m.geoms.empty()) {
      o += "<ul>";
      for (const MsiGeom& g : m.geoms) o += "<li>" + HtmlEscape(DescribeGeom(g)) + "</li>";
      o += "</ul>";
    }
  }
  o += "</body></html>";
  return o;
}

bool WriteReportFile(const MessageStore& store, int64_t now_utc_ms, std::string* path) {
  const std::string dir = ReportsDir();
  EnsureDirectory(dir);
  *path = dir + "/orvane_report_" + FormatLocalTime(now_utc_ms, "%Y%m%d_%H%M%S") + ".doc";
  const std::string content = ReportHtml(store, FormatLocalTime(now_utc_ms, "%Y-%m-%d %H:%M:%S"));
  const int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, content);
  return (::close(fd) == 0) && ok;
}

}  // namespace orvane

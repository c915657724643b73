#include "exchange/report.h"

#include <fcntl.h>
#include <unistd.h>

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

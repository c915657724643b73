// The printable report: every message of the store as one HTML document
// saved as .doc, so that a word processor opens it.
#pragma once

#include <cstdint>
#include <string>

#include "parse/msi_model.h"

namespace orvane {

// & < > escaped, in that order.
std::string HtmlEscape(const std::string& s);

// One part of a warning in words: "Area bounded by 35-36.00N 024-07.00E,
// ...", "Within 3 NM of the line ...", "Within 1 NM of ...", "Position ...".
std::string DescribeGeom(const MsiGeom& g);

// The document for the store, generated at local_time (YYYY-MM-DD HH:MM:SS).
std::string ReportHtml(const MessageStore& store, const std::string& local_time);

// Writes the report for the store at now_utc_ms into the reports folder;
// true with the file's path, or false with the path it could not write.
bool WriteReportFile(const MessageStore& store, int64_t now_utc_ms, std::string* path);

}  // namespace orvane

// Parcels along the active route, and the printable report.
#include "orvane_pi/orvane_pi.h"

using namespace orvane;

std::string orvane_pi::ExportParcel() { return {}; }
std::string orvane_pi::ImportParcel(const std::string&) { return {}; }
std::string orvane_pi::RouteCorridorHint() { return {}; }
std::string orvane_pi::WriteReport(bool) { return {}; }

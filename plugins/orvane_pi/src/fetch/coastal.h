// The coastal NAVTEX hubs and the coastal registry.
#pragma once

#include <string>

namespace orvane {

// The registry line of the settings dialog: the registry file's version,
// endpoint count and edit date, or the two built-in hubs when it is absent.
std::string CoastalRegistrySummary();

}  // namespace orvane

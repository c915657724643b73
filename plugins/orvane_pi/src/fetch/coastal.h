// The coastal NAVTEX hubs of the portal and the coastal registry file.
#pragma once

#include <string>
#include <string_view>

#include "fetch/fetch_cache.h"

namespace orvane {

struct CoastalHub {
  const char* name;  // section name and cache key
  const char* path;  // after the portal base URL
};
// The two hubs, in fetch order.
extern const CoastalHub kCoastalHubs[2];

struct CoastalFetchResult {
  bool ok = false;    // at least one hub answered
  std::string text;   // every section and failure comment written, in hub order
  std::string error;  // "coastal hubs failed" when none answered
};

// Fetches each hub under base (the portal when empty), caches each text that
// arrives and writes its section, or a comment naming the failure.
CoastalFetchResult FetchCoastalHubs(const std::string& base);

// The registry file: <data>/opencpn/plugins/orvane_pi/data/coastal/registry.json.
std::string CoastalRegistryPath();

// The string value of "key": "value" (exactly one space after the colon),
// empty when the member is missing or written another way.
std::string RegistryStringMember(std::string_view json, std::string_view key);
// How many times the key "url" (with its quotes) occurs anywhere in the text.
int RegistryUrlCount(std::string_view json);

// The registry line built from the registry file, with texts passed through tr
// (null: English); the two built-in hubs when the file is absent.
std::string CoastalRegistryLine(TranslateFn tr);

// The registry line of the settings dialog, translated by the toolkit.
std::string CoastalRegistrySummary();

}  // namespace orvane

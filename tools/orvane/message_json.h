// JSON views of messages for the command line: one object per message, and
// an RFC 7946 FeatureCollection of their geometries.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

nlohmann::ordered_json MessageToJson(const MsiMessage& m);
nlohmann::ordered_json MessagesToGeoJson(const std::vector<MsiMessage>& messages);
// Compact text; invalid UTF-8 bytes in message texts come out as U+FFFD.
std::string DumpJson(const nlohmann::ordered_json& j);

}  // namespace orvane

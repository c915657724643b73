// Which messages a parcel carries along a route, and how an imported
// parcel joins the store.
#pragma once

#include <cstddef>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// Copies, in store order, of the active messages with a geometry within
// corridor_nm of the route.
std::vector<MsiMessage> CorridorMessages(const MessageStore& store, const std::vector<LatLon>& route,
                                         double corridor_nm);

struct ImportCounts {
  size_t replaced = 0;
  size_t added = 0;
};

// Each imported message overwrites the first stored message with the same
// non-empty id, in place; any other is appended.
ImportCounts MergeImportedMessages(MessageStore* store, const std::vector<MsiMessage>& imported);

}  // namespace orvane

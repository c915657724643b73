#include "exchange/parcel_exchange.h"

#include "overlay/filters.h"

namespace orvane {

std::vector<MsiMessage> CorridorMessages(const MessageStore& store, const std::vector<LatLon>& route,
                                         double corridor_nm) {
  std::vector<MsiMessage> out;
  if (route.empty()) return out;
  for (const MsiMessage& m : store)
    if (m.active && MessageInCorridor(m, route, corridor_nm)) out.push_back(m);
  return out;
}

ImportCounts MergeImportedMessages(MessageStore* store, const std::vector<MsiMessage>& imported) {
  ImportCounts counts;
  for (const MsiMessage& m : imported) {
    MsiMessage* same = nullptr;
    if (!m.id.empty())
      for (MsiMessage& s : *store)
        if (s.id == m.id) {
          same = &s;
          break;
        }
    if (same) {
      *same = m;
      ++counts.replaced;
    } else {
      store->push_back(m);
      ++counts.added;
    }
  }
  return counts;
}

}  // namespace orvane

#include "exchange/parcel_exchange.h"

#include "overlay/filters.h"

#include <string>
#include <unordered_map>

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
  // Where the first stored message of each id sits, so that each import is
  // one lookup, not a walk over the store.
  std::unordered_map<std::string, size_t> by_id;
  by_id.reserve(store->size() + imported.size());
  for (size_t i = 0; i < store->size(); ++i)
    if (!(*store)[i].id.empty()) by_id.emplace((*store)[i].id, i);
  for (const MsiMessage& m : imported) {
    const auto it = m.id.empty() ? by_id.end() : by_id.find(m.id);
    if (it != by_id.end()) {
      (*store)[it->second] = m;
      ++counts.replaced;
    } else {
      if (!m.id.empty()) by_id.emplace(m.id, store->size());
      store->push_back(m);
      ++counts.added;
    }
  }
  return counts;
}

}  // namespace orvane

// Merging a fetch result into the message store: messages of the sources
// fetched again replace their predecessors, everything else stays.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

struct MergeResult {
  MessageStore store;             // normalised merged list
  std::vector<int> areas;         // NAVAREAs that yielded messages (or first id)
  std::vector<std::string> sources;  // coastal and extra labels that yielded messages
  size_t new_count = 0;           // messages of the result with an id
  size_t kept = 0;                // old messages carried over
  size_t drawable = 0;            // active messages with geometry
};

// True when title + "\n" + raw_text names "NAVAREA <numeral of n>" as a whole word.
bool NamesNavarea(const MsiMessage& m, int n);

// Gives a message without NAVAREA and source one: the NAVAREA it names,
// else the only refetched area, else first_id.
void AssignNavarea(MsiMessage* m, const std::vector<int>& areas, int first_id);

// The merge of a successful fetch's combined text into previous.
MergeResult MergeFetchResult(const MessageStore& previous, const std::string& text, int first_id);

}  // namespace orvane

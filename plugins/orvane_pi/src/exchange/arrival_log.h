// The arrival log (one JSON line per newly seen message) and the count
// behind the search-and-rescue alarm.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// Messages of current whose id is empty or not among previous's ids.
std::vector<const MsiMessage*> NewMessages(const MessageStore& previous, const MessageStore& current);

// One log line, ending in a line feed; always valid JSON.
std::string ArrivalLogLine(const std::string& local_time, const MsiMessage& m);

// The log's path; its folder is created when missing.
std::string ArrivalLogPath();

// Appends one line per new message; false when the log cannot be written.
bool WriteArrivalLog(const MessageStore& previous, const MessageStore& current);

// New messages of B2 subject D (search and rescue, pirate attack).
int CountNewSarMessages(const MessageStore& previous, const MessageStore& current);

}  // namespace orvane

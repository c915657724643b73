// Cancellation, expiry and the identity of a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "parse/header.h"
#include "parse/msi_model.h"

namespace orvane {

// One warning a message says it replaces ("CANCEL NAVAREA III 0120/26" gives
// the key 0120/26 in NAVAREA III).
struct CancelKey {
  std::string key;                // upper case, at most 24 bytes
  Series series = Series::NONE;   // the series the cancellation names, if any
  int32_t navarea = 0;            // the NAVAREA named, 1..21; 0 when none
};

// Every cancel key of an upper-cased text, in text order. "CANCEL THIS MSG
// ..." is the message's own end and gives none.
std::vector<CancelKey> ReadCancelKeys(const std::string& upper);

// The first cancel key, empty when none.
std::string ReadCancelTarget(const std::string& upper);

// The validity end: the digits after VALID UNTIL, EXPIRES or UNTIL on that
// line; failing those, the time of "CANCEL THIS MSG <date-time group>" as
// "YYYY-MM-DDTHH:MMZ". Empty when none.
std::string ReadExpiry(const std::string& upper);

// "fnv1a64:" and 16 hex digits of the text with case, blank runs and the
// NAVTEX frame lines ignored.
std::string MessageFingerprint(const std::string& text);

std::string MakeMessageId(MsgType type, const std::string& raw_text, const std::string& station_id, int32_t number);

// True when the message's validity end has passed (by the process clock).
bool IsExpired(const MsiMessage& m);

// Removes duplicates and applies cancellations and expiry, in place.
void NormaliseMessages(std::vector<MsiMessage>* messages);

}  // namespace orvane

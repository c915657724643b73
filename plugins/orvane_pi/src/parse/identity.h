// Cancellation, expiry and the identity of a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "parse/header.h"
#include "parse/msi_model.h"

namespace orvane {

// What a cancel key names: a serial ("0120/26", "1160"), a NAVTEX frame
// ("GA87"), or any other word (matched against whole ids only).
enum class CancelKind { TEXT, SERIAL, STATION };

// One warning a message says it replaces ("CANCEL NAVAREA III 0120/26" gives
// the key 0120/26 in NAVAREA III; "CANCEL WZ 1160 (GA87)" gives 1160 of the
// UK coastal series and the frame GA87). A serial with no series named
// belongs to the cancelling message's own series and NAVAREA, or its
// station for a NAVTEX frame.
struct CancelKey {
  std::string key;               // upper case, at most 24 bytes
  Series series = Series::NONE;  // the series the cancellation names, if any
  int32_t navarea = 0;           // the NAVAREA named, 1..21; 0 when none
  std::string issuer;            // the national series named ("WZ", "GERMAN")
  CancelKind kind = CancelKind::TEXT;
  int32_t number = 0;  // SERIAL: the serial
  int32_t year = -1;   // SERIAL: its year, two digits; -1 when not written
};

// Every cancel key of an upper-cased text, in text order. "CANCEL THIS MSG
// ..." is the message's own end and gives none.
std::vector<CancelKey> ReadCancelKeys(const std::string& upper);

// The first cancel key, empty when none.
std::string ReadCancelTarget(const std::string& upper);

// The validity end: the moment after VALID UNTIL, EXPIRES or UNTIL on that
// line; failing those, the time of the message's own cancel ("CANCEL THIS
// MSG <date-time group>", "CAN THIS MSG ...", "ОТМ ЭТОТ НР ...", or a date
// alone, to the end of that day UTC) as "YYYY-MM-DDTHH:MMZ". Empty when
// none; never a value IsExpired cannot judge.
std::string ReadExpiry(const std::string& upper);

// Both of the above from one reading of the text.
void ReadCancelTargetAndExpiry(const std::string& upper, std::string* target, std::string* expires);

// "fnv1a64:" and 16 hex digits of the text with case, blank runs, the NAVTEX
// frame code and end mark, date-time group lines, repetition counts and
// agency preambles ignored: one warning, one fingerprint, however often and
// by whichever route it arrives.
std::string MessageFingerprint(const std::string& text);

std::string MakeMessageId(MsgType type, const std::string& raw_text, const std::string& station_id, int32_t number);

// True when the message's validity end has passed (by the process clock).
bool IsExpired(const MsiMessage& m);

// Removes duplicates and applies cancellations and expiry, in place.
void NormaliseMessages(std::vector<MsiMessage>* messages);

}  // namespace orvane

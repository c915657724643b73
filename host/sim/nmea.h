// Reading position fixes from NMEA 0183 RMC and GGA sentences, for the
// host's position replay.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane::host {

struct NmeaFix {
  double lat = 0.0, lon = 0.0;  // degrees, north and east positive
  double sog = 0.0, cog = 0.0;  // knots, degrees (RMC only)
  double time_of_day = 0.0;     // seconds since 00:00 UTC
  long long epoch_seconds = 0;  // UTC, when the sentence carries a date (RMC); else 0
  int sats = 0;                 // GGA only
};

// True when the sentence has a "*hh" checksum that matches.
bool NmeaChecksumOk(const std::string& sentence);
// A fix from one RMC or GGA sentence with a valid checksum and a valid fix;
// nothing for any other sentence.
std::optional<NmeaFix> ParseNmeaFix(const std::string& sentence);
// Every fix of a log, in order, one sentence per line.
std::vector<NmeaFix> ReadNmeaFixes(const std::string& text);
// Seconds to wait between two fixes when replaying at their own pace
// divided by speed (crossing midnight counts; never negative).
double ReplayDelaySeconds(const NmeaFix& from, const NmeaFix& to, double speed);

}  // namespace orvane::host

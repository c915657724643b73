// The one source of "now" for the whole plug-in. Tests install a manual
// clock so that click bursts, refresh limits and border damping can be
// checked without sleeping.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace orvane {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t UtcMs() const = 0;        // milliseconds since the epoch
  virtual int64_t MonotonicMs() const = 0;  // never goes back
};

int64_t NowUtcMs();
int64_t NowMonotonicMs();

// Installs c as the process clock; nullptr brings back the system clock.
// The caller keeps c alive while it is installed.
void SetClock(const Clock* c);

// A clock that moves only when told to. A fetch thread may read it while
// the test moves it, so both readings are atomic.
class ManualClock : public Clock {
 public:
  explicit ManualClock(int64_t utc_ms = 1767225600000LL) : utc_ms_(utc_ms), mono_ms_(1000) {}
  int64_t UtcMs() const override { return utc_ms_.load(); }
  int64_t MonotonicMs() const override { return mono_ms_.load(); }
  void Advance(int64_t ms) {
    utc_ms_ += ms;
    mono_ms_ += ms;
  }
  void SetUtcMs(int64_t ms) { utc_ms_.store(ms); }

 private:
  std::atomic<int64_t> utc_ms_;
  std::atomic<int64_t> mono_ms_;
};

// Local time of a UTC instant with a strftime format, e.g. "%Y-%m-%d %H:%M:%S".
std::string FormatLocalTime(int64_t utc_ms, const char* format);
// UTC time of an instant with a strftime format, e.g. "%Y-%m-%dT%H:%M:%SZ".
std::string FormatUtcTime(int64_t utc_ms, const char* format);

}  // namespace orvane

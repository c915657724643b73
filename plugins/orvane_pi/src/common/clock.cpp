#include "common/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace orvane {
namespace {

class SystemClock : public Clock {
 public:
  int64_t UtcMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  }
  int64_t MonotonicMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

const SystemClock kSystemClock;
std::atomic<const Clock*> g_clock{&kSystemClock};

std::string Format(int64_t utc_ms, const char* format, bool local) {
  const std::time_t t = static_cast<std::time_t>(utc_ms / 1000);
  std::tm tm{};
  if (local ? localtime_r(&t, &tm) == nullptr : gmtime_r(&t, &tm) == nullptr) return std::string();
  char buf[128];
  const size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

}  // namespace

int64_t NowUtcMs() { return g_clock.load()->UtcMs(); }
int64_t NowMonotonicMs() { return g_clock.load()->MonotonicMs(); }
void SetClock(const Clock* c) { g_clock.store(c ? c : &kSystemClock); }

std::string FormatLocalTime(int64_t utc_ms, const char* format) { return Format(utc_ms, format, true); }
std::string FormatUtcTime(int64_t utc_ms, const char* format) { return Format(utc_ms, format, false); }

}  // namespace orvane

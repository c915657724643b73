#include "fetch/fetch_control.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvane {
namespace {

std::atomic<bool> g_cancel{false};
std::atomic<bool> g_shutdown{false};
std::atomic<bool> g_include_archive{true};

// Guards the sleeper and lets a stop wake a waiting thread.
std::mutex g_wait_mutex;
std::condition_variable g_wait_cv;
FetchSleeper g_sleeper;

void WakeWaiters() {
  // Taking the lock orders the flag change before a waiter's predicate check.
  std::lock_guard<std::mutex> lock(g_wait_mutex);
  g_wait_cv.notify_all();
}

}  // namespace

void SetFetchCancel(bool on) {
  g_cancel.exchange(on);
  if (on) WakeWaiters();
}
bool FetchCancelled() { return g_cancel.load(); }

void SetFetchShutdown(bool on) {
  g_shutdown.exchange(on);
  if (on) WakeWaiters();
}
bool FetchShuttingDown() { return g_shutdown.load(); }

void SetIncludeArchive(bool on) { g_include_archive.store(on); }
bool IncludeArchiveEnabled() { return g_include_archive.load(); }

bool FetchSleep(int64_t ms) {
  if (FetchStopRequested()) return false;
  if (ms <= 0) return true;
  std::unique_lock<std::mutex> lock(g_wait_mutex);
  if (g_sleeper) {
    FetchSleeper sleeper = g_sleeper;
    lock.unlock();
    return sleeper(ms) && !FetchStopRequested();
  }
  const bool stopped =
      g_wait_cv.wait_for(lock, std::chrono::milliseconds(ms), [] { return FetchStopRequested(); });
  return !stopped;
}

void SetFetchSleeper(FetchSleeper sleeper) {
  std::lock_guard<std::mutex> lock(g_wait_mutex);
  g_sleeper = std::move(sleeper);
}

int64_t FetchTimerDelayMs(int interval_min, int64_t utc_ms) {
  const int64_t minutes = interval_min < 5 ? 5 : interval_min;
  int64_t spread = utc_ms % 180000;
  if (spread < 0) spread += 180000;
  return minutes * 60000 + spread;
}

}  // namespace orvane

// Runs the toolkit's queued events on the test thread until a condition
// holds: how a test lets a fetch result reach the message window.
#pragma once

#include <wx/app.h>

#include <chrono>
#include <thread>

namespace orvane::test {

// True when done() became true before limit_ms passed. The limit only
// guards against a hang; nothing here measures speed.
template <class Done>
bool PumpUntil(Done done, int limit_ms = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  for (;;) {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace orvane::test

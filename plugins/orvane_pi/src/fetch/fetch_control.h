// Process-wide switches of the fetch machinery and its one way of waiting.
// The fetch job's cancel command sets the cancel flag; the plug-in's
// shutdown sets the shutdown flag. Either ends every wait at once, so a
// long Retry-After never holds up a cancel or an unload.
#pragma once

#include <cstdint>
#include <functional>

namespace orvane {

// Cancel flag: set by the user's cancel command, cleared when a fetch of
// NAVAREAs begins. Setting it wakes any wait in progress.
void SetFetchCancel(bool on);
bool FetchCancelled();

// Shutdown flag: set when the plug-in is shut down, cleared when it starts.
void SetFetchShutdown(bool on);
bool FetchShuttingDown();

// True when waits and further requests should stop now.
inline bool FetchStopRequested() { return FetchCancelled() || FetchShuttingDown(); }

// Copy of the IncludeArchive setting, read by the NAVAREA fetch (default on).
void SetIncludeArchive(bool on);
bool IncludeArchiveEnabled();

// Waits ms milliseconds or until cancel or shutdown; true when the whole
// time passed, false when the wait was cut short (or a stop was already
// requested). ms <= 0 returns at once.
bool FetchSleep(int64_t ms);

// Delay of the fetch timer: the interval (at least 5 minutes) plus a spread
// of 0 to just under 3 minutes from the clock, so that many boats do not ask
// the portal at the same moment.
int64_t FetchTimerDelayMs(int interval_min, int64_t utc_ms);

// Replaces the wait (tests record the durations and move a manual clock
// instead of sleeping). An empty function brings back the real wait. The
// replacement returns false to report an interrupted wait.
using FetchSleeper = std::function<bool(int64_t ms)>;
void SetFetchSleeper(FetchSleeper sleeper);

}  // namespace orvane

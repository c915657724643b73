// How long a fetch result takes to merge on the user-interface thread: a
// store of 5,000 warnings and a combined text of about 2 MB from all 21
// NAVAREAs, four fifths of it the warnings already held. Measured as the
// pure merge and as the plug-in's whole result handler (merge, arrival
// log, alarm, status line).
#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "exchange/arrival_log.h"
#include "orvane_pi/orvane_pi.h"
#include "parse/geography.h"
#include "parse/ingest.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace {

using namespace orvane;

bool g_have_wx = false;

// Warning serial of NAVAREA area: about 520 bytes, its own positions and wording.
std::string Warning(int area, int serial) {
  char pos[4][32];
  for (int k = 0; k < 4; ++k)
    std::snprintf(pos[k], sizeof pos[k], "%02d-%02d.%dN %03d-%02d.%dE", 5 + (serial + k * 7) % 80,
                  (serial * 7 + k) % 60, (serial + k) % 10, (area * 17 + serial + k) % 180, (serial * 11 + k) % 60,
                  (serial * 3 + k) % 10);
  const std::string n = std::to_string(serial);
  return "NAVAREA " + NavareaNumeral(area) + " - " + n + "/26 SEA AREA " + std::to_string(area) +
         "\n1. HAZARDOUS OPERATIONS " + n + " IN AREA BOUND BY\n   " + pos[0] + ", " + pos[1] + ",\n   " + pos[2] +
         ", " + pos[3] + ".\n2. VESSELS ARE REQUESTED TO KEEP CLEAR BY 5 NM AND TO MAINTAIN A SHARP LOOKOUT.\n" +
         "3. WARNING NUMBER " + n + " REMAINS IN FORCE UNTIL FURTHER NOTICE FROM THE COORDINATOR.\n" +
         "4. CHARTS AFFECTED: INT " + std::to_string(1000 + serial) + ", INT " + std::to_string(2000 + area) +
         ". REPORTS OF ANY OBSERVED HAZARD TO THE COORDINATOR ARE WELCOME.\n";
}

// Serials first..first+count-1 of every NAVAREA, under their section lines.
std::string Combined(int first, int per_area) {
  std::string text;
  for (int area = 1; area <= kNavareaCount; ++area) {
    text += "===== NAVAREA " + std::to_string(area) + " =====\n";
    for (int s = first; s < first + per_area; ++s) text += Warning(area, s);
    text += "\n";
  }
  return text;
}

constexpr int kPerArea = 5000 / kNavareaCount + 1;  // 239 a NAVAREA, 5,019 in all

struct Inputs {
  MessageStore store;
  std::string text;
};

Inputs MakeInputs(int per_area) {
  Inputs i;
  i.store = MergeFetchResult({}, Combined(1, per_area), 1).store;
  // A fifth of each NAVAREA's warnings replaced by newer ones.
  i.text = Combined(1 + per_area / 5, per_area);
  return i;
}

const Inputs& TheInputs() {
  static const Inputs in = MakeInputs(kPerArea);
  return in;
}

void BM_MergeFetchResult(benchmark::State& state) {
  const Inputs& in = TheInputs();
  for (auto _ : state) benchmark::DoNotOptimize(MergeFetchResult(in.store, in.text, 1));
  state.counters["store"] = static_cast<double>(in.store.size());
  state.counters["text_MB"] = static_cast<double>(in.text.size()) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.text.size()));
}

// The same merge at a quarter, half, once and twice the size: the cost
// grows with store plus text, not with their product.
void BM_MergeScaling(benchmark::State& state) {
  const Inputs in = MakeInputs(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(MergeFetchResult(in.store, in.text, 1));
  state.counters["store"] = static_cast<double>(in.store.size());
  state.counters["text_MB"] = static_cast<double>(in.text.size()) / 1e6;
}

void BM_NewMessagesForTheLog(benchmark::State& state) {
  const Inputs& in = TheInputs();
  const MessageStore after = MergeFetchResult(in.store, in.text, 1).store;
  for (auto _ : state) benchmark::DoNotOptimize(NewMessages(in.store, after));
}

void BM_OnFetchResult(benchmark::State& state) {
  if (!g_have_wx) {
    state.SkipWithError("no display for the toolkit");
    return;
  }
  const Inputs& in = TheInputs();
  std::unique_ptr<orvane_pi> plugin(static_cast<orvane_pi*>(create_pi(nullptr)));
  for (auto _ : state) {
    state.PauseTiming();
    plugin->ReplaceStoreForTesting(in.store);
    state.ResumeTiming();
    plugin->OnFetchResult(true, in.text, "ok=21 fail=0 cache=0 of 21", 1);
  }
  state.counters["store"] = static_cast<double>(in.store.size());
  state.counters["text_MB"] = static_cast<double>(in.text.size()) / 1e6;
}

BENCHMARK(BM_MergeFetchResult)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeScaling)->Arg(kPerArea / 4)->Arg(kPerArea / 2)->Arg(kPerArea)->Arg(kPerArea * 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewMessagesForTheLog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnFetchResult)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The arrival log goes to a scratch data root, never the user's.
  std::string root = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
  if (!mkdtemp(root.data())) return 1;
  setenv("LOCALAPPDATA", (root + "/local").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  wxApp::SetInstance(new wxApp());
  int wx_argc = 1;
  g_have_wx = wxEntryStart(wx_argc, argv);
  if (!g_have_wx) std::fprintf(stderr, "BM_OnFetchResult needs a display (run it under xvfb-run)\n");
  benchmark::RunSpecifiedBenchmarks();
  if (g_have_wx) wxEntryCleanup();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  return 0;
}

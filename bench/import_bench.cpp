// How long a parcel import merges on the user-interface thread: n imported
// warnings into a store of n, half of them replacing stored ones by id.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "exchange/parcel_exchange.h"

namespace {

using namespace orvane;

MsiMessage Message(int i) {
  MsiMessage m;
  m.id = "NAVAREA IV " + std::to_string(i) + "/26";
  m.title = m.id;
  m.raw_text = m.id + " TEST AREA";
  return m;
}

void BM_MergeImportedMessages(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  MessageStore store;
  std::vector<MsiMessage> imported;
  for (int i = 0; i < n; ++i) store.push_back(Message(2 * i));
  for (int i = 0; i < n; ++i) imported.push_back(Message(i));  // every other one is new
  for (auto _ : state) {
    state.PauseTiming();
    MessageStore s = store;
    state.ResumeTiming();
    benchmark::DoNotOptimize(MergeImportedMessages(&s, imported));
  }
}
BENCHMARK(BM_MergeImportedMessages)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

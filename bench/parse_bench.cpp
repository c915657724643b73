// How fast bulletins are cut into messages: the sample, and a page-sized
// text of many warnings as a NAVAREA fetch returns it.
#include <benchmark/benchmark.h>

#include <string>

#include "common/sample_bulletin.h"
#include "parse/bulletin.h"

namespace {

std::string Page(int warnings) {
  std::string page;
  for (int i = 0; i < warnings; ++i) {
    page += "0" + std::to_string(100000 + i) + "Z SEP 26\n";
    page += "NAVAREA IV " + std::to_string(i + 1) + "/26.\nNORTH ATLANTIC.\n";
    page += "1. HAZARDOUS OPERATIONS IN AREA BOUND BY\n   08-58.00N 050-28.00W, 08-06.00N 047-28.00W,\n";
    page += "   03-21.00N 032-11.00W.\n2. CANCEL THIS MSG 200057Z SEP 26.\n";
  }
  return page;
}

void BM_ParseSample(benchmark::State& state) {
  const std::string text(orvane::kSampleBulletin, orvane::kSampleBulletinSize);
  for (auto _ : state) benchmark::DoNotOptimize(orvane::ParseBulletin(text));
}
BENCHMARK(BM_ParseSample);

void BM_ParsePage(benchmark::State& state) {
  const std::string text = Page(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(orvane::ParseBulletin(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParsePage)->Arg(100)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();

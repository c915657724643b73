// How fast the receiver's reassembler takes sentences: a receiver sends a
// few a second; thousands a second leave the user-interface thread idle.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "receiver/nrx.h"

namespace {

// Messages of four sentences each in the IEC form, every one distinct.
std::vector<std::string> Sentences(int messages) {
  std::vector<std::string> out;
  for (int m = 0; m < messages; ++m) {
    char code[8];
    std::snprintf(code, sizeof code, "%c%c%02d", 'A' + m % 26, "ABDL"[m % 4], m % 100);
    for (int k = 1; k <= 4; ++k) {
      const std::string text = k == 1 ? "NAVAREA III " + std::to_string(m) + "/26^0D^0A"
                                      : "LIGHT BUOY " + std::to_string(k) + " 41-0" + std::to_string(k) +
                                            ".5N 029-1" + std::to_string(k) + ".2E UNLIT^0D^0A";
      out.push_back(orvane::NrxSentence("CRNRX,4," + std::to_string(k) + "," + std::to_string(m % 10) + "," +
                                 (k == 1 ? std::string(code) + ",2,120000.00,11,12,2026,200,1,A," : ",,,,,,,,,,") +
                                 text));
    }
  }
  return out;
}

void BM_ReassembleSentences(benchmark::State& state) {
  const std::vector<std::string> lines = Sentences(2500);  // 10,000 sentences
  for (auto _ : state) {
    orvane::NrxReassembler r;
    std::vector<orvane::ReceivedFrame> out;
    int64_t now = 0;
    for (const std::string& l : lines) r.Feed(l, ++now, &out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(BM_ReassembleSentences)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

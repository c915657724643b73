// The corpus archive's cost at start: SHA-256 over a megabyte, and the
// check and extraction of the shipped archive (first start and later ones).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <wx/init.h>

#include "fetch/corpus_archive.h"
#include "fetch/sha256.h"

namespace {

void BM_Sha256Megabyte(benchmark::State& state) {
  const std::string bytes(1 << 20, 'x');
  std::string hex;
  for (auto _ : state) benchmark::DoNotOptimize(orvane::Sha256Hex(bytes, &hex));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Sha256Megabyte);

std::string Scratch() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
  return mkdtemp(tmpl.data());
}

void BM_VerifyShippedArchive(benchmark::State& state) {
  wxInitializer wx;
  for (auto _ : state) benchmark::DoNotOptimize(orvane::VerifyCorpusArchiveAt(ORVANE_SHIPPED_ZIP));
}
BENCHMARK(BM_VerifyShippedArchive);

void BM_FirstStartExtraction(benchmark::State& state) {
  wxInitializer wx;
  const std::string dir = Scratch();
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(dir + "/x");
    state.ResumeTiming();
    benchmark::DoNotOptimize(orvane::PrepareCorpusArchiveAt(ORVANE_SHIPPED_ZIP, dir + "/x"));
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FirstStartExtraction);

void BM_LaterStart(benchmark::State& state) {
  wxInitializer wx;
  const std::string dir = Scratch();
  orvane::PrepareCorpusArchiveAt(ORVANE_SHIPPED_ZIP, dir);
  for (auto _ : state) benchmark::DoNotOptimize(orvane::PrepareCorpusArchiveAt(ORVANE_SHIPPED_ZIP, dir));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LaterStart);

}  // namespace

BENCHMARK_MAIN();

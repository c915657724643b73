// How fast a fetched page is reduced to text and searched for its next-page
// link on the fetch thread, with the inputs that used to take quadratic
// time: a page of warnings with many entities and <nav> blocks, a page
// full of "sonraki" words without a link, and many rel= attributes far from
// any href. Sizes in KiB.
#include <benchmark/benchmark.h>

#include <string>

#include "fetch/html_text.h"

namespace {

using namespace orvane;

// Warnings between navigation blocks, with entities in the text.
std::string WarningPage(size_t bytes) {
  std::string page = "<html><body>";
  for (int i = 0; page.size() < bytes; ++i)
    page += "<nav><a href=\"/x\">Home</a></nav><p>NAVAREA III " + std::to_string(i) +
            "/26 AEGEAN SEA&nbsp;&amp;&nbsp;IONIAN SEA. WRECK IN 36-12.0N 028-30.0E &lt;DEPTH 12 M&gt;.</p>\n";
  return page + "</body></html>";
}

std::string Repeat(const std::string& unit, size_t bytes) {
  std::string s;
  s.reserve(bytes + unit.size());
  while (s.size() < bytes) s += unit;
  return s;
}

void BM_HtmlToText(benchmark::State& state) {
  const std::string page = WarningPage(static_cast<size_t>(state.range(0)) * 1024);
  for (auto _ : state) benchmark::DoNotOptimize(HtmlToText(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_HtmlToText)->Arg(64)->Arg(256)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

void BM_HtmlToTextEntities(benchmark::State& state) {
  const std::string page = "<p>NAVAREA III " + Repeat("&amp;", static_cast<size_t>(state.range(0)) * 1024) + "</p>";
  for (auto _ : state) benchmark::DoNotOptimize(HtmlToText(page));
}
BENCHMARK(BM_HtmlToTextEntities)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_NextPageSonraki(benchmark::State& state) {
  const std::string page = Repeat("sonraki ", static_cast<size_t>(state.range(0)) * 1024);
  for (auto _ : state) benchmark::DoNotOptimize(FindNextPageUrl(page, "https://portal.example.org/navarea/3/messages/"));
}
BENCHMARK(BM_NextPageSonraki)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_NextPageRelNext(benchmark::State& state) {
  const std::string page = "href=" + Repeat("rel=next ", static_cast<size_t>(state.range(0)) * 1024);
  for (auto _ : state) benchmark::DoNotOptimize(FindNextPageUrl(page, "https://portal.example.org/navarea/3/messages/"));
}
BENCHMARK(BM_NextPageRelNext)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// How fast bulletins are cut into messages: the sample, a page-sized text
// of many warnings as a NAVAREA fetch returns it, and bulletins of 1 MB and
// 4 MB of distinct warnings in the formats of NAVAREA, NGA and NAVTEX.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "common/sample_bulletin.h"
#include "parse/bulletin.h"
#include "parse/identity.h"

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

// Warning i of a mixed bulletin: its serial, positions and wording differ
// from every other one, so nothing is dropped as a duplicate.
std::string Warning(int i) {
  char pos[4][32];
  for (int k = 0; k < 4; ++k)
    std::snprintf(pos[k], sizeof pos[k], "%02d-%02d.%02dN %03d-%02d.%02dW", 10 + (i + k) % 70, (i * 7 + k) % 60,
                  (i + k * 13) % 100, 1 + (i * 3 + k) % 178, (i * 11 + k) % 60, (i * 17 + k) % 100);
  const std::string n = std::to_string(i + 1);
  switch (i % 4) {
    case 0:
      return "0" + std::to_string(100000 + i % 100000) + "Z SEP 26\nNAVAREA IV " + n +
             "/26.\nWESTERN NORTH ATLANTIC.\n1. SUBMARINE CABLE OPERATIONS " + n + " IN AREA BOUND BY\n   " + pos[0] +
             ", " + pos[1] + ",\n   " + pos[2] + ", " + pos[3] + ".\n2. CANCEL NAVAREA IV " + std::to_string(i) +
             "/26.\n3. CANCEL THIS MSG 200057Z SEP 26.\n";
    case 1:
      return "HYDROLANT " + n + "/26.\nNORTH ATLANTIC.\nDANGEROUS WRECK " + n + " LOCATED IN " + pos[0] +
             ".\nWIDE BERTH 2 NM REQUESTED. VALID UNTIL 301200 UTC SEP.\n";
    case 2:
      return "NAVAREA III - " + n + "/26 BLACK SEA\nLIVE FIRING EXERCISE " + n + " AREA DELIMITED BY:\n" + pos[0] +
             "\n" + pos[1] + "\n" + pos[2] + "\nSAFE DISTANCE 500 METERS.\n";
    default: {
      char code[8];
      std::snprintf(code, sizeof code, "%c%c%02d", 'A' + i % 26, "ABDL"[i % 4], i % 100);
      return std::string("ZCZC ") + code + "\n" + std::to_string(100000 + i % 100000) + " UTC SEP 26\nNAV WARNING " +
             n + "\nLIGHT BUOY " + n + " " + pos[0] + " UNLIT.\nNNNN\n";
    }
  }
}

std::string Bulletin(size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += Warning(i);
  return text;
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

// Linear in the input: the 4 MB bulletin takes about four times the 1 MB.
void BM_ParseBulletinMB(benchmark::State& state) {
  const std::string text = Bulletin(static_cast<size_t>(state.range(0)) << 20);
  size_t messages = 0;
  for (auto _ : state) {
    const auto msgs = orvane::ParseBulletin(text);
    messages = msgs.size();
    benchmark::DoNotOptimize(msgs.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_ParseBulletinMB)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// One warning listing n rigs, each a labelled item of its own, under a lead-in
// as NAVAREA IV's rig list has: the parts cost their own length, so 10,000
// rigs take about ten times 1,000.
void BM_ParseRigList(benchmark::State& state) {
  std::string text = "NAVAREA IV 848/26.\n1. NAVAREA IV MOBILE OFFSHORE DRILLING UNITS\n   POSITIONS AT 021645Z SEP:\n";
  for (int i = 0; i < state.range(0); ++i) {
    // The labels of NGA's lists: A. to Z., AA. to AZ., AAA. ...
    const std::string label = std::string(static_cast<size_t>(i / 26 % 4), 'A') + static_cast<char>('A' + i % 26);
    char line[96];
    std::snprintf(line, sizeof line, "   %s. RIG %d %02d-%02d.%dN %03d-%02d.%dW.\n", label.c_str(), i, 10 + i % 20,
                  i % 60, i % 10, 80 + i % 15, (i * 7) % 60, i % 10);
    text += line;
  }
  text += "2. CANCEL NAVAREA IV 783/26.\n";
  for (auto _ : state) benchmark::DoNotOptimize(orvane::ParseBulletin(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseRigList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A page of distinct warnings that all carry serial 47 and each cancel a 47
// of another year or series: every cancel key matches every message's
// number, none its year and series. The cancellation pass must stay linear.
std::string SharedSerialPage(size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += i % 2 ? "HYDROLANT 47/26.\nNORTH ATLANTIC.\nWRECK " + n + " REPORTED.\nCANCEL NAVAREA XII 47/25.\n"
                  : "NAVAREA IV 47/26.\nCARIBBEAN SEA.\nBUOY " + n + " UNLIT.\nCANCEL 47/24.\n";
  }
  return text;
}

void BM_ParseSharedSerialPage(benchmark::State& state) {
  const std::string text = SharedSerialPage(static_cast<size_t>(state.range(0)) << 20);
  size_t messages = 0;
  for (auto _ : state) {
    const auto msgs = orvane::ParseBulletin(text);
    messages = msgs.size();
    benchmark::DoNotOptimize(msgs.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_ParseSharedSerialPage)->Arg(1)->Unit(benchmark::kMillisecond);

// The cancellation pass alone over the parsed page, as an ingest runs it.
void BM_NormaliseSharedSerial(benchmark::State& state) {
  const auto parsed = orvane::ParseBulletin(SharedSerialPage(static_cast<size_t>(state.range(0)) << 20));
  for (auto _ : state) {
    state.PauseTiming();
    auto list = parsed;
    state.ResumeTiming();
    orvane::NormaliseMessages(&list);
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["messages"] = static_cast<double>(parsed.size());
}
BENCHMARK(BM_NormaliseSharedSerial)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

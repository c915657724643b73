// Files survive a killed process and a failing disk: a writer child is
// killed with SIGKILL at random moments while it replaces cache texts and
// their metadata, plain texts and parcels of 0 B to 1 MB; afterwards every
// file holds exactly its old or its new content. Writes into a folder the
// process may not write and past a file-size limit fail with a reason and
// leave the old file alone. The arrival log, killed mid-append, has at most
// its last line torn.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "common/paths.h"
#include "exchange/arrival_log.h"
#include "exchange/parcel.h"
#include "exchange/parcel_files.h"
#include "fetch/fetch_cache.h"
#include "test_support.h"

namespace orvane {
namespace {

enum Target { kCache, kPlain, kParcel, kTargets };

// Version k of a target's content: a length between 0 and 1 MiB, spread
// evenly over the orders of magnitude, filled with letters from a seed.
// Cache texts and parcels are never empty (their writers refuse empty text).
std::string Content(int target, uint32_t k) {
  std::mt19937 rng(static_cast<uint32_t>(target) * 1000003u + k);
  size_t len = static_cast<size_t>(std::pow(2.0, std::uniform_real_distribution<double>(0, 20)(rng)));
  if (target == kPlain && rng() % 8 == 0) len = 0;
  std::string s = "v" + std::to_string(k) + "\n";
  if (target == kPlain && len == 0) return std::string();
  while (s.size() < len) s.push_back(static_cast<char>('a' + rng() % 26));
  return s;
}

// Progress the writer shares with the test: the version it is writing and
// the last it finished, per target.
struct Progress {
  std::atomic<uint32_t> started[kTargets];
  std::atomic<uint32_t> done[kTargets];
  std::atomic<uint32_t> writes;
};

struct Paths {
  std::string plain, json, zip;
};

Paths TargetPaths() {
  const std::string dir = ParcelsDir();
  EnsureDirectory(dir);
  return {dir + "/plain.txt", dir + "/route.json", dir + "/route.zip"};
}

bool WriteVersion(int target, uint32_t k, const Paths& p) {
  const std::string c = Content(target, k);
  std::string error;
  switch (target) {
    case kCache: return StoreNavareaText(3, c, "http://127.0.0.1/3", 200, "e" + std::to_string(k), "");
    case kPlain: return WriteTextAtomically(p.plain, c, &error);
    default: return WriteParcelFiles(p.json, p.zip, c, &error);
  }
}

// The child: writes versions 1, 2, 3, ... of each target in turn until killed.
[[noreturn]] void WriterLoop(Progress* progress, const Paths& p) {
  for (uint32_t k = progress->done[kCache] + 1;; ++k)
    for (int t = 0; t < kTargets; ++t) {
      progress->started[t] = k;
      if (!WriteVersion(t, k, p)) _exit(3);
      progress->done[t] = k;
      ++progress->writes;
    }
}

std::string Slurp(const std::string& path) {
  std::string s;
  ReadWholeFile(path, &s);
  return s;
}

// True when text is the content of the version last finished or the one in
// progress.
bool IsOldOrNew(const std::string& text, int target, const Progress& progress) {
  return text == Content(target, progress.done[target]) || text == Content(target, progress.started[target]);
}

TEST(CrashSafety, KilledWritersLeaveOldOrNewFilesNeverPartialOnes) {
  test::TempDataRoot root;
  const Paths p = TargetPaths();
  auto* progress = static_cast<Progress*>(
      mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(progress, MAP_FAILED);
  new (progress) Progress();
  for (int t = 0; t < kTargets; ++t) {
    ASSERT_TRUE(WriteVersion(t, 0, p)) << t;
    progress->started[t] = progress->done[t] = 0;
  }

  std::mt19937 rng(20261211);
  int kills = 0, torn = 0;
  std::string why;
  while (progress->writes < 1000 || kills < 100) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) WriterLoop(progress, p);
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(200, 40000)(rng)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);
    ++kills;

    std::string cache;
    ReadNavareaCache(3, &cache);
    std::string parcel_in_zip;
    LoadParcelText(p.zip, &parcel_in_zip, &why);
    const std::string files[kTargets + 1] = {cache, Slurp(p.plain), Slurp(p.json), parcel_in_zip};
    const int targets[kTargets + 1] = {kCache, kPlain, kParcel, kParcel};
    for (int i = 0; i <= kTargets; ++i)
      if (!IsOldOrNew(files[i], targets[i], *progress)) {
        ++torn;
        ADD_FAILURE() << "file " << i << " after kill " << kills << " is neither version " << progress->done[targets[i]]
                      << " nor " << progress->started[targets[i]] << " (" << files[i].size() << " bytes)";
      }
    // The metadata is whole JSON and describes the old or the new text.
    const std::string meta = Slurp(CachePath("navarea_3.txt.meta.json"));
    {
      const auto j = nlohmann::json::parse(meta, nullptr, false);
      ASSERT_FALSE(j.is_discarded()) << "metadata torn after kill " << kills << ":\n" << meta;
      const size_t bytes = j.value("bytes", size_t{0});
      EXPECT_TRUE(bytes == Content(kCache, progress->done[kCache]).size() ||
                  bytes == Content(kCache, progress->started[kCache]).size())
          << bytes;
    }
    if (HasFailure()) break;
    // The next writer starts from whole files of one version.
    const uint32_t k = progress->started[kParcel] + 1;
    for (int t = 0; t < kTargets; ++t) {
      ASSERT_TRUE(WriteVersion(t, k, p));
      progress->started[t] = progress->done[t] = k;
    }
  }
  EXPECT_EQ(torn, 0);
  std::printf("crash safety: %d kills, %u atomic writes finished, %d partial files\n", kills,
              progress->writes.load(), torn);
  munmap(progress, sizeof(Progress));
}

// Runs fn in a child process and returns its exit status, so that limits and
// identities set for the failure stay out of the test process.
template <typename Fn>
int InChild(Fn fn) {
  const pid_t pid = fork();
  if (pid == 0) _exit(fn());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(CrashSafety, FailedWritesGiveAReasonAndKeepTheOldFile) {
  test::TempDataRoot root;
  const Paths p = TargetPaths();
  std::string error;
  ASSERT_TRUE(WriteTextAtomically(p.plain, "old text\n", &error));
  ASSERT_TRUE(StoreNavareaText(3, "old cache\n", "u", 200, "", ""));

  // A disk that fills up: the file-size limit stops the write half way.
  const std::string big(2 << 20, 'x');
  EXPECT_EQ(InChild([&] {
              signal(SIGXFSZ, SIG_IGN);
              rlimit limit{1 << 20, 1 << 20};
              setrlimit(RLIMIT_FSIZE, &limit);
              std::string why;
              if (WriteTextAtomically(p.plain, big, &why)) return 1;
              if (why.rfind("write failed: ", 0) != 0) return 2;
              return StoreNavareaText(3, big, "u", 200, "", "") ? 3 : 0;
            }),
            0);
  EXPECT_EQ(Slurp(p.plain), "old text\n");
  std::string cache;
  EXPECT_TRUE(ReadNavareaCache(3, &cache));
  EXPECT_EQ(cache, "old cache\n");
  EXPECT_FALSE(std::filesystem::exists(p.plain + ".tmp"));

  // A folder the process may not write into (as another user when run as root).
  chmod(std::filesystem::path(p.plain).parent_path().c_str(), 0555);
  EXPECT_EQ(InChild([&] {
              if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) return 9;
              std::string why;
              if (WriteTextAtomically(p.plain, "new text\n", &why)) return 1;
              return why.rfind("cannot open temp: ", 0) == 0 ? 0 : 2;
            }),
            0);
  chmod(std::filesystem::path(p.plain).parent_path().c_str(), 0755);
  EXPECT_EQ(Slurp(p.plain), "old text\n");
}

// The temporary file beside the target: a link planted there is removed,
// not written through; a stale one from a killed writer goes with the next
// write; a writer killed by the file-size limit (SIGXFSZ) leaves one, and
// the next write in a healthy process removes it.
TEST(CrashSafety, TheTemporaryFileIsAlwaysCreatedAfresh) {
  test::TempDataRoot root;
  const Paths p = TargetPaths();
  const std::string tmp = p.plain + ".tmp";
  const std::string outside = root.dir() + "/outside.txt";
  std::filesystem::create_directories(std::filesystem::path(p.plain).parent_path());
  std::ofstream(outside) << "not yours\n";
  ASSERT_EQ(symlink(outside.c_str(), tmp.c_str()), 0);
  std::string error;
  ASSERT_TRUE(WriteTextAtomically(p.plain, "new text\n", &error)) << error;
  EXPECT_EQ(Slurp(p.plain), "new text\n");
  EXPECT_EQ(Slurp(outside), "not yours\n");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(tmp)));

  std::ofstream(tmp) << "stale half";
  ASSERT_TRUE(WriteTextAtomically(p.plain, "newer text\n", &error)) << error;
  EXPECT_EQ(Slurp(p.plain), "newer text\n");
  EXPECT_FALSE(std::filesystem::exists(tmp));

  // Killed by the limit in the middle of the write.
  const std::string big(2 << 20, 'x');
  EXPECT_EQ(InChild([&] {
              rlimit limit{1 << 20, 1 << 20};
              setrlimit(RLIMIT_FSIZE, &limit);
              std::string why;
              return WriteTextAtomically(p.plain, big, &why) ? 1 : 2;
            }),
            100 + SIGXFSZ);
  EXPECT_EQ(Slurp(p.plain), "newer text\n");
  ASSERT_TRUE(WriteTextAtomically(p.plain, "after the kill\n", &error)) << error;
  EXPECT_EQ(Slurp(p.plain), "after the kill\n");
  EXPECT_FALSE(std::filesystem::exists(tmp));
}

MsiMessage Arrival(int i) {
  MsiMessage m;
  m.id = "NAVAREA III " + std::to_string(i) + "/26";
  m.title = "TITLE \"" + std::to_string(i) + "\" \\ " + std::string(i % 50, 'x');
  m.raw_text = m.title;
  return m;
}

TEST(CrashSafety, AKilledArrivalLogAppendTearsAtMostTheLastLine) {
  test::TempDataRoot root;
  std::mt19937 rng(7);
  int lines = 0, torn = 0;
  for (int round = 0; round < 20; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      MessageStore previous, current;
      for (int i = 0;; ++i) {
        current.push_back(Arrival(round * 1000000 + i));
        WriteArrivalLog(previous, current);
        previous = current;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(500, 20000)(rng)));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // Every line but the last parses, after every kill; a line torn by an
    // earlier kill stays a line of its own.
    std::ifstream in(ArrivalLogPath());
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);) all.push_back(line);
    lines = static_cast<int>(all.size());
    torn = 0;
    for (size_t i = 0; i < all.size(); ++i)
      if (nlohmann::json::parse(all[i], nullptr, false).is_discarded()) {
        ++torn;
        EXPECT_TRUE(i + 1 == all.size() || torn <= round) << "line " << i << " of " << all.size() << ": " << all[i];
      }
  }
  EXPECT_GT(lines, 20);
  EXPECT_LE(torn, 20);
  std::printf("arrival log: %d lines after 20 kills, %d torn\n", lines, torn);
}

}  // namespace
}  // namespace orvane

// The fetch cache on a real temporary folder: atomic stores, validators,
// staleness, the two purges and the size report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/clock.h"
#include "fetch/fetch_cache.h"
#include "test_support.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

class CacheTest : public testing::Test {
 protected:
  void SetUp() override { SetClock(&clock_); }
  void TearDown() override { SetClock(nullptr); }
  std::string Meta(int n) { return test::ReadFile(CachePath("navarea_" + std::to_string(n) + ".txt.meta.json")); }
  void WriteMeta(int n, const std::string& fetch_time_line) {
    std::ofstream(CachePath("navarea_" + std::to_string(n) + ".txt.meta.json"))
        << "{\n  \"navarea\": " << n << ",\n" << fetch_time_line << "\n}\n";
  }
  test::TempDataRoot root_;
  ManualClock clock_{1767225600000LL};  // 2026-01-01T00:00:00Z
};

TEST_F(CacheTest, StoresTextAndValidatorMetadata) {
  ASSERT_TRUE(StoreNavareaText(3, "NAVAREA III 0001/26", "https://p/navarea/3/messages/", 200, "\"abc\"", "Thu"));
  std::string text;
  ASSERT_TRUE(ReadNavareaCache(3, &text));
  EXPECT_EQ(text, "NAVAREA III 0001/26");
  EXPECT_EQ(Meta(3),
            "{\n  \"navarea\": 3,\n  \"fetch_time\": \"2026-01-01T00:00:00Z\",\n"
            "  \"source_url\": \"https://p/navarea/3/messages/\",\n  \"http_status\": 200,\n"
            "  \"bytes\": 19,\n  \"fnv1a64\": \"" +
                [] {
                  char b[24];
                  std::snprintf(b, sizeof b, "%llx", (unsigned long long)Fnv1a64("NAVAREA III 0001/26"));
                  return std::string(b);
                }() +
                "\",\n  \"etag\": \"\\\"abc\\\"\",\n  \"last_modified\": \"Thu\"\n}\n");
  std::string etag, lm;
  ASSERT_TRUE(ReadCacheValidators(3, &etag, &lm));
  EXPECT_EQ(etag, "\"abc\"");
  EXPECT_EQ(lm, "Thu");
}

TEST_F(CacheTest, EtagsWithQuotesRoundTripAndRawFilesStillRead) {
  ASSERT_TRUE(StoreNavareaText(4, "some text", "u", 200, "W/\"x\"", ""));
  std::string etag, lm;
  ASSERT_TRUE(ReadCacheValidators(4, &etag, &lm));
  EXPECT_EQ(etag, "W/\"x\"");
  EXPECT_EQ(lm, "");
  // A file written without escaping reads as it always did.
  WriteMeta(5, "  \"etag\": \"abc123\",\n  \"last_modified\": \"Wed, 21 Oct 2015 07:28:00 GMT\"");
  ASSERT_TRUE(ReadCacheValidators(5, &etag, &lm));
  EXPECT_EQ(etag, "abc123");
  EXPECT_EQ(lm, "Wed, 21 Oct 2015 07:28:00 GMT");
  EXPECT_FALSE(ReadCacheValidators(6, &etag, &lm));
}

TEST_F(CacheTest, SameTextTwiceLeavesTheFileUntouched) {
  ASSERT_TRUE(StoreNavareaText(3, "same text", "u", 200, "", ""));
  const std::string path = CachePath("navarea_3.txt");
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(5);
  fs::last_write_time(path, old_time);
  const std::string meta_before = Meta(3);
  clock_.Advance(2000);
  ASSERT_TRUE(StoreNavareaText(3, "same text", "u", 200, "", ""));
  EXPECT_EQ(fs::last_write_time(path), old_time);
  EXPECT_NE(Meta(3), meta_before);
  EXPECT_NE(Meta(3).find("2026-01-01T00:00:02Z"), std::string::npos);
  ASSERT_TRUE(StoreNavareaText(3, "new text", "u", 200, "", ""));
  EXPECT_NE(fs::last_write_time(path), old_time);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(CacheTest, RefusesBadIdsAndEmptyText) {
  EXPECT_FALSE(StoreNavareaText(0, "text", "u", 200, "", ""));
  EXPECT_FALSE(StoreNavareaText(22, "text", "u", 200, "", ""));
  EXPECT_FALSE(StoreNavareaText(3, "", "u", 200, "", ""));
  EXPECT_TRUE(fs::is_empty(CacheDir()));
  std::string text;
  EXPECT_FALSE(ReadNavareaCache(0, &text));
  EXPECT_FALSE(ReadNavareaCache(3, &text));
  std::ofstream(CachePath("navarea_7.txt")).flush();  // empty file
  EXPECT_FALSE(ReadNavareaCache(7, &text));
}

TEST_F(CacheTest, StalenessByFetchTime) {
  // now is 2026-01-01T00:00:00Z
  WriteMeta(1, "  \"fetch_time\": \"2025-12-31T01:00:00Z\"");  // 23 h ago
  WriteMeta(2, "  \"fetch_time\": \"2025-12-30T23:00:00Z\"");  // 25 h ago
  WriteMeta(3, "  \"fetch_time\":\"2025-12-31T23:00:00Z\"");   // space missing
  WriteMeta(4, "  \"fetch_time\": \"yesterday\"");
  EXPECT_FALSE(IsNavareaCacheStale(1, 24));
  EXPECT_TRUE(IsNavareaCacheStale(2, 24));
  EXPECT_TRUE(IsNavareaCacheStale(3, 24));
  EXPECT_TRUE(IsNavareaCacheStale(4, 24));
  EXPECT_TRUE(IsNavareaCacheStale(5, 24));   // no metadata
  EXPECT_FALSE(IsNavareaCacheStale(5, 0));   // no limit
}

TEST_F(CacheTest, StalePurgeDeletesOnlyOldNavareas) {
  ASSERT_TRUE(StoreNavareaText(4, "fresh", "u", 200, "", ""));
  clock_.Advance(-48LL * 3600 * 1000);
  ASSERT_TRUE(StoreNavareaText(3, "old", "u", 200, "", ""));
  clock_.Advance(48LL * 3600 * 1000);
  int count = -1;
  EXPECT_EQ(PurgeStaleCache(nullptr, &count), "Purged 1 stale NAVAREA cache file(s) (>24 h)");
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(fs::exists(CachePath("navarea_3.txt")));
  EXPECT_FALSE(fs::exists(CachePath("navarea_3.txt.meta.json")));
  EXPECT_TRUE(fs::exists(CachePath("navarea_4.txt")));
  EXPECT_TRUE(fs::exists(CachePath("navarea_4.txt.meta.json")));
}

TEST_F(CacheTest, PurgeAllKeepsSubfolders) {
  for (const char* name : {"navarea_1.txt", "navarea_1.txt.meta.json", "coastal_x.txt", "http_gets.log", "a.tmp"})
    std::ofstream(CachePath(name)) << "x";
  fs::create_directories(CacheDir() + "/parcels");
  std::ofstream(CacheDir() + "/parcels/p.json") << "{}";
  int count = -1;
  EXPECT_EQ(PurgeAllCache(nullptr, &count), "Purged ALL fetch cache \xE2\x80\x94 5 file(s)");
  EXPECT_EQ(count, 5);
  EXPECT_TRUE(fs::exists(CacheDir() + "/parcels/p.json"));
}

TEST_F(CacheTest, SizeReport) {
  EXPECT_EQ(CacheSizeReport(), "Cache: (empty / not created yet)");
  std::ofstream(CachePath("a")) << std::string(1048576, 'a');
  std::ofstream(CachePath("b")) << std::string(524288, 'b');
  std::ofstream(CachePath("c")) << std::string(524288, 'c');
  std::ofstream(CachePath(".hidden")) << "h";
  fs::create_directories(CacheDir() + "/parcels");
  EXPECT_EQ(CacheSizeReport(), "Cache: 3 file(s), 2.00 MB");
}

TEST_F(CacheTest, CoastalKeysKeepSafeBytesOnly) {
  EXPECT_TRUE(WriteCoastalCache("nav tex/hub_1-a", "text"));
  EXPECT_TRUE(fs::exists(CachePath("coastal_navtexhub_1-a.txt")));
  EXPECT_FALSE(WriteCoastalCache(" /", "text"));
  EXPECT_FALSE(WriteCoastalCache("hub", ""));
}

TEST_F(CacheTest, LogLines) {
  AppendRequestLog("http://h/x", 200, 12, 34, "ok");
  AppendRequestLog("http://h/y", 0, 0, 5, "");
  AppendFetchErrorLog(3, "http://h/z", "HTTP status 404 (http://h/z)");
  EXPECT_EQ(test::ReadFile(CachePath("http_gets.log")),
            "2026-01-01T00:00:00Z status=200 bytes=12 ms=34 url=http://h/x note=ok\n"
            "2026-01-01T00:00:00Z status=0 bytes=0 ms=5 url=http://h/y\n");
  EXPECT_EQ(test::ReadFile(CachePath("fetch_errors.log")),
            "2026-01-01T00:00:00Z navarea=3 url=http://h/z err=HTTP status 404 (http://h/z)\n");
}

}  // namespace
}  // namespace orvane

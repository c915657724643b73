// The command-line tool against expected output: the input beside its
// expected JSON lines, compared as text so a change shows as a diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>

#include "test_support.h"

namespace orvane {
namespace {

struct RunResult {
  int status;
  std::string out;
};

RunResult RunCli(const std::string& args) {
  RunResult r{-1, ""};
  FILE* p = popen(("'" ORVANE_CLI_PATH "' " + args).c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  r.status = pclose(p);
  return r;
}

const std::string kFixtures = ORVANE_FIXTURES_DIR;

// Every command runs against an empty data root, so a keywords.json or cache
// of the user's own cannot change what the expected output says.
class IsolatedDataRoot : public ::testing::Environment {
 public:
  void SetUp() override { root_ = std::make_unique<test::TempDataRoot>(); }
  void TearDown() override { root_.reset(); }

 private:
  std::unique_ptr<test::TempDataRoot> root_;
};
const auto* const kIsolated = ::testing::AddGlobalTestEnvironment(new IsolatedDataRoot);

TEST(OrvaneParse, SampleBulletinMatchesItsExpectedLines) {
  const RunResult r = RunCli("parse '" + kFixtures + "/sample_bulletin.txt'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, test::ReadFile(kFixtures + "/sample_bulletin.expected.jsonl"));
}

TEST(OrvaneParse, ReadsStandardInputAndPrintsGeoJson) {
  const RunResult r = RunCli("parse --geojson - < '" + kFixtures + "/sample_bulletin.txt'");
  EXPECT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["type"], "FeatureCollection");
  ASSERT_TRUE(j["features"].is_array());
  for (const auto& f : j["features"]) {
    EXPECT_EQ(f["type"], "Feature");
    const auto& g = f["geometry"];
    if (g["type"] == "Polygon") {
      EXPECT_EQ(g["coordinates"][0].front(), g["coordinates"][0].back());
    }
    EXPECT_TRUE(f["properties"].contains("title"));
  }
}

TEST(OrvaneParse, GeoJsonHasEveryPartAndTheCorridorsWidth) {
  // HYDROLANT 682/24, routes A and E: a corridor and an area in one warning.
  const std::string path = ::testing::TempDir() + "/corridor.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "HYDROLANT 682/24(55).\nBLACK SEA.\n2. ROUTES TO THE PORTS OF UKRAINE:\n"
           "   A. ROUTE FOR VESSELS WITH A DRAFT OF UP TO\n      EIGHT METERS WITHIN THREE MILES OF\n"
           "      TRACKLINE JOINING\n      45-05.00N 030-03.00E, 45-14.00N 030-01.00E,\n"
           "      45-39.00N 030-05.70E, 45-47.80N 030-22.70E.\n"
           "   E. SOUTHERN TEMPORARY WAITING AREA\n      IN AREA BOUND BY\n"
           "      45-00.00N 030-10.00E, 44-55.00N 030-25.00E,\n      44-50.00N 030-25.00E, 44-50.00N 030-10.00E.\n";
  }
  const RunResult r = RunCli("parse --geojson '" + path + "'");
  EXPECT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j["features"].size(), 2u);
  const auto& route = j["features"][0];
  EXPECT_EQ(route["geometry"]["type"], "LineString");
  EXPECT_EQ(route["geometry"]["coordinates"].size(), 4u);
  EXPECT_EQ(route["properties"]["radius_nm"], 3.0);
  EXPECT_EQ(route["properties"]["geom_index"], 0);
  const auto& area = j["features"][1];
  EXPECT_EQ(area["geometry"]["type"], "Polygon");
  EXPECT_EQ(area["geometry"]["coordinates"][0].size(), 5u);  // four corners, closed
  EXPECT_FALSE(area["properties"].contains("radius_nm"));
  EXPECT_EQ(area["properties"]["geom_index"], 1);
}

TEST(OrvaneNrx, ReceiverLogComesOutAsParsedMessagesWithTheReceiversFigures) {
  const RunResult r = RunCli("nrx '" ORVANE_TEST_DATA_DIR "/navtex_receiver.nmea' 2> /dev/null");
  EXPECT_EQ(r.status, 0);
  std::vector<nlohmann::json> lines;
  std::istringstream in(r.out);
  for (std::string l; std::getline(in, l);) lines.push_back(nlohmann::json::parse(l));
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0]["station_id"], "IA21");
  EXPECT_EQ(lines[0]["receiver"]["form"], "iec");
  EXPECT_EQ(lines[0]["receiver"]["received_utc"], "2026-12-11T11:09:00Z");
  EXPECT_EQ(lines[0]["receiver"]["frequency_khz"], 518.0);
  EXPECT_EQ(lines[4]["receiver"]["form"], "lines");
  EXPECT_EQ(lines[8]["receiver"]["form"], "raw");
  EXPECT_EQ(lines[8]["receiver"]["garbled"], true);
  const RunResult summary = RunCli("nrx - < '" ORVANE_TEST_DATA_DIR "/navtex_receiver.nmea' 2>&1 > /dev/null");
  EXPECT_EQ(summary.out,
            "orvane nrx: sentences=28 bad_checksum=1 malformed=0 incomplete=2 overflow=0 duplicates=1 messages=11\n");
}

TEST(OrvaneParse, InvalidUtf8ComesOutAsValidJson) {
  const std::string path = ::testing::TempDir() + "/bad_utf8.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "NAVAREA III - 0001/26 BAD \xC3\x28 BYTES IN THE TITLE\n";
  }
  const RunResult r = RunCli("parse '" + path + "'");
  EXPECT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["number"], 1);
  EXPECT_NE(j["title"].get<std::string>().find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(OrvaneParcelCheck, PrintsMetaAndMessagesOrTheRefusal) {
  const RunResult r = RunCli("parcel check '" + kFixtures + "/parcel_route.json'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, test::ReadFile(kFixtures + "/parcel_route.expected.jsonl"));
  const std::string bad = ::testing::TempDir() + "/bad_parcel.json";
  std::ofstream(bad) << "{\"meta\": {\"format\": \"orvane_parcel_v2\"}, \"messages\": []}";
  const RunResult refused = RunCli("parcel check '" + bad + "' 2>&1");
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.out.find("unsupported or missing meta.format (need orvane_parcel_v1)"), std::string::npos);
  EXPECT_NE(RunCli("parcel frobnicate x 2>/dev/null").status, 0);
}

TEST(OrvaneParse, MissingFileAndUnknownCommandFail) {
  EXPECT_NE(RunCli("parse /nonexistent/file 2>/dev/null").status, 0);
  EXPECT_NE(RunCli("frobnicate 2>/dev/null").status, 0);
  EXPECT_NE(RunCli("2>/dev/null").status, 0);
}

}  // namespace
}  // namespace orvane

#include "http_test_server.h"

namespace orvane {
namespace {

TEST(OrvaneFetch, PrintsTheNavareaSectionFromATestPortal) {
  test::TempDataRoot root;  // the cache and logs go to a temporary folder
  test::TestServer server([](httplib::Server& svr) {
    svr.Get("/navarea/3/messages/", [](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("page")) return;
      res.set_content("<html><body><p>NAVAREA III - 0139/26 BLACK SEA</p><p>WRECK IN POSITION 41-20N 036-20E. "
                      "DANGEROUS TO NAVIGATION.</p></body></html>",
                      "text/html");
    });
  });
  const std::string err = root.dir() + "/stderr.txt";
  const RunResult r = RunCli("fetch --portal " + server.base() + " --no-archive 3 2>'" + err + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "===== NAVAREA 3 =====\nNAVAREA III - 0139/26 BLACK SEA\nWRECK IN POSITION 41-20N 036-20E. "
            "DANGEROUS TO NAVIGATION.\n\n\n\n");
  EXPECT_EQ(test::ReadFile(err), "ok=1 fail=0 cache=0 of 1\n");
  EXPECT_NE(test::ReadFile(root.dir() + "/local/opencpn/orvane_cache/navarea_3.txt").find("0139/26"),
            std::string::npos);
}

TEST(OrvaneFetch, FailsWithoutAnswerAndOnBadArguments) {
  test::TempDataRoot root;
  int port = 0;
  {
    test::TestServer server([](httplib::Server& svr) {
      svr.Get(".*", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    });
    const RunResult r = RunCli("fetch --portal " + server.base() + " --no-archive 4 2>/dev/null");
    EXPECT_EQ(r.status, 1 << 8);  // pclose gives the exit status shifted
    EXPECT_NE(r.out.find("<!-- navarea 4 failed: HTTP status 404"), std::string::npos);
    port = server.port();
  }
  EXPECT_NE(RunCli("fetch 22 2>/dev/null").status, 0);
  EXPECT_NE(RunCli("fetch 2>/dev/null").status, 0);
  (void)port;
}

}  // namespace
}  // namespace orvane

// The sources fetched after the NAVAREAs, against real HTTP servers on
// 127.0.0.1: the two coastal hubs, the Admiralty and NGA pages, the user's
// own feed addresses, and the coastal registry line.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "common/clock.h"
#include "common/paths.h"
#include "fetch/coastal.h"
#include "fetch/extra_sources.h"
#include "fetch/fetch_control.h"
#include "fetch/html_text.h"
#include "fetch/http_client.h"
#include "http_test_server.h"
#include "test_support.h"

namespace orvane {
namespace {

using test::TestServer;

// A page whose reduced text is the given bulletin line.
std::string Page(const std::string& line) { return "<html><body><p>" + line + "</p></body></html>"; }

// Warning text comfortably above the agencies' 80-byte floor.
const std::string kLongWarning =
    "NAVAREA I - 0101/26 WRECK IN POSITION 50-10N 001-20W. DANGEROUS WRECK, DEPTH 12 METRES. KEEP CLEAR.";

void Serve(httplib::Server& svr, const std::string& path, int status, const std::string& body) {
  svr.Get(path, [status, body](const auto&, auto& res) {
    res.status = status;
    res.set_content(body, "text/html");
  });
}

class ExtraSourcesTest : public testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    ResetRequestState();
    SetFetchShutdown(false);
    SetFetchSleeper([this](int64_t ms) {
      clock_.Advance(ms);
      return true;
    });
  }
  void TearDown() override {
    SetFetchSleeper(nullptr);
    SetClock(nullptr);
    for (const char* v : {"ORVANE_PORTAL_URL", "ORVANE_UKHO_URL", "ORVANE_NGA_URL"}) unsetenv(v);
  }
  test::TempDataRoot root_;
  ManualClock clock_;
};

TEST_F(ExtraSourcesTest, BothHubsFailingGiveTwoCommentsAndNoSection) {
  TestServer s([](httplib::Server& svr) {
    Serve(svr, "/navtex/", 404, "gone");
    Serve(svr, "/coastal/", 404, "gone");
  });
  const CoastalFetchResult r = FetchCoastalHubs(s.base() + "/");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "coastal hubs failed");
  EXPECT_EQ(r.text.rfind("<!-- navtex fail: ", 0), 0u) << r.text;
  EXPECT_NE(r.text.find("-->\n<!-- coastal fail: "), std::string::npos) << r.text;
  EXPECT_EQ(r.text.find("====="), std::string::npos);

  // The job appends nothing and marks the failure after what the NAVAREAs said.
  setenv("ORVANE_PORTAL_URL", s.base().c_str(), 1);
  FetchJob job;
  job.coastal = true;
  std::string text = "NAVAREA TEXT", status = "ok 1/1";
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_EQ(text, "NAVAREA TEXT");
  EXPECT_EQ(status, "ok 1/1; coastal=ERR");
  EXPECT_FALSE(ok);
}

TEST_F(ExtraSourcesTest, OneHubFailingStillGivesTheOtherSectionAndCachesIt) {
  TestServer s([](httplib::Server& svr) {
    Serve(svr, "/navtex/", 404, "gone");
    Serve(svr, "/coastal/", 200, Page("ZCZC NA01 COASTAL WARNING 12 LIGHT UNLIT NNNN"));
  });
  const CoastalFetchResult r = FetchCoastalHubs(s.base() + "//");
  ASSERT_TRUE(r.ok);
  const std::string section = "===== COASTAL coastal =====\nZCZC NA01 COASTAL WARNING 12 LIGHT UNLIT NNNN\n\n";
  ASSERT_EQ(r.text.find("<!-- navtex fail: "), 0u) << r.text;
  EXPECT_EQ(r.text.substr(r.text.find("-->\n") + 4), section);
  EXPECT_EQ(test::ReadFile(FetchCacheDir() + "/coastal_coastal.txt"), "ZCZC NA01 COASTAL WARNING 12 LIGHT UNLIT NNNN");
  EXPECT_FALSE(std::filesystem::exists(FetchCacheDir() + "/coastal_navtex.txt"));

  // A failed NAVAREA fetch (its status is its error) followed by the hubs.
  setenv("ORVANE_PORTAL_URL", s.base().c_str(), 1);
  FetchJob job;
  job.coastal = true;
  std::string text, status = "NAVAREA III: HTTP 503";
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(status, "NAVAREA III: HTTP 503; coastal=ok");
  EXPECT_EQ(text, "\n\n" + r.text);
}

TEST_F(ExtraSourcesTest, AgencyPagesCountOnlyWithEightyBytesOfText) {
  const std::string tiny_page = Page("NAVAREA I " + std::string(40, 'W'));
  ASSERT_EQ(HtmlToText(tiny_page).size(), 50u);
  TestServer s([&](httplib::Server& svr) {
    Serve(svr, "/RadioNavigationalWarnings", 200, tiny_page);
    Serve(svr, "/NavWarnings", 200, Page(kLongWarning));
    Serve(svr, "/down", 404, "");
  });
  const std::string ukho = s.base() + "/RadioNavigationalWarnings";
  const std::string nga = s.base() + "/NavWarnings";
  const AgencyFetchResult tiny = FetchAgencyPage(Agency::kAdmiralty, ukho);
  EXPECT_FALSE(tiny.ok);
  EXPECT_EQ(tiny.error, "admiralty HTML empty/tiny");

  const AgencyFetchResult good = FetchAgencyPage(Agency::kNga, nga);
  ASSERT_TRUE(good.ok) << good.error;
  EXPECT_EQ(good.section, "===== EXTRA FEED NGA =====\nSOURCE: " + nga + "\n" + kLongWarning + "\n");
  EXPECT_FALSE(FetchAgencyPage(Agency::kNga, s.base() + "/down").error.empty());

  // The job uses the pages' addresses, which the environment replaces.
  EXPECT_EQ(AgencyPageUrl(Agency::kAdmiralty), kAdmiraltyPageUrl);
  setenv("ORVANE_UKHO_URL", ukho.c_str(), 1);
  setenv("ORVANE_NGA_URL", nga.c_str(), 1);
  FetchJob job;
  job.admiralty = job.nga = true;
  std::string text, status;
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_EQ(status, "ukho=ERR; nga=ok");
  EXPECT_TRUE(ok);
  EXPECT_EQ(text, "\n\n" + good.section);
}

TEST_F(ExtraSourcesTest, AllSourcesRunInOrderAfterTheNavareas) {
  std::mutex m;
  std::vector<std::string> asked;
  TestServer s([&](httplib::Server& svr) {
    svr.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(m);
      asked.push_back(req.path);
      res.status = req.path == "/ukho" ? 500 : 200;
      res.set_content(Page(req.path == "/nga" ? kLongWarning : "NAVAREA I - 0001/26 FROM " + req.path), "text/html");
    });
  });
  setenv("ORVANE_PORTAL_URL", s.base().c_str(), 1);
  setenv("ORVANE_UKHO_URL", (s.base() + "/ukho").c_str(), 1);
  setenv("ORVANE_NGA_URL", (s.base() + "/nga").c_str(), 1);
  FetchJob job;
  job.coastal = job.admiralty = job.nga = true;
  job.extra_feed_urls = s.base() + "/mine";
  std::string text = "NAVAREA", status = "ok 1/1";
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(status, "ok 1/1; coastal=ok; ukho=ERR; nga=ok");
  // The Admiralty page is asked three times: the server's 500 is worth retrying.
  EXPECT_EQ(asked, (std::vector<std::string>{"/navtex/", "/coastal/", "/ukho", "/ukho", "/ukho", "/nga", "/mine"}));
  const size_t navtex = text.find("===== COASTAL navtex ====="), coastal = text.find("===== COASTAL coastal =====");
  const size_t nga = text.find("===== EXTRA FEED NGA ====="), mine = text.find("===== EXTRA " + s.base() + "/mine");
  EXPECT_EQ(text.rfind("NAVAREA\n\n===== COASTAL navtex", 0), 0u) << text;
  EXPECT_TRUE(navtex < coastal && coastal < nga && nga < mine) << text;
  EXPECT_EQ(text.find("UKHO"), std::string::npos);
}

TEST_F(ExtraSourcesTest, ExtraFeedLinesThatAreAddressesAreFetchedInOrder) {
  std::mutex m;
  std::vector<std::string> asked;
  TestServer s([&](httplib::Server& svr) {
    svr.Get(R"(/feed(\d))", [&](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(m);
      asked.push_back(req.path);
      if (req.path == "/feed2") {
        res.set_content(Page("NAVAREA III - 0007/26 BUOY ADRIFT"), "text/html");
      } else {
        res.set_content(Page("SECURITE FEED ONE GALE WARNING"), "text/html");
      }
    });
  });
  FetchJob job;
  job.extra_feed_urls = "  " + s.base() + "/feed1 \r\n\n\t" + s.base() + "/feed2\t\nftp://example.org/x\nnot a url";
  std::string text = "BASE", status = "ok";
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_EQ(asked, (std::vector<std::string>{"/feed1", "/feed2"}));
  EXPECT_EQ(text, "BASE\n\n===== EXTRA " + s.base() + "/feed1 =====\nSECURITE FEED ONE GALE WARNING" +
                      "\n\n===== EXTRA " + s.base() + "/feed2 =====\nNAVAREA III - 0007/26 BUOY ADRIFT");
  EXPECT_EQ(status, "ok");  // extra feeds add no mark
  EXPECT_TRUE(ok);
}

TEST_F(ExtraSourcesTest, ExtraFeedSetsOkOnlyWhenItGaveText) {
  TestServer s([](httplib::Server& svr) {
    Serve(svr, "/empty", 200, "<html><body><script>x()</script></body></html>");
    Serve(svr, "/missing", 404, "no");
  });
  FetchJob job;
  job.extra_feed_urls = s.base() + "/empty\n" + s.base() + "/missing";
  std::string text, status;
  bool ok = false;
  AppendExtraSources(job, &text, &status, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(text, "\n\n===== EXTRA " + s.base() + "/empty =====\n");  // the failed one leaves no trace
}

class RegistryTest : public testing::Test {
 protected:
  void Write(const std::string& json) {
    std::filesystem::create_directories(std::filesystem::path(CoastalRegistryPath()).parent_path());
    std::ofstream(CoastalRegistryPath(), std::ios::binary) << json;
  }
  void TearDown() override { unsetenv("ORVANE_PORTAL_URL"); }
  test::TempDataRoot root_;
};

TEST_F(RegistryTest, RegistryLineTable) {
  setenv("ORVANE_PORTAL_URL", "https://portal.test/", 1);
  const std::string fallback = "Coastal registry: 2 hubs (fallback) - https://portal.test";
  EXPECT_EQ(CoastalRegistryLine(nullptr), fallback);  // no file
  struct Case {
    const char* json;
    const char* line;
  };
  const std::string five_urls = R"({"endpoints": [{"url": "a"}, {"url": "b"}, {"url": "c"}, {"url": "d"}, {"url": "e"}]})";
  const Case cases[] = {
      {five_urls.c_str(), "Coastal registry v1.1.0 - 5 endpoint(s)"},
      {R"({"version": "2.0", "edited_at": "2026-10-01", "url": "x"})",
       "Coastal registry v2.0 - 1 endpoint(s) (edited 2026-10-01)"},
      // Written another way reads as missing: no space, a number, an empty value.
      {R"({"version":"3.0", "edited_at": 20261001})", "Coastal registry v1.1.0 - 2 endpoint(s)"},
      {R"({"version": "", "edited_at": ""})", "Coastal registry v1.1.0 - 2 endpoint(s)"},
  };
  for (const Case& c : cases) {
    Write(c.json);
    EXPECT_EQ(CoastalRegistryLine(nullptr), c.line) << c.json;
  }
  // A folder where the file should be cannot be read: the fallback stays.
  std::filesystem::remove(CoastalRegistryPath());
  std::filesystem::create_directory(CoastalRegistryPath());
  EXPECT_EQ(CoastalRegistryLine(nullptr), fallback);
}

TEST_F(RegistryTest, ShippedRegistryReadsItsVersionAndHubs) {
  std::ifstream in(ORVANE_DATA_DIR "/coastal/registry.json", std::ios::binary);
  Write(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  EXPECT_EQ(CoastalRegistryLine(nullptr), "Coastal registry v1.2.0 - 2 endpoint(s) (edited 2026-11-20)");
}

}  // namespace
}  // namespace orvane

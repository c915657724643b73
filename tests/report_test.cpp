// The printable report, as text and as a file.
#include <gtest/gtest.h>

#include "common/clock.h"
#include "common/paths.h"
#include "exchange/report.h"
#include "test_support.h"

namespace orvane {
namespace {

TEST(Report, EmptyStoreHasTheHeaderAndNoSections) {
  const std::string html = ReportHtml({}, "2026-01-05 14:30:09");
  EXPECT_EQ(html.rfind("<html><head><meta charset=\"utf-8\"><title>Orvane Report</title><style>", 0), 0u);
  EXPECT_NE(html.find("<h1>Orvane MSI Report</h1><p>Generated: 2026-01-05 14:30:09 | Messages: 0 | "
                      "Source: Quorvant NAVAREA</p></body></html>"),
            std::string::npos);
  EXPECT_EQ(html.find("<h2>"), std::string::npos);
}

TEST(Report, SectionsEscapeTextTitleAndId) {
  MsiMessage sar;
  sar.type = SAR_OPS;
  sar.title = "MAN <!-- OVERBOARD <script>";
  sar.id = "SAR_OPS_<x>";
  sar.b2 = 'D';
  sar.raw_text = "a<b & c>d\nline";
  MsiMessage odd;
  odd.type = static_cast<MsgType>(42);
  odd.title = "T";
  const std::string html = ReportHtml({sar, odd}, "2026-01-05 14:30:09");
  EXPECT_NE(html.find("<h2>1. SAR \xE2\x80\x94 MAN &lt;!-- OVERBOARD &lt;script&gt;</h2>"
                      "<p>id=SAR_OPS_&lt;x&gt; B2=D</p><pre>a&lt;b &amp; c&gt;d\nline</pre>"),
            std::string::npos);
  EXPECT_NE(html.find("<h2>2. DANGER ZONE \xE2\x80\x94 T</h2><p>id= B2=?</p><pre></pre>"), std::string::npos);
  EXPECT_EQ(html.find("<!--"), std::string::npos);
}

TEST(Report, FileNamedByTheSecondAndReplacedWithinIt) {
  test::TempDataRoot root;
  const int64_t now = 1767623409000;  // one instant, twice
  std::string first, second;
  MsiMessage m;
  m.title = "FIRST";
  ASSERT_TRUE(WriteReportFile({m}, now, &first));
  m.title = "SECOND";
  ASSERT_TRUE(WriteReportFile({m}, now + 500, &second));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.rfind(ReportsDir() + "/orvane_report_", 0), 0u);
  EXPECT_EQ(first.substr(first.size() - 4), ".doc");
  const std::string text = test::ReadFile(second);
  EXPECT_NE(text.find("SECOND"), std::string::npos);
  EXPECT_EQ(text.find("FIRST"), std::string::npos);

  // A reports folder that cannot be made is a write failure naming the path.
  std::filesystem::remove_all(ReportsDir());
  std::ofstream(ReportsDir()) << "a file in the way";
  std::string failed;
  EXPECT_FALSE(WriteReportFile({m}, now, &failed));
  EXPECT_EQ(failed.rfind(ReportsDir() + "/orvane_report_", 0), 0u);
}

}  // namespace
}  // namespace orvane

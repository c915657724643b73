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

TEST(Report, ListsWhereEachPartOfAWarningLies) {
  MsiMessage m;
  m.type = MILITARY;
  m.title = "HYDROLANT 237/26(54).";
  m.geoms = {{GEOM_POLYGON, {{35.6, 24.116667}, {36.3, 24.116667}, {36.3, 25.983333}}, 0.0},
             {GEOM_CIRCLE, {{35.533333, 24.216667}}, 1.0},
             {GEOM_POLYLINE, {{45.083333, 30.05}, {45.233333, 30.016667}}, 3.0},
             {GEOM_POLYLINE, {{-0.5, -179.999999}, {0.5, 179.5}}, 0.0},
             {GEOM_POINT, {{59.999999, 0.0}}, 0.0}};
  const std::string html = ReportHtml({m}, "2026-01-05 14:30:09");
  EXPECT_NE(html.find("</pre><ul><li>Area bounded by 35-36.00N 024-07.00E, 36-18.00N 024-07.00E, "
                      "36-18.00N 025-59.00E</li><li>Within 1 NM of 35-32.00N 024-13.00E</li>"
                      "<li>Within 3 NM of the line 45-05.00N 030-03.00E, 45-14.00N 030-01.00E</li>"
                      "<li>Line 00-30.00S 180-00.00W, 00-30.00N 179-30.00E</li>"
                      "<li>Position 60-00.00N 000-00.00E</li></ul>"),
            std::string::npos)
      << html;
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

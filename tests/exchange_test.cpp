// Parcels along the test host's active route, parcel import into the store,
// the corridor hint and the report, through the plug-in object.
#include <gtest/gtest.h>

#include <wx/frame.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "common/paths.h"
#include "exchange/parcel.h"
#include "exchange/parcel_exchange.h"
#include "orvane_pi/orvane_pi.h"
#include "test_host.h"
#include "test_support.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

using testhost::Host;

// Latitude d nautical miles north of lat on the same meridian.
double North(double lat, double nm) { return lat + nm / 3440.065 * 180.0 / M_PI; }

MsiMessage PointMessage(const std::string& id, double lat, double lon, bool active = true) {
  MsiMessage m;
  m.id = id;
  m.title = "warning " + id;
  m.raw_text = "text of " + id;
  m.active = active;
  m.geoms.push_back({GEOM_POINT, {{lat, lon}}, 0.0});
  return m;
}

class ExchangeTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    Host().canvas = frame_;
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    plugin_->Init();
    plugin_->LoadBulletinText("");  // an empty store
  }
  void TearDown() override {
    plugin_->DeInit();
    plugin_.reset();
    frame_->Destroy();
  }
  void SetRoute(std::vector<LatLon> points, const char* name = "Varna-Istanbul") {
    PlugIn_Route r;
    r.m_NameString = name;
    r.m_GUID = "route-1";
    for (const LatLon& p : points) {
      PlugIn_Waypoint w;
      w.m_lat = p.first;
      w.m_lon = p.second;
      r.waypoints.push_back(w);
    }
    Host().routes["route-1"] = r;
    Host().active_route_guid = "route-1";
  }
  // Writes messages as a parcel file and returns its path.
  std::string ParcelFile(const std::vector<MsiMessage>& messages, const std::string& name, ParcelMeta meta = {}) {
    const std::string path = root_.dir() + "/" + name;
    std::ofstream(path) << WriteParcelJson(messages, meta);
    return path;
  }
  std::string Import(const std::vector<MsiMessage>& messages) {
    return plugin_->ImportParcel(ParcelFile(messages, "in.json"));
  }
  // The newest exported parcel, read back.
  std::vector<MsiMessage> ReadExport(const std::string& status, ParcelMeta* meta) {
    const std::string marker = "\xE2\x86\x92 ";
    const std::string zip = status.substr(status.find(marker) + marker.size());
    EXPECT_TRUE(std::filesystem::exists(zip)) << zip;
    const std::string json = zip.substr(0, zip.size() - 4) + ".json";
    std::vector<MsiMessage> out;
    std::string error;
    EXPECT_TRUE(ReadParcelJson(test::ReadFile(json), &out, meta, &error)) << error;
    return out;
  }

  test::TempDataRoot root_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
};

TEST_F(ExchangeTest, WithoutAnActiveRouteTheExportIsRefused) {
  Import({PointMessage("a", 42.0, 31.0)});
  const std::string before = plugin_->status_text();
  EXPECT_EQ(plugin_->ExportParcel(), "Parcel export refused: no active route \xE2\x80\x94 activate a route first");
  EXPECT_EQ(plugin_->status_text(), before);  // no success line
  EXPECT_FALSE(std::filesystem::exists(ParcelsDir()) && !std::filesystem::is_empty(ParcelsDir()));
}

TEST_F(ExchangeTest, TheCorridorTakesActiveMessagesNearTheRoute) {
  SetRoute({{42.0, 31.0}});
  Import({PointMessage("near", North(42.0, 40), 31.0), PointMessage("far", North(42.0, 60), 31.0),
          PointMessage("cancelled", 42.0, 31.0, false)});
  ParcelMeta meta;
  const std::vector<MsiMessage> out = ReadExport(plugin_->ExportParcel(), &meta);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].id, "near");
  EXPECT_EQ(meta.route_id, "route-1");
  EXPECT_EQ(meta.route_name, "Varna-Istanbul");
  EXPECT_EQ(meta.note, "corridor filter applied");
  EXPECT_EQ(meta.corridor_nm, 50.0);
}

TEST_F(ExchangeTest, AWarningOnTheLegBetweenDistantWaypointsIsExported) {
  // Waypoints 200 NM apart; the warning lies 100 NM from each, on the track.
  SetRoute({{42.0, 31.0}, {North(42.0, 200), 31.0}});
  Import({PointMessage("midway", North(42.0, 100), 31.0), PointMessage("abeam", North(42.0, 100), 33.5)});
  ParcelMeta meta;
  const std::vector<MsiMessage> out = ReadExport(plugin_->ExportParcel(), &meta);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].id, "midway");
}

TEST_F(ExchangeTest, ARouteWithoutWaypointsIsRefused) {
  SetRoute({});
  Import({PointMessage("a", 42.0, 31.0)});
  EXPECT_EQ(plugin_->ExportParcel(), "Parcel export refused: the active route has no waypoints");
  // A GUID the host does not know counts the same.
  Host().active_route_guid = "gone";
  EXPECT_EQ(plugin_->ExportParcel(), "Parcel export refused: the active route has no waypoints");
}

TEST_F(ExchangeTest, ImportReplacesByIdAndAddsTheRest) {
  EXPECT_EQ(Import({PointMessage("a", 40, 30), PointMessage("b", 41, 30)}),
            "Parcel import OK \xE2\x80\x94 2 msgs (replace 0, add 2) corridor=50 NM");
  MsiMessage a2 = PointMessage("a", 43, 33);
  a2.title = "replaced a";
  const std::string status = Import({a2, PointMessage("b", 41, 30), PointMessage("c", 42, 30)});
  EXPECT_EQ(status, "Parcel import OK \xE2\x80\x94 3 msgs (replace 2, add 1) corridor=50 NM");
  EXPECT_EQ(plugin_->status_text(), status);
  ASSERT_EQ(plugin_->store().size(), 3u);
  EXPECT_EQ(plugin_->store()[0].title, "replaced a");  // kept its place
  EXPECT_EQ(plugin_->store()[2].id, "c");
  // The same parcel again only replaces.
  EXPECT_EQ(Import({a2, PointMessage("b", 41, 30), PointMessage("c", 42, 30)}),
            "Parcel import OK \xE2\x80\x94 3 msgs (replace 3, add 0) corridor=50 NM");
  EXPECT_EQ(plugin_->store().size(), 3u);
  // Messages without an id are always added.
  Import({PointMessage("", 40, 30)});
  Import({PointMessage("", 40, 30)});
  EXPECT_EQ(plugin_->store().size(), 5u);
}

TEST_F(ExchangeTest, TheParcelsCorridorIsReportedAndFiftyWhenAbsent) {
  ParcelMeta meta;
  meta.corridor_nm = 25;
  EXPECT_EQ(plugin_->ImportParcel(ParcelFile({PointMessage("a", 40, 30)}, "c25.json", meta)),
            "Parcel import OK \xE2\x80\x94 1 msgs (replace 0, add 1) corridor=25 NM");
  const std::string path = root_.dir() + "/nocorridor.json";
  std::ofstream(path) << R"({"meta":{"format":"orvane_parcel_v1","route_id":""},"messages":[]})";
  EXPECT_EQ(plugin_->ImportParcel(path), "Parcel import OK \xE2\x80\x94 0 msgs (replace 0, add 0) corridor=50 NM");
}

TEST_F(ExchangeTest, AFailedOrRejectedImportLeavesTheStoreAlone) {
  Import({PointMessage("a", 40, 30)});
  const std::string bad = root_.dir() + "/bad.json";
  std::ofstream(bad) << R"({"format":"orvane_parcel_v2","meta":{},"messages":[]})";
  EXPECT_EQ(plugin_->ImportParcel(bad).rfind("Parcel import rejected: ", 0), 0u);
  EXPECT_EQ(plugin_->ImportParcel(root_.dir() + "/missing.json").rfind("Parcel import failed: ", 0), 0u);
  ASSERT_EQ(plugin_->store().size(), 1u);
  EXPECT_EQ(plugin_->store()[0].id, "a");
}

TEST_F(ExchangeTest, TheCorridorHintNamesTheRoute) {
  EXPECT_EQ(plugin_->RouteCorridorHint(),
            "No active route \xE2\x80\x94 load GPX in Route Manager, activate route, then Export/Import parcel uses "
            "that corridor.");
  SetRoute({{42.0, 31.0}});
  EXPECT_EQ(plugin_->RouteCorridorHint(),
            "Active route corridor ready: Varna-Istanbul (\xC2\xB1" "50 NM). GPX already in OpenCPN Route Manager "
            "feeds Export parcel.");
  Host().active_route_guid = "unknown-guid";
  EXPECT_NE(plugin_->RouteCorridorHint().find("ready: unknown-guid ("), std::string::npos);
}

TEST_F(ExchangeTest, TheReportIsSavedInTheReportsFolder) {
  Import({PointMessage("a", 40, 30)});
  const std::string text = plugin_->WriteReport(false);
  ASSERT_EQ(text.rfind("Report saved: " + ReportsDir() + "/orvane_report_", 0), 0u) << text;
  const std::string path = text.substr(std::string("Report saved: ").size());
  EXPECT_NE(test::ReadFile(path).find("<p>id=a B2=?</p>"), std::string::npos);
}

// Each import replaces the first stored message of its id in place (a
// later duplicate in the store stays), messages without id are appended.
TEST(ParcelExchange, ImportsReplaceTheFirstOfTheirIdInPlace) {
  MessageStore store = {PointMessage("a", 1, 1), PointMessage("b", 1, 1), PointMessage("a", 3, 3),
                        PointMessage("", 4, 4)};
  const ImportCounts c = MergeImportedMessages(
      &store, {PointMessage("a", 9, 9), PointMessage("", 5, 5), PointMessage("c", 6, 6), PointMessage("c", 7, 7)});
  EXPECT_EQ(c.replaced, 2u);
  EXPECT_EQ(c.added, 2u);
  std::vector<std::pair<std::string, double>> got;
  for (const MsiMessage& m : store) got.emplace_back(m.id, m.geoms[0].points[0].first);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, double>>{{"a", 9}, {"b", 1}, {"a", 3}, {"", 4}, {"", 5}, {"c", 7}}));
}

TEST(ParcelExchange, AnImportWithOneIdTwiceEndsAsOneMessage) {
  MessageStore store;
  const ImportCounts c = MergeImportedMessages(&store, {PointMessage("x", 1, 1), PointMessage("x", 2, 2)});
  EXPECT_EQ(c.added, 1u);
  EXPECT_EQ(c.replaced, 1u);
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store[0].geoms[0].points[0].first, 2.0);
}

}  // namespace
}  // namespace orvane

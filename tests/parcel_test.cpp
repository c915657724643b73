// Parcels: the exact text, the round trip, every refusal on real files, and
// the zip beside the JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include <wx/init.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include "exchange/parcel.h"
#include "exchange/parcel_files.h"
#include "parse/bulletin.h"
#include "test_support.h"

namespace orvane {
namespace {

MsiMessage Sample() {
  MsiMessage m;
  m.id = "DRILLING_fnv1a64:0123456789abcdef";
  m.type = DRILLING;
  m.title = "RIG \"YILDIRIM\" \\ TAB\there \x01 end";
  m.station_id = "IA01";
  m.b1 = 'I';
  m.b2 = 'A';
  m.number = 139;
  m.cancel_target = "0120/26";
  m.expires = "2026-03-15";
  m.active = false;
  m.raw_text = "LINE ONE\nLINE TWO";
  m.geoms.push_back({GEOM_POLYGON, {{42.848833, 31.26}, {42.8495, 31.305333}, {42.882833, 31.3045}}, 0});
  m.geoms.push_back({GEOM_CIRCLE, {{44.0475, 30.5875}}, 0.269978});
  return m;
}

ParcelMeta Meta() {
  ParcelMeta meta;
  meta.route_id = "route-1";
  meta.route_name = "Bosporus \"north\"";
  meta.corridor_nm = 50;
  meta.navarea_hint = 3;
  meta.note = "corridor 50 NM";
  meta.created = "2026-03-01T10:00:00Z";
  return meta;
}

TEST(ParcelText, ExactLayoutForOneMessage) {
  MsiMessage m;
  m.id = "X";
  m.geoms.push_back({GEOM_POINT, {{42.848833, -1000000.0}}, 0.5});
  MsiMessage empty_geoms;
  const std::string text = WriteParcelJson({m, empty_geoms}, Meta());
  const std::string want =
      "{\n"
      "  \"meta\": {\n"
      "    \"format\": \"orvane_parcel_v1\",\n"
      "    \"created\": \"2026-03-01T10:00:00Z\",\n"
      "    \"route_id\": \"route-1\",\n"
      "    \"route_name\": \"Bosporus \\\"north\\\"\",\n"
      "    \"corridor_nm\": 50,\n"
      "    \"navarea_hint\": 3,\n"
      "    \"message_count\": 2,\n"
      "    \"note\": \"corridor 50 NM\",\n"
      "    \"disclaimer\": \"Quorvant MSI overlay for OpenCPN.\"\n"
      "  },\n"
      "  \"corridor\": {\n"
      "    \"half_width_nm\": 50,\n"
      "    \"filter\": \"messages whose any geom point is within half_width_nm of any active-route waypoint\"\n"
      "  },\n"
      "  \"messages\": [\n"
      "    {\n"
      "      \"id\": \"X\",\n"
      "      \"type\": \"OTHER\",\n"
      "      \"title\": \"\",\n"
      "      \"station_id\": \"\",\n"
      "      \"b1\": \"?\",\n"
      "      \"b2\": \"?\",\n"
      "      \"number\": 0,\n"
      "      \"cancel_target\": \"\",\n"
      "      \"expires\": \"\",\n"
      "      \"active\": true,\n"
      "      \"raw_excerpt\": \"\",\n"
      "      \"geoms\": [\n"
      "        {\n"
      "          \"kind\": \"point\",\n"
      "          \"radius_nm\": 0.5,\n"
      "          \"points\": [[42.8488, -1e+06]]\n"
      "        }\n"
      "      ]\n"
      "    },\n"
      "    {\n"
      "      \"id\": \"\",\n"
      "      \"type\": \"OTHER\",\n"
      "      \"title\": \"\",\n"
      "      \"station_id\": \"\",\n"
      "      \"b1\": \"?\",\n"
      "      \"b2\": \"?\",\n"
      "      \"number\": 0,\n"
      "      \"cancel_target\": \"\",\n"
      "      \"expires\": \"\",\n"
      "      \"active\": true,\n"
      "      \"raw_excerpt\": \"\",\n"
      "      \"geoms\": [\n"
      "      ]\n"
      "    }\n"
      "  ],\n"
      "  \"geoms\": []\n"
      "}\n";
  EXPECT_EQ(text, want);
  EXPECT_NE(WriteParcelJson({}, Meta()).find("  \"messages\": [\n  ],\n"), std::string::npos);
}

TEST(ParcelText, RoundTripKeepsMessagesAndIsByteStable) {
  const std::string text = WriteParcelJson({Sample()}, Meta());
  EXPECT_NE(text.find("\"RIG \\\"YILDIRIM\\\" \\\\ TAB\\there \\u0001 end\""), std::string::npos);
  std::vector<MsiMessage> back;
  ParcelMeta meta;
  std::string error;
  ASSERT_TRUE(ReadParcelJson(text, &back, &meta, &error)) << error;
  ASSERT_EQ(back.size(), 1u);
  const MsiMessage want = Sample();
  const MsiMessage& m = back[0];
  EXPECT_EQ(m.id, want.id);
  EXPECT_EQ(m.type, DRILLING);
  EXPECT_EQ(m.title, want.title);
  EXPECT_EQ(m.station_id, "IA01");
  EXPECT_EQ(m.b1, 'I');
  EXPECT_EQ(m.number, 139);
  EXPECT_EQ(m.cancel_target, "0120/26");
  EXPECT_FALSE(m.active);
  EXPECT_EQ(m.raw_text, want.raw_text);
  ASSERT_EQ(m.geoms.size(), 2u);
  EXPECT_EQ(m.geoms[0].kind, GEOM_POLYGON);
  EXPECT_DOUBLE_EQ(m.geoms[0].points[0].first, 42.8488);
  EXPECT_NEAR(m.geoms[1].radius_nm, 0.269978, 1e-9);
  EXPECT_EQ(meta.route_name, "Bosporus \"north\"");
  EXPECT_EQ(meta.navarea_hint, 3);
  // Written, read and written again: the same bytes.
  EXPECT_EQ(WriteParcelJson(back, meta), text);

  std::vector<MsiMessage> none;
  ASSERT_TRUE(ReadParcelJson(WriteParcelJson({}, Meta()), &none, nullptr, &error));
  EXPECT_TRUE(none.empty());
}

TEST(ParcelText, EveryPartOfAWarningTravelsWithItsWidth) {
  // HYDROLANT 682/24, routes A and E: a corridor and an area in one warning.
  const auto msgs = ParseBulletin(
      "HYDROLANT 682/24(55).\nBLACK SEA.\n2. ROUTES TO THE PORTS OF UKRAINE:\n"
      "   A. ROUTE FOR VESSELS WITH A DRAFT OF UP TO\n      EIGHT METERS WITHIN THREE MILES OF\n"
      "      TRACKLINE JOINING\n      45-05.00N 030-03.00E, 45-14.00N 030-01.00E,\n"
      "      45-39.00N 030-05.70E, 45-47.80N 030-22.70E.\n"
      "   E. SOUTHERN TEMPORARY WAITING AREA\n      IN AREA BOUND BY\n"
      "      45-00.00N 030-10.00E, 44-55.00N 030-25.00E,\n      44-50.00N 030-25.00E, 44-50.00N 030-10.00E.\n");
  ASSERT_EQ(msgs.size(), 1u);
  ASSERT_EQ(msgs[0].geoms.size(), 2u);
  std::vector<MsiMessage> back;
  std::string error;
  ASSERT_TRUE(ReadParcelJson(WriteParcelJson(msgs, Meta()), &back, nullptr, &error)) << error;
  ASSERT_EQ(back.size(), 1u);
  ASSERT_EQ(back[0].geoms.size(), 2u);
  EXPECT_EQ(back[0].geoms[0].kind, GEOM_POLYLINE);
  EXPECT_EQ(back[0].geoms[0].radius_nm, 3.0);
  EXPECT_EQ(back[0].geoms[0].points.size(), 4u);
  EXPECT_EQ(back[0].geoms[1].kind, GEOM_POLYGON);
  EXPECT_EQ(back[0].geoms[1].points.size(), 4u);
  for (size_t g = 0; g < 2; ++g)
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(back[0].geoms[g].points[i].first, msgs[0].geoms[g].points[i].first, 1e-4);
      EXPECT_NEAR(back[0].geoms[g].points[i].second, msgs[0].geoms[g].points[i].second, 1e-4);
    }
}

TEST(ParcelText, ExcerptIsCutAtACharacterBoundaryAndTextsStayValid) {
  MsiMessage m;
  m.raw_text = std::string(1000, 'A');
  std::vector<MsiMessage> back;
  std::string error;
  ASSERT_TRUE(ReadParcelJson(WriteParcelJson({m}, Meta()), &back, nullptr, &error));
  EXPECT_EQ(back[0].raw_text, std::string(400, 'A') + "...");

  m.raw_text = std::string(399, 'A') + "\xC5\x9F" + std::string(600, 'B');
  m.title = "bad \xC3\x28 byte";
  m.b1 = '\x01';
  m.b2 = 'd';
  ASSERT_TRUE(ReadParcelJson(WriteParcelJson({m}, Meta()), &back, nullptr, &error)) << error;
  EXPECT_EQ(back[0].raw_text, std::string(399, 'A') + "...");
  EXPECT_EQ(back[0].title, "bad \xEF\xBF\xBD( byte");
  EXPECT_EQ(back[0].b1, '?');
  EXPECT_EQ(back[0].b2, 'D');
}

TEST(ParcelText, RefusalsAndLenientFields) {
  struct Case {
    const char* text;
    const char* error_prefix;
  };
  const Case cases[] = {
      {"{\"meta\": [], \"messages\": []}", "missing meta object"},
      {"{\"meta\": {\"format\": \"orvane_parcel_v2\"}, \"messages\": []}",
       "unsupported or missing meta.format (need orvane_parcel_v1)"},
      {"{\"meta\": {}, \"messages\": []}", "unsupported or missing meta.format (need orvane_parcel_v1)"},
      {"{\"meta\": {\"format\": 1}, \"messages\": []}", "JSON parse: "},
      {"{\"meta\": {\"format\": \"orvane_parcel_v1\"}, \"messages\": {}}", "missing messages array"},
      {"{\"meta\": {\"format\": \"orvane_parcel_v1\"}, \"messages\": [{\"number\": \"7\"}]}", "JSON parse: "},
      {"{\"meta\": {\"format\": \"orvane_parcel_v1\"}, \"messages\": [1]}", "JSON parse: "},
      {"{\"meta\": {\"format\": \"orvane_parcel_v1\", \"corridor_nm\": \"x\"}, \"messages\": []}", "JSON parse: "},
      {"{\"meta\": {\"format\": \"orvane_parcel_v1\"}, // comment\n \"messages\": []}", "JSON parse: "},
      {"not json", "JSON parse: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<MsiMessage> out(1);
    std::string error;
    ParcelMeta meta;
    EXPECT_FALSE(ReadParcelJson(c.text, &out, &meta, &error));
    EXPECT_EQ(error.rfind(c.error_prefix, 0), 0u) << error;
    EXPECT_TRUE(out.empty());
  }
  std::string big(kParcelMaxBytes + 1, ' ');
  std::vector<MsiMessage> out;
  std::string error;
  EXPECT_FALSE(ReadParcelJson(big, &out, nullptr, &error));
  EXPECT_EQ(error, "parcel too large");

  // Within the byte cap, but more messages than a parcel may hold.
  std::string many = "{\"meta\": {\"format\": \"orvane_parcel_v1\"}, \"messages\": [{}";
  for (size_t i = 0; i < kParcelMaxMessages; ++i) many += ",{}";
  many += "]}";
  ASSERT_LT(many.size(), kParcelMaxBytes);
  EXPECT_FALSE(ReadParcelJson(many, &out, nullptr, &error));
  EXPECT_EQ(error, "parcel holds more than 100000 messages");
  EXPECT_TRUE(out.empty());

  const char* lenient =
      "{\"meta\": {\"format\": \"orvane_parcel_v1\"}, \"messages\": ["
      "{\"type\": \"SAR_PIRACY\", \"b1\": \"\", \"geoms\": [{\"kind\": \"circle\", \"radius_nm\": 900,"
      " \"points\": [[1], \"x\", [1, 2, 3], [95, 0], [0, 200]]}, {\"kind\": \"blob\", \"points\": 5}]},"
      "{\"type\": \"sar_ops\", \"geoms\": 3}, {\"type\": \"NAV_HAZARD\"}, {\"type\": \"CABLE_PIPE\"}]}";
  ParcelMeta meta;
  ASSERT_TRUE(ReadParcelJson(lenient, &out, &meta, &error)) << error;
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(meta.corridor_nm, 50.0);  // absent: the default
  EXPECT_EQ(out[0].type, SAR_OPS);
  EXPECT_EQ(out[0].b1, '?');
  ASSERT_EQ(out[0].geoms.size(), 2u);
  EXPECT_EQ(out[0].geoms[0].points, (std::vector<LatLon>{{1, 2}}));
  EXPECT_EQ(out[0].geoms[0].radius_nm, 500.0);
  EXPECT_EQ(out[0].geoms[1].kind, GEOM_POINT);
  EXPECT_EQ(out[1].type, OTHER);
  EXPECT_TRUE(out[1].geoms.empty());
  EXPECT_EQ(out[2].type, WRECK);
  EXPECT_EQ(out[3].type, CABLE);
}

class ParcelFiles : public testing::Test {
 protected:
  std::string Path(const std::string& name) { return root_.dir() + "/" + name; }
  void WriteZip(const std::string& path, const char* entry, const std::string& content) {
    wxFFileOutputStream out(wxString::FromUTF8(path));
    wxZipOutputStream zip(out);
    zip.PutNextEntry(entry);
    zip.Write(content.data(), content.size());
    zip.Close();
  }
  test::TempDataRoot root_;
  wxInitializer wx_;
};

TEST_F(ParcelFiles, JsonAndZipSideBySideWithTheSameText) {
  const std::string text = WriteParcelJson({Sample()}, Meta());
  std::string error;
  ASSERT_TRUE(WriteParcelFiles(Path("p.json"), Path("p.zip"), text, &error)) << error;
  EXPECT_EQ(test::ReadFile(Path("p.json")), text);
  EXPECT_FALSE(std::filesystem::exists(Path("p.json.tmp")));
  EXPECT_FALSE(std::filesystem::exists(Path("p.zip.tmp")));
  std::string back;
  ASSERT_TRUE(LoadParcelText(Path("p.zip"), &back, &error)) << error;
  EXPECT_EQ(back, text);
  // Another zip reader sees the same entry.
  FILE* p = popen(("unzip -p '" + Path("p.zip") + "' parcel.json").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string other;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) other.append(buf, n);
  EXPECT_EQ(pclose(p), 0);
  EXPECT_EQ(other, text);
  // Upper-case .ZIP is a zip too.
  std::filesystem::copy_file(Path("p.zip"), Path("P.ZIP"));
  ASSERT_TRUE(LoadParcelText(Path("P.ZIP"), &back, &error)) << error;
  EXPECT_EQ(back, text);
}

TEST_F(ParcelFiles, RefusedFilesSayWhy) {
  WriteZip(Path("folder.zip"), "inner/parcel.json", "{}");
  WriteZip(Path("empty.zip"), "parcel.json", "");
  std::ofstream(Path("empty.json")).close();
  std::ofstream(Path("notzip.zip")) << "plain text";
  struct Case {
    std::string path;
    const char* error;
  };
  const Case cases[] = {
      {Path("folder.zip"), "zip missing parcel.json"},
      {Path("empty.zip"), "empty parcel.json in zip"},
      {Path("empty.json"), "empty json file"},
      {Path("missing.json"), "cannot open json"},
      {Path("missing.zip"), "cannot open zip"},
      {Path("notzip.zip"), "zip missing parcel.json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string text = "unchanged", error;
    EXPECT_FALSE(LoadParcelText(c.path, &text, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(text, "unchanged");
  }
}

TEST_F(ParcelFiles, AFailedAtomicWriteKeepsTheOldFile) {
  std::string error;
  ASSERT_TRUE(WriteTextAtomically(Path("keep.json"), "old", &error));
  std::filesystem::create_directory(Path("keep.json.tmp"));  // the temp cannot be opened
  EXPECT_FALSE(WriteTextAtomically(Path("keep.json"), "new", &error));
  EXPECT_EQ(error, "cannot open temp: " + Path("keep.json.tmp"));
  EXPECT_EQ(test::ReadFile(Path("keep.json")), "old");
  std::filesystem::remove(Path("keep.json.tmp"));
  std::filesystem::create_directory(Path("dir.json"));
  std::ofstream(Path("dir.json/x")) << "x";  // a non-empty folder cannot be replaced by a rename
  EXPECT_FALSE(WriteTextAtomically(Path("dir.json"), "new", &error));
  EXPECT_EQ(error, "rename failed: " + Path("dir.json"));
  EXPECT_FALSE(std::filesystem::exists(Path("dir.json.tmp")));
}

TEST(ParcelNumbers, SixSignificantDigitsWhateverTheLocale) {
  EXPECT_EQ(FormatParcelNumber(50), "50");
  EXPECT_EQ(FormatParcelNumber(0.5), "0.5");
  EXPECT_EQ(FormatParcelNumber(42.848833), "42.8488");
  EXPECT_EQ(FormatParcelNumber(31.26), "31.26");
  EXPECT_EQ(FormatParcelNumber(1e6), "1e+06");
  EXPECT_EQ(FormatParcelNumber(-0.000123456789), "-0.000123457");
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    EXPECT_EQ(FormatParcelNumber(0.35), "0.35");
    std::setlocale(LC_NUMERIC, "C");
  }
}

}  // namespace
}  // namespace orvane

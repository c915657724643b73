// orvane: the command-line face of the plug-in's core.
//   orvane parse [--geojson] [FILE|-]   one JSON object per message
//   orvane nrx [FILE|-]                  a NAVTEX receiver's NMEA or raw text, as parse prints it
//   orvane parcel check FILE            a parcel's meta and messages, as an import reads them
//   orvane fetch [--portal URL] [--no-archive] N...   NAVAREA warnings from the portal
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <wx/init.h>

#include "exchange/parcel.h"
#include "exchange/parcel_files.h"
#include "fetch/fetch_control.h"
#include "fetch/http_client.h"
#include "fetch/navarea_fetch.h"
#include "fetch/portal.h"
#include "message_json.h"
#include "parse/bulletin.h"
#include "receiver/nrx.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: orvane parse [--geojson] [FILE|-]\n"
               "       orvane nrx [FILE|-]\n"
               "       orvane parcel check FILE\n"
               "       orvane fetch [--portal URL] [--no-archive] N...\n"
               "  parse    reads a bulletin (a file, or standard input for - or none) and prints\n"
               "           each message as one JSON object per line; --geojson prints a\n"
               "           GeoJSON FeatureCollection of the messages' geometries instead\n"
               "  nrx      reads what a NAVTEX receiver sends (NMEA NRX sentences of either form,\n"
               "           or raw ZCZC ... NNNN text) and prints each message it completes as\n"
               "           parse does, with the receiver's figures; counts on stderr\n"
               "  parcel check  reads a parcel (.json or .zip) as an import would and prints its\n"
               "           meta and then each message as JSON lines, or why it is refused\n"
               "  fetch    fetches NAVAREAs N (1..21) from the Quorvant portal (--portal, else\n"
               "           $ORVANE_PORTAL_URL, else the public portal) with the plug-in's cache\n"
               "           and logs; prints the combined text, the status line on stderr\n");
  return 2;
}

bool ReadInput(const std::string& path, std::string* text, std::string* error) {
  if (path.empty() || path == "-") {
    text->assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

int Parse(int argc, char** argv) {
  bool geojson = false;
  std::string path;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--geojson") {
      geojson = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "orvane parse: unknown option %s\n", a.c_str());
      return Usage();
    } else if (path.empty()) {
      path = a;
    } else {
      return Usage();
    }
  }
  std::string text, error;
  if (!ReadInput(path, &text, &error)) {
    std::fprintf(stderr, "orvane parse: %s\n", error.c_str());
    return 1;
  }
  const std::vector<orvane::MsiMessage> messages = orvane::ParseBulletin(text);
  if (geojson) {
    std::cout << orvane::DumpJson(orvane::MessagesToGeoJson(messages)) << "\n";
  } else {
    for (const orvane::MsiMessage& m : messages) std::cout << orvane::DumpJson(orvane::MessageToJson(m)) << "\n";
  }
  return std::cout.good() ? 0 : 1;
}

int Nrx(int argc, char** argv) {
  if (argc > 1 || (argc == 1 && argv[0][0] == '-' && argv[0][1] != '\0')) return Usage();
  std::string text, error;
  if (!ReadInput(argc == 1 ? argv[0] : "", &text, &error)) {
    std::fprintf(stderr, "orvane nrx: %s\n", error.c_str());
    return 1;
  }
  const orvane::ReceiverLog log = orvane::DecodeReceiverLog(text);
  static const char* const kForms[] = {"iec", "lines", "raw"};
  for (const orvane::ReceivedFrame& f : log.frames) {
    for (const orvane::MsiMessage& m : orvane::ParseBulletin(f.text)) {
      nlohmann::ordered_json j = orvane::MessageToJson(m);
      nlohmann::ordered_json r;
      r["form"] = kForms[static_cast<int>(f.form)];
      r["code"] = f.code;
      r["received_utc"] = f.received_utc;
      r["frequency_khz"] = f.frequency_khz;
      r["total_chars"] = f.total_chars;
      r["bad_chars"] = f.bad_chars;
      r["error_rate"] = f.error_rate;
      r["garbled"] = orvane::IsGarbled(f, 4.0);
      j["receiver"] = r;
      std::cout << orvane::DumpJson(j) << "\n";
    }
  }
  const orvane::NrxCounters& c = log.counters;
  std::fprintf(stderr,
               "orvane nrx: sentences=%lld bad_checksum=%lld malformed=%lld incomplete=%lld overflow=%lld "
               "duplicates=%lld messages=%zu\n",
               static_cast<long long>(c.sentences), static_cast<long long>(c.bad_checksum),
               static_cast<long long>(c.malformed), static_cast<long long>(c.incomplete),
               static_cast<long long>(c.overflow), static_cast<long long>(log.duplicates), log.frames.size());
  return std::cout.good() ? 0 : 1;
}

int ParcelCheck(int argc, char** argv) {
  if (argc != 2 || std::string(argv[0]) != "check") return Usage();
  wxInitializer wx;  // the zip reader belongs to the toolkit's base library
  std::string text, error;
  std::vector<orvane::MsiMessage> messages;
  orvane::ParcelMeta meta;
  if (!orvane::LoadParcelText(argv[1], &text, &error) || !orvane::ReadParcelJson(text, &messages, &meta, &error)) {
    std::fprintf(stderr, "orvane parcel check: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  nlohmann::ordered_json m;
  m["format"] = "orvane_parcel_v1";
  m["created"] = meta.created;
  m["route_id"] = meta.route_id;
  m["route_name"] = meta.route_name;
  m["corridor_nm"] = meta.corridor_nm;
  m["navarea_hint"] = meta.navarea_hint;
  m["note"] = meta.note;
  m["message_count"] = messages.size();
  std::cout << orvane::DumpJson({{"meta", m}}) << "\n";
  for (const orvane::MsiMessage& msg : messages) std::cout << orvane::DumpJson(orvane::MessageToJson(msg)) << "\n";
  return std::cout.good() ? 0 : 1;
}

bool ParseNavareaId(const std::string& a, int* id) {
  if (a.empty() || a.size() > 2) return false;
  for (char c : a)
    if (c < '0' || c > '9') return false;
  *id = std::stoi(a);
  return *id >= 1 && *id <= 21;
}

int Fetch(int argc, char** argv) {
  std::string portal;
  bool archive = true;
  std::vector<int> ids;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    int id = 0;
    if (a == "--portal" && i + 1 < argc) {
      portal = argv[++i];
    } else if (a == "--no-archive") {
      archive = false;
    } else if (ParseNavareaId(a, &id)) {
      ids.push_back(id);
    } else {
      std::fprintf(stderr, "orvane fetch: not a NAVAREA number (1..21) or option: %s\n", a.c_str());
      return Usage();
    }
  }
  if (ids.empty()) return Usage();
  orvane::HttpGlobalInit();
  orvane::SetIncludeArchive(archive);
  const orvane::NavareasFetchResult r =
      orvane::FetchNavareas(ids, portal.empty() ? orvane::PortalBaseUrl() : portal);
  std::cout << r.text;
  std::cout.flush();
  std::fprintf(stderr, "%s\n", r.status.c_str());
  return r.ok && std::cout.good() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "parse") return Parse(argc - 2, argv + 2);
  if (cmd == "nrx") return Nrx(argc - 2, argv + 2);
  if (cmd == "parcel") return ParcelCheck(argc - 2, argv + 2);
  if (cmd == "fetch") return Fetch(argc - 2, argv + 2);
  if (cmd == "-h" || cmd == "--help") {
    Usage();
    return 0;
  }
  std::fprintf(stderr, "orvane: unknown command %s\n", cmd.c_str());
  return Usage();
}

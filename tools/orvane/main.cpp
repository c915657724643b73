// orvane: the command-line face of the plug-in's core.
//   orvane parse [--geojson] [FILE|-]   one JSON object per message
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "message_json.h"
#include "parse/bulletin.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: orvane parse [--geojson] [FILE|-]\n"
               "  parse    reads a bulletin (a file, or standard input for - or none) and prints\n"
               "           each message as one JSON object per line; --geojson prints a\n"
               "           GeoJSON FeatureCollection of the messages' geometries instead\n");
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  if (cmd == "parse") return Parse(argc - 2, argv + 2);
  if (cmd == "-h" || cmd == "--help") {
    Usage();
    return 0;
  }
  std::fprintf(stderr, "orvane: unknown command %s\n", cmd.c_str());
  return Usage();
}

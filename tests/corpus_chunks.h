// The chunks of the real warnings in ../shared/corpus, read as the corpus
// README describes them: split at "====" lines, "#@" note lines dropped.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvane::test {

struct CorpusChunk {
  std::string file;      // file name, e.g. "nga_hydrolant.txt"
  int index = 0;         // 0-based chunk number in its file
  std::string text;      // the message text, lines ended by line feeds
  std::string category;  // the publisher's "#@ category:" note, if any
  std::string frame;     // the "#@ frame:" note, if any
};

inline std::vector<CorpusChunk> ReadCorpusChunks(const std::string& dir) {
  std::vector<CorpusChunk> out;
  if (!std::filesystem::is_directory(dir)) return out;
  std::vector<std::filesystem::path> files;
  for (const auto& f : std::filesystem::directory_iterator(dir))
    if (f.path().extension() == ".txt") files.push_back(f.path());
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    CorpusChunk cur;
    cur.file = path.filename().string();
    int index = 0;
    auto flush = [&] {
      if (cur.text.find_first_not_of(" \t\r\n") != std::string::npos) {
        cur.index = index++;
        out.push_back(cur);
      }
      cur.text.clear();
      cur.category.clear();
      cur.frame.clear();
    };
    std::string line;
    while (std::getline(in, line)) {
      std::string bare = line;
      while (!bare.empty() && (bare.back() == '\r' || bare.back() == ' ')) bare.pop_back();
      if (bare == "====") {
        flush();
      } else if (line.rfind("#@", 0) == 0) {
        if (line.rfind("#@ category: ", 0) == 0) cur.category = line.substr(13, line.find(" |") - 13);
        if (line.rfind("#@ frame: ", 0) == 0) cur.frame = line.substr(10, 4);
      } else {
        cur.text += line + "\n";
      }
    }
    flush();
  }
  return out;
}

inline const std::vector<CorpusChunk>& CorpusChunks() {
  static const std::vector<CorpusChunk> chunks = ReadCorpusChunks(ORVANE_CORPUS_DIR);
  return chunks;
}

}  // namespace orvane::test

// Scratch files for fuzz targets whose code under test reads from disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_check.h"

namespace orvane::fuzz {

// One temporary folder per process, also made the local data root so that
// nothing of the user's own files is read or written.
struct Scratch {
  Scratch() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(tmpl.data()) != nullptr);
    dir = tmpl;
    setenv("LOCALAPPDATA", (dir + "/local").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
};

inline const std::string& ScratchDir() {
  static const Scratch scratch;
  return scratch.dir;
}

inline void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  if (size) FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
  FUZZ_CHECK(std::fclose(f) == 0);
}

}  // namespace orvane::fuzz

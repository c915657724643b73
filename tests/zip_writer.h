// Writes small zip files byte by byte (stored entries), so a test can give an
// entry any name and any file type, as a hostile archive would; the
// toolkit's own writer tidies names and cannot make links.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace orvane::test {

struct RawZipEntry {
  std::string name;
  std::string data;
  uint32_t unix_mode = 0100644;  // file type and permissions; 0120777 makes a link
};

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::string ZipBytes(const std::vector<RawZipEntry>& entries) {
  std::string out, central;
  auto u16 = [](std::string* s, uint32_t v) {
    s->push_back(static_cast<char>(v & 0xFF));
    s->push_back(static_cast<char>((v >> 8) & 0xFF));
  };
  auto u32 = [&](std::string* s, uint32_t v) {
    u16(s, v & 0xFFFF);
    u16(s, v >> 16);
  };
  for (const RawZipEntry& e : entries) {
    const uint32_t offset = static_cast<uint32_t>(out.size());
    const uint32_t crc = Crc32(e.data), size = static_cast<uint32_t>(e.data.size());
    const uint32_t name_len = static_cast<uint32_t>(e.name.size());
    u32(&out, 0x04034b50);
    u16(&out, 20);  // version needed
    u16(&out, 0);   // flags
    u16(&out, 0);   // stored
    u16(&out, 0);   // time
    u16(&out, (46u << 9) | (1u << 5) | 1u);  // 2026-01-01
    u32(&out, crc);
    u32(&out, size);
    u32(&out, size);
    u16(&out, name_len);
    u16(&out, 0);
    out += e.name + e.data;

    u32(&central, 0x02014b50);
    u16(&central, (3u << 8) | 20u);  // made by Unix
    u16(&central, 20);
    u16(&central, 0);
    u16(&central, 0);
    u16(&central, 0);
    u16(&central, (46u << 9) | (1u << 5) | 1u);
    u32(&central, crc);
    u32(&central, size);
    u32(&central, size);
    u16(&central, name_len);
    u16(&central, 0);  // extra
    u16(&central, 0);  // comment
    u16(&central, 0);  // disk
    u16(&central, 0);  // internal attributes
    u32(&central, e.unix_mode << 16);
    u32(&central, offset);
    central += e.name;
  }
  const uint32_t cd_offset = static_cast<uint32_t>(out.size());
  out += central;
  u32(&out, 0x06054b50);
  u16(&out, 0);
  u16(&out, 0);
  u16(&out, static_cast<uint32_t>(entries.size()));
  u16(&out, static_cast<uint32_t>(entries.size()));
  u32(&out, static_cast<uint32_t>(central.size()));
  u32(&out, cd_offset);
  u16(&out, 0);
  return out;
}

inline void WriteZip(const std::string& path, const std::vector<RawZipEntry>& entries) {
  std::ofstream(path, std::ios::binary) << ZipBytes(entries);
}

}  // namespace orvane::test

// Cutting warning text into single messages and reading their headers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

enum SectionKind : int32_t { SECTION_NAVAREA = 0, SECTION_COASTAL = 1, SECTION_EXTRA = 2, SECTION_PLAIN = 3 };

// One "=====" section of a combined fetch text.
struct FeedSection {
  SectionKind kind = SECTION_PLAIN;
  int32_t navarea = 0;
  std::string label;
  std::string text;
};

std::vector<MsiMessage> ParseBulletin(std::string_view text);
std::vector<std::string> SplitFrames(std::string_view text);
MsiMessage ParseMessage(std::string_view text);
std::string CleanText(std::string_view text);
std::vector<FeedSection> SplitSections(std::string_view text);

// The title and list texts are cut to this many bytes.
constexpr size_t kTitleMaxBytes = 80;

}  // namespace orvane

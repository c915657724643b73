// Finds which of a fixed set of byte-string keywords a text contains, in
// one pass over the text however many keywords there are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// A letter for word boundaries: an ASCII letter, or any byte of a UTF-8
// sequence (Turkish, Spanish and Cyrillic letters).
inline bool IsWordByte(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80; }

class KeywordMatcher {
 public:
  KeywordMatcher() = default;
  // whole_word[k] (when given) makes keyword k a whole-word keyword: one
  // that starts with a letter does not count when a letter stands before
  // it, one that ends with a letter does not count when a letter follows
  // ("GALE" is not found in "GALEOTA", "SAR " not in "MAKASSAR ").
  explicit KeywordMatcher(const std::vector<std::string>& keywords, const std::vector<bool>& whole_word = {});

  size_t size() const { return keyword_count_; }

  // found[k] is true when keyword k occurs in text as a contiguous byte
  // sequence (within word boundaries for a whole-word keyword). A blank in
  // a keyword matches any whitespace byte, so phrases match across line
  // breaks. Empty keywords never match.
  std::vector<bool> Scan(std::string_view text) const;

 private:
  // Aho-Corasick automaton over byte classes: only bytes that occur in some
  // keyword get their own class, which keeps the transition table small.
  uint8_t class_of_[256] = {};
  int class_count_ = 1;
  std::vector<int32_t> next_;              // state * class_count_ + class -> state
  std::vector<std::vector<int32_t>> out_;  // keywords ending at each state (with suffixes)
  size_t keyword_count_ = 0;
  struct Bounds {
    uint32_t length = 0;
    bool check_start = false, check_end = false;
  };
  std::vector<Bounds> bounds_;  // per keyword
};

}  // namespace orvane

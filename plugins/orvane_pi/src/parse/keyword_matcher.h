// Finds which of a fixed set of byte-string keywords a text contains, in
// one pass over the text however many keywords there are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class KeywordMatcher {
 public:
  KeywordMatcher() = default;
  explicit KeywordMatcher(const std::vector<std::string>& keywords);

  size_t size() const { return keyword_count_; }

  // found[k] is true when keyword k occurs in text as a contiguous byte
  // sequence. Empty keywords never match.
  std::vector<bool> Scan(std::string_view text) const;

 private:
  // Aho-Corasick automaton over byte classes: only bytes that occur in some
  // keyword get their own class, which keeps the transition table small.
  uint8_t class_of_[256] = {};
  int class_count_ = 1;
  std::vector<int32_t> next_;              // state * class_count_ + class -> state
  std::vector<std::vector<int32_t>> out_;  // keywords ending at each state (with suffixes)
  size_t keyword_count_ = 0;
};

}  // namespace orvane

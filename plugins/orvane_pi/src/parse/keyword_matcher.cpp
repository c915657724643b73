#include "parse/keyword_matcher.h"

#include <queue>

namespace orvane {

namespace {
bool IsSpaceByte(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

KeywordMatcher::KeywordMatcher(const std::vector<std::string>& keywords, const std::vector<bool>& whole_word)
    : keyword_count_(keywords.size()) {
  for (const std::string& k : keywords)
    for (unsigned char c : k)
      if (class_of_[c] == 0 && !IsSpaceByte(c)) class_of_[c] = static_cast<uint8_t>(class_count_++);
  // Every whitespace byte is the class of the blank.
  bool any_space = false;
  for (const std::string& k : keywords)
    for (unsigned char c : k) any_space = any_space || IsSpaceByte(c);
  if (any_space) {
    const uint8_t space = static_cast<uint8_t>(class_count_++);
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) class_of_[c] = space;
  }
  bounds_.resize(keywords.size());
  for (size_t i = 0; i < keywords.size(); ++i) {
    const std::string& k = keywords[i];
    bounds_[i].length = static_cast<uint32_t>(k.size());
    if (i < whole_word.size() && whole_word[i] && !k.empty()) {
      bounds_[i].check_start = IsWordByte(static_cast<unsigned char>(k.front()));
      bounds_[i].check_end = IsWordByte(static_cast<unsigned char>(k.back()));
    }
  }

  // Trie first; -1 marks a missing edge.
  const int cc = class_count_;
  next_.assign(cc, -1);
  out_.emplace_back();
  for (size_t idx = 0; idx < keywords.size(); ++idx) {
    const std::string& k = keywords[idx];
    if (k.empty()) continue;
    int32_t s = 0;
    for (unsigned char c : k) {
      int32_t& edge = next_[static_cast<size_t>(s) * cc + class_of_[c]];
      if (edge < 0) {
        edge = static_cast<int32_t>(out_.size());
        out_.emplace_back();
        next_.resize(next_.size() + cc, -1);
      }
      s = next_[static_cast<size_t>(s) * cc + class_of_[c]];
    }
    out_[s].push_back(static_cast<int32_t>(idx));
  }

  // Failure links, breadth first, folded into a full transition table.
  std::vector<int32_t> fail(out_.size(), 0);
  std::queue<int32_t> q;
  for (int c = 0; c < cc; ++c) {
    int32_t& t = next_[c];
    if (t < 0) {
      t = 0;
    } else {
      fail[t] = 0;
      q.push(t);
    }
  }
  while (!q.empty()) {
    const int32_t s = q.front();
    q.pop();
    for (int c = 0; c < cc; ++c) {
      int32_t& t = next_[static_cast<size_t>(s) * cc + c];
      const int32_t via_fail = next_[static_cast<size_t>(fail[s]) * cc + c];
      if (t < 0) {
        t = via_fail;
      } else {
        fail[t] = via_fail;
        out_[t].insert(out_[t].end(), out_[via_fail].begin(), out_[via_fail].end());
        q.push(t);
      }
    }
  }
}

std::vector<bool> KeywordMatcher::Scan(std::string_view text) const {
  std::vector<bool> found(keyword_count_, false);
  if (next_.empty()) return found;
  const size_t cc = static_cast<size_t>(class_count_);
  const size_t n = text.size();
  int32_t s = 0;
  for (size_t i = 0; i < n; ++i) {
    s = next_[static_cast<size_t>(s) * cc + class_of_[static_cast<unsigned char>(text[i])]];
    for (int32_t k : out_[s]) {
      if (found[k]) continue;
      const Bounds& b = bounds_[k];
      if (b.check_end && i + 1 < n && IsWordByte(static_cast<unsigned char>(text[i + 1]))) continue;
      if (b.check_start) {
        const size_t start = i + 1 - b.length;
        if (start > 0 && IsWordByte(static_cast<unsigned char>(text[start - 1]))) continue;
      }
      found[k] = true;
    }
  }
  return found;
}

}  // namespace orvane

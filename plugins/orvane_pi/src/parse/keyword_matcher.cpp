#include "parse/keyword_matcher.h"

#include <queue>

namespace orvane {

KeywordMatcher::KeywordMatcher(const std::vector<std::string>& keywords) : keyword_count_(keywords.size()) {
  for (const std::string& k : keywords)
    for (unsigned char c : k)
      if (class_of_[c] == 0) class_of_[c] = static_cast<uint8_t>(class_count_++);

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
  int32_t s = 0;
  for (unsigned char c : text) {
    s = next_[static_cast<size_t>(s) * cc + class_of_[c]];
    for (int32_t k : out_[s]) found[k] = true;
  }
  return found;
}

}  // namespace orvane

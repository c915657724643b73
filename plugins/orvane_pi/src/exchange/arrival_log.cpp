#include "exchange/arrival_log.h"

#include <cstdio>
#include <unordered_set>

#include <fcntl.h>
#include <unistd.h>

#include "common/clock.h"
#include "common/paths.h"
#include "common/text.h"

namespace orvane {
namespace {

// JSON string contents: quote, backslash and control bytes escaped, invalid
// UTF-8 replaced, so every line parses whatever a warning holds.
std::string JsonEscape(const std::string& s) {
  const std::string valid = MakeValidUtf8(s);
  std::string out;
  out.reserve(valid.size() + 8);
  for (unsigned char c : valid) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string TitleForLog(const std::string& title) {
  std::string t = title;
  for (char& c : t)
    if (c == '\n') c = ' ';
  return t;
}

}  // namespace

std::vector<const MsiMessage*> NewMessages(const MessageStore& previous, const MessageStore& current) {
  std::unordered_set<std::string> old_ids;
  for (const MsiMessage& m : previous) old_ids.insert(m.id);
  std::vector<const MsiMessage*> out;
  for (const MsiMessage& m : current)
    if (m.id.empty() || !old_ids.count(m.id)) out.push_back(&m);
  return out;
}

std::string ArrivalLogLine(const std::string& local_time, const MsiMessage& m) {
  return "{\"ts\":\"" + JsonEscape(local_time) + "\",\"id\":\"" + JsonEscape(m.id) + "\",\"type\":\"" +
         TypeName(m.type) + "\",\"title\":\"" + JsonEscape(TitleForLog(m.title)) + "\"}\n";
}

std::string ArrivalLogPath() {
  const std::string path = ArrivalLogFile();
  EnsureDirectory(path.substr(0, path.rfind('/')));
  return path;
}

bool WriteArrivalLog(const MessageStore& previous, const MessageStore& current) {
  const std::vector<const MsiMessage*> fresh = NewMessages(previous, current);
  const int fd = ::open(ArrivalLogPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const std::string ts = FormatLocalTime(NowUtcMs(), "%Y-%m-%d %H:%M:%S");
  std::string lines;
  for (const MsiMessage* m : fresh) lines += ArrivalLogLine(ts, *m);
  // One write for the batch keeps lines whole even when two processes append.
  bool ok = true;
  for (size_t done = 0; done < lines.size();) {
    const ssize_t n = ::write(fd, lines.data() + done, lines.size() - done);
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

int CountNewSarMessages(const MessageStore& previous, const MessageStore& current) {
  int n = 0;
  for (const MsiMessage* m : NewMessages(previous, current))
    if (m->b2 == 'D' || m->b2 == 'd') ++n;
  return n;
}

}  // namespace orvane

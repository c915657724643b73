#include "exchange/arrival_log.h"

#include <cstdio>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/clock.h"
#include "common/paths.h"
#include "common/text.h"

namespace orvane {
namespace {

// Every control byte as \u00XX, so each line parses whatever a warning holds.
std::string Esc(const std::string& s) { return JsonEscape(s, JsonControls::kAllUnicode); }

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
  return "{\"ts\":\"" + Esc(local_time) + "\",\"id\":\"" + Esc(m.id) + "\",\"type\":\"" +
         TypeName(m.type) + "\",\"title\":\"" + Esc(TitleForLog(m.title)) + "\"}\n";
}

std::string ArrivalLogPath() {
  const std::string path = ArrivalLogFile();
  EnsureDirectory(path.substr(0, path.rfind('/')));
  return path;
}

bool WriteArrivalLog(const MessageStore& previous, const MessageStore& current) {
  const std::vector<const MsiMessage*> fresh = NewMessages(previous, current);
  const int fd = ::open(ArrivalLogPath().c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const std::string ts = FormatLocalTime(NowUtcMs(), "%Y-%m-%d %H:%M:%S");
  std::string lines;
  // A line torn by a crash stays a line of its own: the next one starts fresh.
  struct stat st {};
  char last = '\n';
  if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
    lines = "\n";
  for (const MsiMessage* m : fresh) lines += ArrivalLogLine(ts, *m);
  // One write for the batch keeps lines whole even when two processes append.
  const bool ok = WriteAll(fd, lines);
  return ::close(fd) == 0 && ok;
}

int CountNewSarMessages(const MessageStore& previous, const MessageStore& current) {
  int n = 0;
  for (const MsiMessage* m : NewMessages(previous, current))
    if (m->b2 == 'D' || m->b2 == 'd') ++n;
  return n;
}

}  // namespace orvane

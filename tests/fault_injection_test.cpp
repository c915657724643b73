// Failing servers on 127.0.0.1, one fault each, fetched as a NAVAREA the
// way the plug-in fetches it: the cached text and its metadata stay as they
// were, the failure line names the fault, the attempts stay within the
// retry limit and every wait stays within the client's own caps. Waits go
// through the replaceable sleeper on a manual clock, so nothing sleeps here.
// A raw socket server sends what cpp-httplib would refuse to (broken
// framing, silence, a trickle).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "common/clock.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "fetch/http_client.h"
#include "fetch/navarea_fetch.h"
#include "http_test_server.h"
#include "parse/bulletin.h"
#include "parse/ingest.h"
#include "test_support.h"

#include <zlib.h>

namespace orvane {
namespace {

// Counts requests per path; shared by both kinds of server.
class Hits {
 public:
  void Add(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_);
    ++by_path_[path];
  }
  std::map<std::string, int> Get() {
    std::lock_guard<std::mutex> lock(m_);
    return by_path_;
  }

 private:
  std::mutex m_;
  std::map<std::string, int> by_path_;
};

bool SendAll(int fd, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Waits up to ms for the peer to close (or the server to stop); true when it closed.
bool PeerClosed(int fd, int ms, const std::atomic<bool>& stop) {
  for (int waited = 0; waited < ms && !stop; waited += 20) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0) {
      char b[512];
      if (::recv(fd, b, sizeof b, 0) <= 0) return true;
    }
  }
  return false;
}

// A listening socket whose every connection is answered by a handler that
// writes whatever bytes it likes.
class RawServer {
 public:
  using Handler = std::function<void(int fd, const std::atomic<bool>& stop)>;
  RawServer(Hits* hits, Handler handler) : hits_(hits), handler_(std::move(handler)) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    ::listen(listen_fd_, 16);
    accept_thread_ = std::thread([this] { AcceptLoop(); });
  }
  ~RawServer() {
    stop_ = true;
    ::shutdown(listen_fd_, SHUT_RDWR);
    accept_thread_.join();
    for (std::thread& t : workers_) t.join();
    ::close(listen_fd_);
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  void AcceptLoop() {
    while (!stop_) {
      pollfd p{listen_fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(listen_fd_, nullptr, nullptr);
      if (fd < 0) continue;
      workers_.emplace_back([this, fd] {
        std::string req;
        char b[4096];
        while (req.find("\r\n\r\n") == std::string::npos) {
          const ssize_t n = ::recv(fd, b, sizeof b, 0);
          if (n <= 0) break;
          req.append(b, static_cast<size_t>(n));
        }
        const size_t sp = req.find(' ');
        hits_->Add(sp == std::string::npos ? "?" : req.substr(sp + 1, req.find(' ', sp + 1) - sp - 1));
        handler_(fd, stop_);
        ::close(fd);
      });
    }
  }
  Hits* hits_;
  Handler handler_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread accept_thread_;
  std::vector<std::thread> workers_;
};

// One fault: how the server misbehaves and what the failure must say.
struct Fault {
  const char* name;
  RawServer::Handler raw;                                     // raw socket server, or
  std::function<void(httplib::Server&, Hits*)> scripted;     // cpp-httplib server
  std::string expect_error;                                  // in the failure line
  int max_attempts_per_page;                                 // 1 when the failure is final
  std::vector<int64_t> expect_sleeps_per_page;               // retry waits of one page
  int timeout_ms = 5000;
  bool cache_used = true;  // false: the fetch itself succeeds (304 stands for the cache)
};

constexpr const char* kCachedText = "NAVAREA III 0123/26\nAEGEAN SEA.\nWRECK IN 36-12.0N 028-30.0E.\nNNNN\n";
constexpr int64_t kRetryAfterCapMs = 120000;

std::string Response(const std::string& status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + body;
}

void Scripted503(httplib::Server& svr, Hits* hits, int status, const std::string& retry_after) {
  svr.Get(R"(/.*)", [=](const httplib::Request& req, httplib::Response& res) {
    hits->Add(req.path);
    res.status = status;
    res.set_header("Retry-After", retry_after);
    res.set_content("<html><body>busy</body></html>", "text/html");
  });
}

std::vector<Fault> Faults() {
  const std::string big(kMaxBodyBytes + 1024, 'x');
  std::vector<Fault> f;
  f.push_back({"304 with a stray body",
               [](int fd, const auto&) {
                 SendAll(fd, Response("304 Not Modified", "ETag: \"v1\"\r\nContent-Length: 25\r\n",
                                      "<html>stray body</html>\r\n"));
               },
               nullptr, "", 1, {}, 5000, false});
  f.push_back({"503 Retry-After 5 s", nullptr,
               [](httplib::Server& s, Hits* h) { Scripted503(s, h, 503, "5"); }, "HTTP status 503", 3,
               {5000, 5000}});
  f.push_back({"429 Retry-After as HTTP date", nullptr,
               [](httplib::Server& s, Hits* h) { Scripted503(s, h, 429, "Wed, 21 Oct 2099 07:28:00 GMT"); },
               "HTTP status 429", 3, {1000, 2000}});
  f.push_back({"503 Retry-After garbage", nullptr,
               [](httplib::Server& s, Hits* h) { Scripted503(s, h, 503, "soon, maybe"); }, "HTTP status 503", 3,
               {1000, 2000}});
  f.push_back({"429 Retry-After above the cap", nullptr,
               [](httplib::Server& s, Hits* h) { Scripted503(s, h, 429, "86400"); }, "HTTP status 429", 3,
               {kRetryAfterCapMs, kRetryAfterCapMs}});
  f.push_back({"truncated chunked body",
               [](int fd, const auto&) {
                 SendAll(fd, Response("200 OK", "Content-Type: text/html\r\nTransfer-Encoding: chunked\r\n",
                                      "40\r\nNAVAREA III 0999/26 PARTIAL"));
               },
               nullptr, "WinHttpSend/Receive failed (transient 12030)", 3, {1000, 2000}});
  f.push_back({"bad chunk size",
               [](int fd, const auto&) {
                 SendAll(fd, Response("200 OK", "Content-Type: text/html\r\nTransfer-Encoding: chunked\r\n",
                                      "zz\r\nNAVAREA III\r\n0\r\n\r\n"));
               },
               nullptr, "WinHttpSend/Receive failed (transient 12030)", 3, {1000, 2000}});
  f.push_back({"Content-Length longer than the body, then a reset",
               [](int fd, const auto&) {
                 SendAll(fd, Response("200 OK", "Content-Type: text/html\r\nContent-Length: 5000\r\n",
                                      "<p>NAVAREA III 0999/26 36-12N 028-30E cut here"));
                 linger l{1, 0};  // close with a reset, not a clean end
                 ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
               },
               nullptr, "WinHttpSend/Receive failed (transient 12030)", 3, {1000, 2000}});
  f.push_back({"silent server", [](int fd, const std::atomic<bool>& stop) { PeerClosed(fd, 10000, stop); },
               nullptr, "WinHttpSend/Receive failed (transient 12002)", 3, {1000, 2000}, 300});
  f.push_back({"1 byte/s trickle",
               [](int fd, const std::atomic<bool>& stop) {
                 if (!SendAll(fd, Response("200 OK", "Content-Type: text/html\r\nContent-Length: 100000\r\n", "")))
                   return;
                 while (!stop && SendAll(fd, "<"))
                   if (PeerClosed(fd, 1000, stop)) return;
               },
               nullptr, "WinHttpSend/Receive failed (transient 12002)", 3, {1000, 2000}, 300});
  f.push_back({"redirect loop", nullptr,
               [](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_redirect(req.path + "x");
                 });
               },
               "WinHttpSend/Receive failed", 1, {}});
  f.push_back({"redirect to file://", nullptr,
               [](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_redirect("file:///etc/passwd");
                 });
               },
               "WinHttpSend/Receive failed", 1, {}});
  f.push_back({"body over the cap, known length", nullptr,
               [big](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h, big](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_content(big, "text/html");
                 });
               },
               "body too large", 1, {}});
  f.push_back({"body over the cap, chunked", nullptr,
               [](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink& sink) {
                     static const std::string block(1 << 20, 'y');
                     if (offset > kMaxBodyBytes + (4u << 20)) {
                       sink.done();
                       return true;
                     }
                     return sink.write(block.data(), block.size());
                   });
                 });
               },
               "body too large", 1, {}});
  f.push_back({"gzip body inflating over the cap", nullptr,
               [](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_header("Content-Encoding", "gzip");
                   res.set_content(test::ReadFile(ORVANE_TEST_DATA_DIR "/gzip_bomb_40mb.gz"), "text/html");
                 });
               },
               "body too large", 1, {}});
  f.push_back({"200 that is really an error page", nullptr,
               [](httplib::Server& svr, Hits* h) {
                 svr.Get(R"(/.*)", [h](const httplib::Request& req, httplib::Response& res) {
                   h->Add(req.path);
                   res.set_content("<html><head><title>Error</title></head><body><h1>Service temporarily "
                                   "unavailable</h1><p>Please try again later.</p></body></html>",
                                   "text/html");
                 });
               },
               "no warning text on any page", 1, {}});
  return f;
}

std::map<std::string, std::string> CacheFiles() {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(CacheDir())) {
    const std::string name = e.path().filename().string();
    if (e.is_regular_file() && name.find(".log") == std::string::npos) files[name] = test::ReadFile(e.path().string());
  }
  return files;
}

class FaultInjection : public testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    // The retry schedules here take minutes of the manual clock; the
    // overall time-out of a NAVAREA has a test of its own.
    SetNavareaOverallTimeoutMs(3600000);
    ResetRequestState();
    SetFetchCancel(false);
    SetFetchShutdown(false);
    SetIncludeArchive(false);
    SetFetchSleeper([this](int64_t ms) {
      std::lock_guard<std::mutex> lock(m_);
      sleeps_.push_back(ms);
      clock_.Advance(ms);
      return true;
    });
  }
  void TearDown() override {
    SetFetchSleeper(nullptr);
    SetIncludeArchive(true);
    SetNavareaFetchTimeoutMs(kHttpTimeoutMs);
    SetNavareaOverallTimeoutMs(kNavareaOverallTimeoutMs);
    SetClock(nullptr);
  }
  ManualClock clock_;
  std::mutex m_;
  std::vector<int64_t> sleeps_;
};

TEST_F(FaultInjection, EveryFaultKeepsTheCacheAndNamesItself) {
  std::string table = "\nfault | status line | failure | requests | cache\n";
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    test::TempDataRoot root;
    ResetRequestState();
    sleeps_.clear();
    SetNavareaFetchTimeoutMs(fault.timeout_ms);
    // The last good text, with the validators the server gave it.
    ASSERT_TRUE(StoreNavareaText(3, kCachedText, "http://127.0.0.1/navarea/3/messages/", 200, "\"v1\"", ""));
    const auto before = CacheFiles();

    Hits hits;
    NavareasFetchResult r;
    if (fault.raw) {
      RawServer s(&hits, fault.raw);
      r = FetchNavareas({3}, s.base());
    } else {
      test::TestServer s([&](httplib::Server& svr) { fault.scripted(svr, &hits); });
      r = FetchNavareas({3}, s.base());
    }

    // The cache on disk is exactly as before: the text, its metadata, nothing new.
    EXPECT_EQ(CacheFiles(), before);
    const size_t marker = r.text.find("<!-- navarea 3 failed: ");
    std::string failure;
    if (marker != std::string::npos) failure = r.text.substr(marker + 23, r.text.find(" -->", marker) - marker - 23);
    EXPECT_TRUE(r.ok);  // the cached text stands in
    if (fault.cache_used) {
      EXPECT_EQ(r.status, "ok=0 fail=1 cache=1 of 1");
      EXPECT_NE(failure.find(fault.expect_error), std::string::npos) << failure;
      EXPECT_NE(r.text.find("===== NAVAREA 3 (cache) =====\n" + std::string(kCachedText)), std::string::npos);
      EXPECT_NE(test::ReadFile(CachePath("fetch_errors.log")).find("err=" + failure), std::string::npos);
    } else {
      EXPECT_EQ(r.status, "ok=1 fail=0 cache=0 of 1");
      EXPECT_NE(r.text.find("===== NAVAREA 3 =====\n" + std::string(kCachedText)), std::string::npos);
      EXPECT_EQ(r.text.find("stray"), std::string::npos);
    }

    // Attempts: the list page and, when it gave nothing, the overview page,
    // each within its own retry limit.
    const auto per_path = hits.Get();
    int total = 0;
    for (const auto& [path, n] : per_path) {
      EXPECT_LE(n, fault.max_attempts_per_page) << path;
      total += n;
    }
    EXPECT_GE(total, 1);
    // A redirect chain is at most six requests (five redirects) per page.
    const bool redirects = std::string(fault.name).rfind("redirect", 0) == 0;
    EXPECT_LE(total, 2 * (redirects ? 6 : fault.max_attempts_per_page));
    // Waits: exactly the retry schedule for each page, never above the cap.
    std::vector<int64_t> want;
    const size_t pages = fault.max_attempts_per_page > 1 && fault.max_attempts_per_page <= 3 ? per_path.size() : 0;
    for (size_t p = 0; p < pages; ++p)
      for (int64_t ms : fault.expect_sleeps_per_page) want.push_back(ms);
    std::vector<int64_t> retry_sleeps;
    for (int64_t ms : sleeps_)
      if (ms != kMinRequestGapMs) retry_sleeps.push_back(ms);
    if (!fault.expect_sleeps_per_page.empty()) {
      EXPECT_EQ(retry_sleeps, want);
    }
    for (int64_t ms : sleeps_) EXPECT_LE(ms, kRetryAfterCapMs);

    // Merged into a store holding the cached warning, the result keeps it.
    const MessageStore previous = ParseBulletin(kCachedText);
    ASSERT_FALSE(previous.empty());
    const MergeResult merged = MergeFetchResult(previous, r.text, 3);
    // The fetch layer's failure comments are notes, never messages: the
    // warning itself is all the store holds.
    ASSERT_EQ(merged.store.size(), 1u);
    EXPECT_EQ(merged.store.front().id, previous.front().id);
    EXPECT_EQ(merged.store.front().geoms.size(), previous.front().geoms.size());
    EXPECT_EQ(merged.store.front().raw_text.find("<!--"), std::string::npos);

    char line[640];
    std::snprintf(line, sizeof line, "%s | %s | %s | %d | unchanged\n", fault.name, r.status.c_str(),
                  failure.empty() ? "-" : failure.c_str(), total);
    table += line;
  }
  std::printf("%s", table.c_str());
}

// Two warning pages of NAVAREA III: the first links the second.
const std::string kPage1 =
    "<html><body><p>NAVAREA III 0101/26</p><p>AEGEAN SEA. WRECK IN 36-12.0N 028-30.0E. PAGE ONE. DEPTH OVER WRECK 12 METRES. WIDE BERTH REQUESTED.</p><p>NNNN</p>"
    "<a rel=\"next\" href=\"/navarea/3/messages/?page=2\">next</a></body></html>";
const std::string kPage2 =
    "<html><body><p>NAVAREA III 0102/26</p><p>IONIAN SEA. BUOY ADRIFT 38-00.0N 020-10.0E. PAGE TWO. UNLIT, DIAMETER 2 METRES. WIDE BERTH.</p>"
    "<p>NNNN</p></body></html>";

std::string Gzip(const std::string& data, bool gzip_wrapper) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, gzip_wrapper ? 31 : 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(compressBound(data.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// What page 2 of a linked list answers; anything but a page of warnings
// fails the whole NAVAREA, so the cache stands in and the status counts it.
struct SecondPage {
  const char* name;
  std::function<void(httplib::Response&)> answer;
  std::string expect_error;
};

std::vector<SecondPage> SecondPageFaults() {
  auto status = [](int code) {
    return [code](httplib::Response& res) {
      res.status = code;
      res.set_content("<html><body>no</body></html>", "text/html");
    };
  };
  return {
      {"403", status(403), "HTTP status 403"},
      {"404", status(404), "HTTP status 404"},
      {"410", status(410), "HTTP status 410"},
      {"stray 304", [](httplib::Response& res) { res.status = 304; }, "unexpected HTTP 304"},
      {"200 error page",
       [](httplib::Response& res) {
         res.set_content("<html><body><h1>Error</h1><p>Please try again later.</p></body></html>", "text/html");
       },
       "no warning text on a linked list page"},
      {"body over the cap",
       [](httplib::Response& res) { res.set_content(std::string(kMaxBodyBytes + 10, 'x'), "text/plain"); },
       "body too large"},
      {"503", status(503), "HTTP status 503"},
  };
}

TEST_F(FaultInjection, AListIsWholeOrNotAtAll) {
  for (const SecondPage& fault : SecondPageFaults()) {
    SCOPED_TRACE(fault.name);
    test::TempDataRoot root;
    ResetRequestState();
    ASSERT_TRUE(StoreNavareaText(3, kCachedText, "http://127.0.0.1/navarea/3/messages/", 200, "", ""));
    const auto before = CacheFiles();
    test::TestServer s([&](httplib::Server& svr) {
      svr.Get("/navarea/3/messages/", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.has_param("page"))
          fault.answer(res);
        else
          res.set_content(kPage1, "text/html");
      });
    });
    const NavareasFetchResult r = FetchNavareas({3}, s.base());
    EXPECT_EQ(r.status, "ok=0 fail=1 cache=1 of 1");
    EXPECT_EQ(r.failed_ids, std::vector<int>{3});
    EXPECT_EQ(r.fresh, 0);
    EXPECT_NE(r.text.find("<!-- navarea 3 failed: " + fault.expect_error), std::string::npos) << r.text;
    EXPECT_EQ(r.text.find("PAGE ONE"), std::string::npos);
    EXPECT_EQ(CacheFiles(), before);
  }
  // The same list answered in full is taken whole.
  test::TempDataRoot root;
  ResetRequestState();
  test::TestServer s([&](httplib::Server& svr) {
    svr.Get("/navarea/3/messages/", [&](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.has_param("page") ? kPage2 : kPage1, "text/html");
    });
  });
  const NavareasFetchResult r = FetchNavareas({3}, s.base());
  EXPECT_EQ(r.status, "ok=1 fail=0 cache=0 of 1");
  EXPECT_TRUE(r.failed_ids.empty());
  EXPECT_NE(r.text.find("PAGE ONE"), std::string::npos);
  EXPECT_NE(r.text.find("PAGE TWO"), std::string::npos);
}

// Compressed answers are asked for and decoded; binary bodies are no page.
TEST_F(FaultInjection, CompressedAnswersAreDecodedAndBinaryIsRefused) {
  const struct {
    const char* name;
    const char* encoding;  // Content-Encoding sent, or null for none
    bool gzip;
    bool binary;           // the body sent is binary data, not a page
    bool ok;
  } cases[] = {
      {"gzip", "gzip", true, false, true},
      {"deflate", "deflate", false, false, true},
      {"gzip sent as if plain", nullptr, true, false, false},
      {"binary with NUL bytes", nullptr, false, true, false},
  };
  const std::string page = kPage2;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDataRoot root;
    ResetRequestState();
    ASSERT_TRUE(StoreNavareaText(3, kCachedText, "http://127.0.0.1/navarea/3/messages/", 200, "", ""));
    std::string accept;
    std::mutex m;
    test::TestServer s([&](httplib::Server& svr) {
      svr.Get("/navarea/3.*", [&](const httplib::Request& req, httplib::Response& res) {
        {
          std::lock_guard<std::mutex> lock(m);
          if (accept.empty()) accept = req.get_header_value("Accept-Encoding");
        }
        static const char kBinary[] = "\x00\x01\x02\xFF\xFE garbage \x00 DANGER ZONE ";
        std::string body = c.binary ? std::string(kBinary, sizeof kBinary - 1) + page : Gzip(page, c.gzip);
        if (c.encoding) res.set_header("Content-Encoding", c.encoding);
        // Raw bytes: a content type httplib would not compress again.
        res.set_content(body, "application/octet-stream");
      });
    });
    const NavareasFetchResult r = FetchNavareas({3}, s.base());
    EXPECT_NE(accept.find("gzip"), std::string::npos) << accept;
    EXPECT_NE(accept.find("deflate"), std::string::npos) << accept;
    std::string cached;
    ASSERT_TRUE(ReadNavareaCache(3, &cached));
    if (c.ok) {
      EXPECT_EQ(r.status, "ok=1 fail=0 cache=0 of 1");
      EXPECT_NE(cached.find("BUOY ADRIFT 38-00.0N 020-10.0E"), std::string::npos) << cached;
    } else {
      EXPECT_EQ(r.status, "ok=0 fail=1 cache=1 of 1");
      EXPECT_NE(r.text.find("body is not text"), std::string::npos) << r.text;
      EXPECT_EQ(cached, kCachedText);
    }
  }
}

// A redirect stays on the site asked: the same path elsewhere on the same
// origin is followed, another port or host name fails the request.
TEST_F(FaultInjection, RedirectsStayOnTheOriginAsked) {
  test::TestServer other([&](httplib::Server& svr) {
    svr.Get("/.*", [](const httplib::Request&, httplib::Response& res) { res.set_content(kPage2, "text/html"); });
  });
  const struct {
    const char* name;
    std::function<std::string(const std::string& own_base)> target;
    bool followed;
  } cases[] = {
      {"same origin", [](const std::string& own) { return own + "/moved/3"; }, true},
      {"relative", [](const std::string&) { return std::string("/moved/3"); }, true},
      {"another port", [&](const std::string&) { return other.base() + "/moved/3"; }, false},
      {"another host name",
       [&](const std::string&) { return "http://localhost:" + std::to_string(other.port()) + "/moved/3"; }, false},
      {"https on another port", [&](const std::string&) { return "https://127.0.0.1:" + std::to_string(other.port()) + "/x"; },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDataRoot root;
    ResetRequestState();
    ASSERT_TRUE(StoreNavareaText(3, kCachedText, "http://127.0.0.1/navarea/3/messages/", 200, "", ""));
    std::string own_base;
    test::TestServer s([&](httplib::Server& svr) {
      svr.Get("/navarea/3.*", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(c.target(own_base));
      });
      svr.Get("/moved/3", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(kPage1, "text/html");
      });
    });
    own_base = s.base();
    const NavareasFetchResult r = FetchNavareas({3}, s.base());
    std::string cached;
    ASSERT_TRUE(ReadNavareaCache(3, &cached));
    if (c.followed) {
      EXPECT_EQ(r.status.rfind("ok=1 fail=0", 0), 0u) << r.status;
      EXPECT_NE(cached.find("PAGE ONE"), std::string::npos);
    } else {
      EXPECT_EQ(r.status, "ok=0 fail=1 cache=1 of 1");
      EXPECT_NE(r.text.find("redirect to another site"), std::string::npos) << r.text;
      EXPECT_EQ(cached, kCachedText);
      EXPECT_EQ(r.text.find("BUOY ADRIFT"), std::string::npos);
    }
  }
}

// A page line that looks like a section line is the page's text, not a
// section: NAVAREA I, not fetched, keeps its warning, and the fetched
// warnings stay NAVAREA III's.
TEST_F(FaultInjection, SectionLinesInFetchedTextAreTheTextsOwn) {
  test::TempDataRoot root;
  test::TestServer s([&](httplib::Server& svr) {
    svr.Get("/navarea/3/messages/", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body><p>NAVAREA III 0201/26</p><p>AEGEAN SEA. WRECK IN 36-12.0N 028-30.0E.</p>"
                      "<p>NNNN</p><p>===== NAVAREA 1 =====</p><p>NAVAREA III 0202/26</p>"
                      "<p>IONIAN SEA. BUOY ADRIFT 38-00.0N 020-10.0E.</p><p>NNNN</p></body></html>",
                      "text/html");
    });
  });
  const NavareasFetchResult r = FetchNavareas({3}, s.base());
  ASSERT_EQ(r.status, "ok=1 fail=0 cache=0 of 1");
  // NAVAREA I's own warning, from an earlier fetch.
  MessageStore previous = ParseBulletin("NAVAREA I 0050/26\nNORTH SEA. WRECK IN 56-00.0N 003-00.0E.\nNNNN\n");
  ASSERT_EQ(previous.size(), 1u);
  previous.front().navarea = 1;
  const MergeResult merged = MergeFetchResult(previous, r.text, 3);
  EXPECT_EQ(merged.areas, std::vector<int>{3});
  size_t area1 = 0, area3 = 0;
  for (const MsiMessage& m : merged.store) {
    if (m.navarea == 1) ++area1;
    if (m.navarea == 3) ++area3;
  }
  EXPECT_EQ(area1, 1u);
  EXPECT_EQ(area3, 2u);
}

// A server that drips a byte now and then never trips the stall or the
// low-speed limits of a request, but the NAVAREA's overall time-out ends it:
// one attempt, cut at the deadline, no retry and no further page after it.
// (Real clock: the drip and libcurl's time-out run in real time.)
TEST(NavareaOverallTimeOut, ADripHoldsOneNavareaNoLongerThanItsTimeOut) {
  test::TempDataRoot root;
  SetClock(nullptr);
  ResetRequestState();
  SetFetchCancel(false);
  SetFetchShutdown(false);
  SetIncludeArchive(false);
  SetFetchSleeper([](int64_t) { return true; });
  SetNavareaFetchTimeoutMs(5000);
  SetNavareaOverallTimeoutMs(1500);
  Hits hits;
  {
    RawServer s(&hits, [](int fd, const std::atomic<bool>& stop) {
      if (!SendAll(fd, Response("200 OK", "Content-Type: text/html\r\nContent-Length: 100000\r\n", "<p>"))) return;
      while (!stop && SendAll(fd, std::string(64, 'x')))
        if (PeerClosed(fd, 200, stop)) return;
    });
    const NavareasFetchResult r = FetchNavareas({3}, s.base());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.status.find("WinHttpSend/Receive failed"), std::string::npos) << r.status;
  }
  int total = 0;
  for (const auto& [path, n] : hits.Get()) total += n;
  EXPECT_EQ(total, 1);
  SetNavareaFetchTimeoutMs(kHttpTimeoutMs);
  SetNavareaOverallTimeoutMs(kNavareaOverallTimeoutMs);
  SetFetchSleeper(nullptr);
  SetIncludeArchive(true);
}

// A whole fetch is bounded in text and in messages (lowered here): the
// NAVAREA that would pass a bound fails with the reason, is not stored, and
// its cache stands in when that fits.
TEST_F(FaultInjection, AWholeFetchStaysWithinItsBounds) {
  // Three warnings of about 150 bytes per NAVAREA.
  auto page = [](int area) {
    std::string html = "<html><body>";
    for (int i = 1; i <= 3; ++i)
      html += "<p>NAVAREA III " + std::to_string(area * 10 + i) +
              "/26</p><p>AEGEAN SEA. WRECK IN 36-12.0N 028-30.0E. DEPTH 12 METRES. WIDE BERTH REQUESTED.</p><p>NNNN</p>";
    return html + "</body></html>";
  };
  test::TestServer s([&](httplib::Server& svr) {
    svr.Get(R"(/navarea/(\d+)/messages/)", [&](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("page")) return;  // the list ends after page 1
      res.set_content(page(std::stoi(req.matches[1])), "text/html");
    });
  });
  const struct {
    const char* what;
    size_t text, messages;
    std::string status, reason;
  } cases[] = {
      {"text", 700, 0, "ok=2 fail=1 cache=0 of 3", "fetch over 0 MiB of text"},
      {"messages", 0, 7, "ok=2 fail=1 cache=0 of 3", "fetch over 7 messages"},
      {"both wide", 0, 0, "ok=3 fail=0 cache=0 of 3", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDataRoot root;
    ResetRequestState();
    SetFetchBounds(c.text, c.messages);
    const NavareasFetchResult r = FetchNavareas({1, 2, 3}, s.base());
    SetFetchBounds(0, 0);
    EXPECT_EQ(r.status, c.status);
    std::string cached;
    if (!c.reason.empty()) {
      EXPECT_EQ(r.failed_ids, std::vector<int>{3});
      EXPECT_NE(r.text.find("<!-- navarea 3 failed: " + c.reason + " -->"), std::string::npos) << r.text;
      EXPECT_FALSE(ReadNavareaCache(3, &cached));
    } else {
      EXPECT_TRUE(ReadNavareaCache(3, &cached));
    }
  }
}

// A failed fetch without a cached text: the status is the fault itself and
// nothing is written to the cache.
TEST_F(FaultInjection, WithoutCacheTheStatusIsTheFault) {
  test::TempDataRoot root;
  Hits hits;
  test::TestServer s([&](httplib::Server& svr) { Scripted503(svr, &hits, 503, "1"); });
  const NavareasFetchResult r = FetchNavareas({3}, s.base());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "HTTP status 503 (" + NavareaOverviewUrl(s.base(), 3) + ")");
  std::string text;
  EXPECT_FALSE(ReadNavareaCache(3, &text));
}

}  // namespace
}  // namespace orvane

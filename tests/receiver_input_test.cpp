// The receiver's inputs against real peers: a recorded file, a TCP server
// on 127.0.0.1 that sends, stalls, disconnects and comes back, a UDP port
// on 127.0.0.1, and a pseudo-terminal standing in for the serial port.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "receiver/receiver_input.h"
#include "test_support.h"

namespace orvane {
namespace {

const std::string kLog = ORVANE_TEST_DATA_DIR "/navtex_receiver.nmea";

// Collects what the input reports; waits for a condition on it. The wait
// bound only ends a test that would otherwise hang.
class Collector {
 public:
  ReceiverInput::Sink Sink() {
    return [this](ReceiverBatch b) {
      std::lock_guard<std::mutex> lock(mu_);
      for (ReceivedFrame& f : b.frames) codes_.push_back(f.code);
      if (!b.state.empty()) states_.push_back(b.state);
      cv_.notify_all();
    };
  }
  bool WaitFor(const std::function<bool(const std::vector<std::string>&, const std::vector<std::string>&)>& done) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::seconds(60), [&] { return done(codes_, states_); });
  }
  std::vector<std::string> codes() {
    std::lock_guard<std::mutex> lock(mu_);
    return codes_;
  }
  std::vector<std::string> states() {
    std::lock_guard<std::mutex> lock(mu_);
    return states_;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::string> codes_, states_;
};

bool HasState(const std::vector<std::string>& states, const std::string& prefix) {
  for (const std::string& s : states)
    if (s.rfind(prefix, 0) == 0) return true;
  return false;
}

// The frames of the recorded log, as the decoder gives them (repeats too:
// the input leaves those to the plug-in).
std::vector<std::string> LogCodes() {
  NrxReassembler r;
  std::vector<ReceivedFrame> frames;
  const std::string text = test::ReadFile(kLog);
  size_t b = 0;
  int64_t now = 0;
  while (b < text.size()) {
    size_t e = text.find('\n', b);
    if (e == std::string::npos) e = text.size();
    r.Feed(std::string_view(text).substr(b, e - b), ++now, &frames);
    b = e + 1;
  }
  std::vector<std::string> codes;
  for (const ReceivedFrame& f : frames) codes.push_back(f.code);
  return codes;
}

void WriteAll(int fd, const std::string& s) {
  size_t off = 0;
  while (off < s.size()) {
    const ssize_t n = ::write(fd, s.data() + off, s.size() - off);
    ASSERT_GT(n, 0);
    off += static_cast<size_t>(n);
  }
}

TEST(ReceiverInput, AFileIsReplayedLineByLine) {
  Collector c;
  ReceiverInput in;
  ReceiverConfig cfg;
  cfg.source = ReceiverSource::kFile;
  cfg.file_path = kLog;
  cfg.file_lines_per_second = 0;
  std::string error;
  ASSERT_TRUE(in.Start(cfg, c.Sink(), &error)) << error;
  ASSERT_TRUE(c.WaitFor([](auto&, auto& states) { return HasState(states, "file replayed"); }));
  in.Stop();
  EXPECT_EQ(c.codes(), LogCodes());
  EXPECT_EQ(LogCodes().size(), 12u);  // the repeat is the plug-in's to drop

  cfg.file_path = "/nonexistent/receiver.nmea";
  Collector missing;
  ASSERT_TRUE(in.Start(cfg, missing.Sink(), &error));
  ASSERT_TRUE(missing.WaitFor([](auto&, auto& states) { return HasState(states, "cannot open"); }));
}

TEST(ReceiverInput, TcpSendsStallsDropsAndComesBack) {
  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(server, 4), 0);
  socklen_t len = sizeof addr;
  ::getsockname(server, reinterpret_cast<sockaddr*>(&addr), &len);
  const std::string endpoint = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));

  Collector c;
  ReceiverInput in;
  ReceiverConfig cfg;
  cfg.source = ReceiverSource::kTcp;
  cfg.tcp_endpoint = endpoint;
  std::string error;
  ASSERT_TRUE(in.Start(cfg, c.Sink(), &error)) << error;

  const std::string log = test::ReadFile(kLog);
  const size_t half = log.find("\n$NXNRX,TA21,3");  // in the middle of a message
  ASSERT_NE(half, std::string::npos);
  // First connection: half the log, a stall, then the peer goes away.
  int peer = ::accept(server, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  WriteAll(peer, log.substr(0, half + 1));
  ASSERT_TRUE(c.WaitFor([](auto& codes, auto&) { return codes.size() >= 4; }));
  ::close(peer);
  ASSERT_TRUE(c.WaitFor([](auto&, auto& states) { return HasState(states, "not connected"); }));
  // It comes back, and the rest of the log arrives.
  peer = ::accept(server, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  WriteAll(peer, log.substr(half + 1));
  ASSERT_TRUE(c.WaitFor([](auto& codes, auto&) { return codes.size() >= 12; }));
  // Stopping while the input waits in a read.
  in.Stop();
  ::close(peer);
  ::close(server);
  // TA21's lines came over both connections, and it is whole all the same.
  EXPECT_EQ(c.codes(), LogCodes());
  const std::vector<std::string> states = c.states();
  EXPECT_EQ(std::count(states.begin(), states.end(), "connected"), 2);
}

TEST(ReceiverInput, TcpRetriesUntilThePeerIsThereAndStopsDuringTheWait) {
  // A port nobody listens on: refused, then a back-off the stop cuts short.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(probe);
  Collector c;
  ReceiverInput in;
  ReceiverConfig cfg;
  cfg.source = ReceiverSource::kTcp;
  cfg.tcp_endpoint = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
  std::string error;
  ASSERT_TRUE(in.Start(cfg, c.Sink(), &error));
  ASSERT_TRUE(c.WaitFor([](auto&, auto& states) { return HasState(states, "not connected"); }));
  EXPECT_NE(c.states().front().find("retrying in 1 s"), std::string::npos) << c.states().front();
  in.Stop();
  EXPECT_FALSE(in.running());
  // An endpoint that is none is refused at once.
  cfg.tcp_endpoint = "no port";
  EXPECT_FALSE(in.Start(cfg, c.Sink(), &error));
  EXPECT_EQ(error, "not a host:port: no port");
}

TEST(ReceiverInput, UdpDatagramsOnLoopback) {
  Collector c;
  ReceiverInput in;
  ReceiverConfig cfg;
  cfg.source = ReceiverSource::kUdp;
  cfg.udp_endpoint = "127.0.0.1:0";
  std::string error;
  ASSERT_TRUE(in.Start(cfg, c.Sink(), &error)) << error;
  ASSERT_GT(in.bound_port(), 0);
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(in.bound_port()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // One sentence a datagram, as receivers broadcast them.
  const std::string log = test::ReadFile(kLog);
  size_t b = 0;
  while (b < log.size()) {
    const size_t e = log.find('\n', b);
    const std::string line = log.substr(b, e - b);
    ::sendto(s, line.data(), line.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    b = e + 1;
  }
  ::close(s);
  ASSERT_TRUE(c.WaitFor([](auto& codes, auto&) { return codes.size() >= 12; }));
  in.Stop();
  EXPECT_EQ(c.codes(), LogCodes());
  // A port already taken is said at once.
  ReceiverInput first, second;
  ASSERT_TRUE(first.Start(cfg, c.Sink(), &error));
  cfg.udp_endpoint = "127.0.0.1:" + std::to_string(first.bound_port());
  EXPECT_FALSE(second.Start(cfg, c.Sink(), &error));
  EXPECT_NE(error.find("UDP 127.0.0.1:"), std::string::npos) << error;
}

TEST(ReceiverInput, SerialPortThroughAPseudoTerminal) {
  int master = -1, slave = -1;
  char name[256];
  ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  Collector c;
  ReceiverInput in;
  ReceiverConfig cfg;
  cfg.source = ReceiverSource::kSerial;
  cfg.serial_device = name;
  cfg.baud = 38400;
  std::string error;
  ASSERT_TRUE(in.Start(cfg, c.Sink(), &error)) << error;
  ASSERT_TRUE(c.WaitFor([](auto&, auto& states) { return HasState(states, "connected"); }));
  WriteAll(master, test::ReadFile(kLog));
  ASSERT_TRUE(c.WaitFor([](auto& codes, auto&) { return codes.size() >= 12; }));
  in.Stop();
  EXPECT_EQ(c.codes(), LogCodes());
  ::close(master);
  ::close(slave);
  // A file that is no serial port is said and retried, not read.
  Collector not_tty;
  cfg.serial_device = kLog;
  ASSERT_TRUE(in.Start(cfg, not_tty.Sink(), &error));
  ASSERT_TRUE(not_tty.WaitFor([](auto&, auto& states) { return HasState(states, "not connected"); }));
  EXPECT_NE(not_tty.states().front().find("is not a serial port"), std::string::npos);
}

TEST(ReceiverInput, SourcesAndEndpointsInWords) {
  ReceiverConfig c;
  EXPECT_EQ(DescribeReceiverSource(c), "off");
  c.source = ReceiverSource::kTcp;
  EXPECT_EQ(DescribeReceiverSource(c), "TCP 127.0.0.1:10110");
  c.source = ReceiverSource::kSerial;
  EXPECT_EQ(DescribeReceiverSource(c), "serial /dev/ttyUSB0 4800");
  std::string host;
  int port = 0;
  EXPECT_TRUE(ParseEndpoint("[::1]:10110", &host, &port));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, 10110);
  for (const char* bad : {"", ":10110", "host:", "host:99999", "host:12a", "host"}) EXPECT_FALSE(ParseEndpoint(bad, &host, &port)) << bad;
  EXPECT_EQ(ReceiverBaudRates().front(), 4800);
}

}  // namespace
}  // namespace orvane

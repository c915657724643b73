#include "receiver/receiver_input.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/clock.h"

namespace orvane {
namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr int kMaxBackoffS = 30;

struct BaudRow {
  int baud;
  speed_t speed;
};
constexpr BaudRow kBauds[] = {{4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600},
                              {115200, B115200}};

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void CloseFd(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

// A socket connected to host:port, or -1 with *error set; waits for the
// connection at most kConnectTimeoutMs, and gives up when woken.
int ConnectTcp(const std::string& host, int port, int wake_fd, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res);
  if (rc != 0) {
    *error = std::string("cannot resolve ") + host + ": " + gai_strerror(rc);
    return -1;
  }
  int fd = -1;
  for (addrinfo* a = res; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
    if (errno != EINPROGRESS) {
      *error = Errno("connect");
      CloseFd(&fd);
      continue;
    }
    pollfd p[2] = {{fd, POLLOUT, 0}, {wake_fd, POLLIN, 0}};
    if (::poll(p, 2, kConnectTimeoutMs) <= 0 || (p[1].revents & POLLIN)) {
      *error = "connect: timed out";
      CloseFd(&fd);
      continue;
    }
    int so_error = 0;
    socklen_t len = sizeof so_error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len);
    if (so_error != 0) {
      *error = std::string("connect: ") + std::strerror(so_error);
      CloseFd(&fd);
    }
  }
  ::freeaddrinfo(res);
  return fd;
}

int OpenSerial(const std::string& device, int baud, std::string* error) {
  const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = Errno(device.c_str());
    return -1;
  }
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    *error = device + " is not a serial port";
    ::close(fd);
    return -1;
  }
  speed_t speed = B4800;
  for (const BaudRow& b : kBauds)
    if (b.baud == baud) speed = b.speed;
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    *error = Errno("tcsetattr");
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string DescribeReceiverSource(const ReceiverConfig& c) {
  switch (c.source) {
    case ReceiverSource::kSerial: return "serial " + c.serial_device + " " + std::to_string(c.baud);
    case ReceiverSource::kTcp: return "TCP " + c.tcp_endpoint;
    case ReceiverSource::kUdp: return "UDP " + c.udp_endpoint;
    case ReceiverSource::kFile: return "file " + c.file_path;
    case ReceiverSource::kHost: return "the chart plotter's NMEA";
    case ReceiverSource::kOff: break;
  }
  return "off";
}

bool ParseEndpoint(const std::string& text, std::string* host, int* port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || text.size() - colon > 6) return false;
  int p = 0;
  for (size_t i = colon + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    p = p * 10 + (text[i] - '0');
  }
  if (p < 0 || p > 65535) return false;
  std::string h = text.substr(0, colon);
  if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);  // [::1]:10110
  *host = h;
  *port = p;
  return true;
}

const std::vector<int>& ReceiverBaudRates() {
  static const std::vector<int> rates = [] {
    std::vector<int> r;
    for (const BaudRow& b : kBauds) r.push_back(b.baud);
    return r;
  }();
  return rates;
}

ReceiverInput::ReceiverInput() = default;

ReceiverInput::~ReceiverInput() { Stop(); }

bool ReceiverInput::Start(const ReceiverConfig& config, Sink sink, std::string* error) {
  Stop();
  config_ = config;
  sink_ = std::move(sink);
  reassembler_ = NrxReassembler();
  pending_.clear();
  connected_ = false;
  stop_ = false;
  if (config.source == ReceiverSource::kOff || config.source == ReceiverSource::kHost) return true;
  std::string host;
  int port = 0;
  if (config.source == ReceiverSource::kTcp && (!ParseEndpoint(config.tcp_endpoint, &host, &port) || port == 0)) {
    *error = "not a host:port: " + config.tcp_endpoint;
    return false;
  }
  if (config.source == ReceiverSource::kUdp) {
    // Bound here, so that a port in use is said at once.
    if (!ParseEndpoint(config.udp_endpoint, &host, &port)) {
      *error = "not an address:port: " + config.udp_endpoint;
      return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
      *error = "not an IPv4 address: " + host;
      return false;
    }
    udp_fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (udp_fd_ < 0 || ::bind(udp_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      *error = Errno(("UDP " + config.udp_endpoint).c_str());
      CloseFd(&udp_fd_);
      return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(udp_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    bound_port_ = ntohs(addr.sin_port);
  }
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = Errno("pipe");
    CloseFd(&udp_fd_);
    return false;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void ReceiverInput::Stop() {
  if (thread_.joinable()) {
    stop_ = true;
    const char b = 1;
    if (::write(wake_[1], &b, 1) < 0) {
      // The pipe is full only when a wake-up is already waiting.
    }
    thread_.join();
  }
  CloseFd(&wake_[0]);
  CloseFd(&wake_[1]);
  CloseFd(&udp_fd_);
  bound_port_ = 0;
}

bool ReceiverInput::Wait(int fd, short events, int timeout_ms) {
  pollfd p[2] = {{wake_[0], POLLIN, 0}, {fd, events, 0}};
  ::poll(p, fd >= 0 ? 2 : 1, timeout_ms);
  return !stop_.load();
}

void ReceiverInput::Report(std::vector<ReceivedFrame> frames, const std::string& state, bool connected) {
  if (stop_.load()) return;
  ReceiverBatch b;
  b.frames = std::move(frames);
  b.state = state;
  b.connected = connected;
  b.counters = reassembler_.counters();
  sink_(std::move(b));
}

void ReceiverInput::FeedBytes(const char* data, size_t n) {
  std::vector<ReceivedFrame> frames;
  for (size_t i = 0; i < n; ++i) {
    const char c = data[i];
    if (c == '\n' || c == '\r') {
      if (!pending_.empty()) {
        if (line_sink_) line_sink_(pending_);
        reassembler_.Feed(pending_, NowMonotonicMs(), &frames);
      }
      pending_.clear();
    } else if (pending_.size() <= NrxReassembler::kMaxMessageBytes) {
      pending_ += c;  // a longer line is refused by the reassembler as a whole
    }
  }
  reassembler_.Expire(NowMonotonicMs());
  if (!frames.empty()) Report(std::move(frames), std::string(), connected_);
}

// Reads a stream until it ends or the input stops; a paced stream (a file)
// gives one line at a time at the configured rate.
void ReceiverInput::ReadStream(int fd, bool paced) {
  char buf[4096];
  const double rate = config_.file_lines_per_second;
  const int gap_ms = paced && rate > 0 ? std::max(1, static_cast<int>(1000.0 / rate)) : 0;
  for (;;) {
    if (!Wait(fd, POLLIN, 1000)) return;
    if (gap_ms > 0) {
      // One line, then the pause before the next.
      char c;
      std::string line;
      ssize_t r;
      while ((r = ::read(fd, &c, 1)) == 1 && c != '\n') line += c;
      if (r == 1 || !line.empty()) {
        line += '\n';
        FeedBytes(line.data(), line.size());
      }
      if (r == 0) return;
      if (r < 0 && errno != EAGAIN && errno != EINTR) return;
      if (!Wait(-1, 0, gap_ms)) return;
      continue;
    }
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      FeedBytes(buf, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      return;  // end of file, or the peer went away
    }
  }
}

void ReceiverInput::Run() {
  int backoff_s = 1;
  while (!stop_.load()) {
    std::string error;
    switch (config_.source) {
      case ReceiverSource::kFile: {
        int fd = ::open(config_.file_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
          Report({}, "cannot open " + config_.file_path + ": " + std::strerror(errno), false);
          return;
        }
        connected_ = true;
        Report({}, "reading", true);
        ReadStream(fd, true);
        ::close(fd);
        if (!pending_.empty()) FeedBytes("\n", 1);
        reassembler_.Finish();
        connected_ = false;
        Report({}, "file replayed", false);
        return;
      }
      case ReceiverSource::kUdp: {
        connected_ = true;
        Report({}, "listening", true);
        char buf[65536];
        while (Wait(udp_fd_, POLLIN, 1000)) {
          const ssize_t n = ::recv(udp_fd_, buf, sizeof buf, 0);
          if (n > 0) {
            FeedBytes(buf, static_cast<size_t>(n));
            FeedBytes("\n", 1);  // a datagram ends its last line
          }
        }
        return;
      }
      case ReceiverSource::kTcp:
      case ReceiverSource::kSerial: {
        int fd = -1;
        if (config_.source == ReceiverSource::kTcp) {
          std::string host;
          int port = 0;
          ParseEndpoint(config_.tcp_endpoint, &host, &port);
          fd = ConnectTcp(host, port, wake_[0], &error);
        } else {
          fd = OpenSerial(config_.serial_device, config_.baud, &error);
        }
        if (fd >= 0) {
          backoff_s = 1;
          connected_ = true;
          Report({}, "connected", true);
          ReadStream(fd, false);
          ::close(fd);
          pending_.clear();
          connected_ = false;
          if (stop_.load()) return;
          error = "connection closed";
        }
        // Not there, or gone: try again, waiting longer each time.
        Report({}, "not connected (" + error + ") \xE2\x80\x94 retrying in " + std::to_string(backoff_s) + " s",
               false);
        if (!Wait(-1, 0, backoff_s * 1000)) return;
        backoff_s = std::min(backoff_s * 2, kMaxBackoffS);
        break;
      }
      default:
        return;
    }
  }
}

}  // namespace orvane

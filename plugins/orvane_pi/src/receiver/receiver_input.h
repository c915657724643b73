// Where the NAVTEX receiver's output comes in: a serial port, a TCP
// connection, a UDP port or a recorded file, read on a thread of its own.
// Complete messages and changes of state go to a sink; the plug-in's sink
// hands them to the user-interface thread, as a fetch result is.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "receiver/nrx.h"

namespace orvane {

enum class ReceiverSource : int32_t { kOff = 0, kSerial = 1, kTcp = 2, kUdp = 3, kFile = 4, kHost = 5 };
constexpr int kReceiverSourceCount = 6;

struct ReceiverConfig {
  ReceiverSource source = ReceiverSource::kOff;
  std::string serial_device = "/dev/ttyUSB0";
  int baud = 4800;
  std::string tcp_endpoint = "127.0.0.1:10110";  // host:port
  std::string udp_endpoint = "127.0.0.1:10110";  // address:port to listen on
  std::string file_path;
  double file_lines_per_second = 20.0;  // 0: as fast as it reads
};

// What the reader thread reports: the messages it completed, and the state
// of the input when it changed ("connected", "not connected — retrying in
// 8 s", "file replayed").
struct ReceiverBatch {
  std::vector<ReceivedFrame> frames;
  std::string state;  // empty: unchanged
  bool connected = false;
  NrxCounters counters;
};

// "TCP 127.0.0.1:10110", "serial /dev/ttyUSB0 4800", "UDP 127.0.0.1:10110",
// "file log.nmea", "the chart plotter's NMEA", "off".
std::string DescribeReceiverSource(const ReceiverConfig& c);

// "host:port" with a port of 1..65535.
bool ParseEndpoint(const std::string& text, std::string* host, int* port);

// The baud rates a serial input offers.
const std::vector<int>& ReceiverBaudRates();

class ReceiverInput {
 public:
  using Sink = std::function<void(ReceiverBatch)>;  // called on the reader thread

  ReceiverInput();
  ~ReceiverInput();  // stops
  ReceiverInput(const ReceiverInput&) = delete;
  ReceiverInput& operator=(const ReceiverInput&) = delete;

  // Starts reading; false with a reason when the input cannot start at all
  // (a UDP port that cannot be bound, an endpoint that is no endpoint). A
  // TCP peer that is not there yet is no failure: the input retries.
  bool Start(const ReceiverConfig& config, Sink sink, std::string* error);
  // Stops within a second, also while the thread waits in a read or a
  // back-off; the sink is not called after Stop returns.
  void Stop();
  bool running() const { return thread_.joinable(); }
  // Also hands every line read to `lines` (on the reader thread): a chart
  // plotter passing the sentences on. Set before Start.
  void SetLineSink(std::function<void(const std::string&)> lines) { line_sink_ = std::move(lines); }
  // The UDP port listened on (useful when the configured port was 0).
  int bound_port() const { return bound_port_.load(); }

 private:
  void Run();
  bool Wait(int fd, short events, int timeout_ms);  // false when woken to stop
  void ReadStream(int fd, bool paced);
  void Report(std::vector<ReceivedFrame> frames, const std::string& state, bool connected);
  void FeedBytes(const char* data, size_t n);

  ReceiverConfig config_;
  Sink sink_;
  std::function<void(const std::string&)> line_sink_;
  std::thread thread_;
  int wake_[2] = {-1, -1};
  int udp_fd_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<int> bound_port_{0};
  NrxReassembler reassembler_;
  std::string pending_;  // a line still without its end
  bool connected_ = false;
};

}  // namespace orvane

// A real HTTP server on 127.0.0.1 and an ephemeral port, scripted per test,
// running on its own thread for the life of the object.
#pragma once

#include <httplib.h>

#include <functional>
#include <string>
#include <thread>

namespace orvane::test {

class TestServer {
 public:
  explicit TestServer(const std::function<void(httplib::Server&)>& script) {
    script(server_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() before the accept loop runs would be lost, so wait for it.
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~TestServer() {
    server_.stop();
    thread_.join();
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int port() const { return port_; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace orvane::test

// Opens a plug-in library, finds create_pi and destroy_pi, and drives the
// plug-in object through its life.
#pragma once

#include <string>

#include "orvane_host/plugin_api.h"

namespace orvane::host {

class PluginLoader {
 public:
  PluginLoader() = default;
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // Opens the library; on failure returns false with the reason in error.
  bool Open(const std::string& path, std::string* error);
  // create_pi, then Init; returns the capability bits, or -1 without a library.
  int Start(void* host_pointer);
  // DeInit, then destroy_pi. Safe to call twice.
  void Stop();

  opencpn_plugin_118* plugin() const { return plugin_; }
  bool is_open() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
  create_pi_fn create_ = nullptr;
  destroy_pi_fn destroy_ = nullptr;
  opencpn_plugin_118* plugin_ = nullptr;
};

}  // namespace orvane::host

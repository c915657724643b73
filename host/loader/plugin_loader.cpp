#include "plugin_loader.h"

#include <dlfcn.h>

namespace orvane::host {

PluginLoader::~PluginLoader() {
  Stop();
  // The library stays mapped: the toolkit may still hold its class records
  // and bitmaps until the process ends.
}

bool PluginLoader::Open(const std::string& path, std::string* error) {
  // Bind every symbol now, so a missing host operation shows here and not
  // at the first call.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    if (error) *error = dlerror();
    return false;
  }
  create_ = reinterpret_cast<create_pi_fn>(dlsym(handle_, "create_pi"));
  destroy_ = reinterpret_cast<destroy_pi_fn>(dlsym(handle_, "destroy_pi"));
  if (!create_ || !destroy_) {
    if (error) *error = path + ": create_pi or destroy_pi not exported";
    dlclose(handle_);
    handle_ = nullptr;
    return false;
  }
  return true;
}

int PluginLoader::Start(void* host_pointer) {
  if (!create_) return -1;
  plugin_ = create_(host_pointer);
  return plugin_ ? plugin_->Init() : -1;
}

void PluginLoader::Stop() {
  if (!plugin_) return;
  plugin_->DeInit();
  destroy_(plugin_);
  plugin_ = nullptr;
}

}  // namespace orvane::host

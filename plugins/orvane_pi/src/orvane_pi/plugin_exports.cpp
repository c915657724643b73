// The two functions the chart plotter looks up in the library.
#include "orvane_pi/orvane_pi.h"

extern "C" ORVANE_HOST_API opencpn_plugin_118* create_pi(void* host) { return new orvane_pi(host); }

extern "C" ORVANE_HOST_API void destroy_pi(opencpn_plugin_118* plugin) { delete plugin; }

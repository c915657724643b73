// What the plug-in keeps of the ship's NAVTEX receiver.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "receiver/nrx.h"
#include "receiver/receiver_input.h"

class orvane_pi;

namespace orvane {

// What the plug-in keeps of its receiver. The reader thread reaches the
// plug-in only through `alive`, which the user-interface thread clears
// before the object goes.
struct ReceiverLink {
  ReceiverInput input;
  NrxReassembler host_sentences;  // when the chart plotter passes them on
  FrameHistory history;
  std::shared_ptr<orvane_pi*> alive = std::make_shared<orvane_pi*>(nullptr);
  ReceiverConfig config;
  std::string state = "off";
  bool connected = false;
  int64_t messages = 0, garbled = 0, repeats = 0;
  int64_t last_utc_ms = 0;
};

}  // namespace orvane

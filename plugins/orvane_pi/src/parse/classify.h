// Sorting a message into one of the thirteen chart categories.
#pragma once

#include <string>

#include "parse/msi_model.h"

namespace orvane {

// Category of an upper-cased message text; OTHER when nothing applies. The
// keyword lexicon file, when one loaded, is asked first.
MsgType Classify(const std::string& upper);

// The same, by the built-in rules alone.
MsgType ClassifyBuiltIn(const std::string& upper);

}  // namespace orvane

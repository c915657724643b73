#include "parse/classify.h"

namespace orvane {

// The keyword rules arrive with the classification work; until then every
// message is OTHER (drawn in the danger colour) or takes its B2 fallback.
MsgType Classify(const std::string&) { return OTHER; }

}  // namespace orvane

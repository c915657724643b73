#include "parse/identity.h"

namespace orvane {

// Cancellation, expiry and fingerprints arrive with the identity work; until
// then messages carry no id and stay as parsed.
std::string ReadCancelTarget(const std::string&) { return {}; }
std::string ReadExpiry(const std::string&) { return {}; }
std::string MakeMessageId(MsgType, const std::string&, const std::string&, int32_t) { return {}; }
void NormaliseMessages(std::vector<MsiMessage>*) {}

}  // namespace orvane

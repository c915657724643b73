// Cancellation, expiry and the identity of a message.
#pragma once

#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

std::string ReadCancelTarget(const std::string& upper);
std::string ReadExpiry(const std::string& upper);
std::string MakeMessageId(MsgType type, const std::string& raw_text, const std::string& station_id, int32_t number);
// Removes duplicates and applies cancellations and expiry, in place.
void NormaliseMessages(std::vector<MsiMessage>* messages);

}  // namespace orvane

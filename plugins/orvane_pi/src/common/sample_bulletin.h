// The built-in sample bulletin: what the chart shows before the first fetch
// and whenever there is no network and no cache.
#pragma once

namespace orvane {

extern const char kSampleBulletin[];
extern const unsigned kSampleBulletinSize;  // 643 bytes

}  // namespace orvane

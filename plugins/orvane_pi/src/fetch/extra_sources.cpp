#include "fetch/extra_sources.h"

namespace orvane {

void AppendExtraSources(const FetchJob&, std::string*, std::string*, bool*) {}

}  // namespace orvane

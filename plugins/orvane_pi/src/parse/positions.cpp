#include "parse/positions.h"

namespace orvane {

// Position reading arrives with the geometry work; until then a message
// carries no geometry and is listed but not drawn.
std::vector<MsiGeom> BuildGeometries(const std::string&, const std::string&) { return {}; }

}  // namespace orvane

// The registry line with the toolkit's translations.
#include "fetch/coastal.h"
#include "orvane_pi/translate.h"

namespace orvane {

std::string CoastalRegistrySummary() { return CoastalRegistryLine(&Tr); }

}  // namespace orvane

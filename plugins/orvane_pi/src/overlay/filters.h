// PROVISIONAL (replaced by the overlay branch at merge).
#pragma once
#include <vector>
#include "parse/msi_model.h"
namespace orvane {
double DistanceNm(double lat1, double lon1, double lat2, double lon2);
bool MessageInCorridor(const MsiMessage& m, const std::vector<LatLon>& route, double corridor_nm);
}  // namespace orvane

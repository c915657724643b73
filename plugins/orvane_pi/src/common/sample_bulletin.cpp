#include "common/sample_bulletin.h"

namespace orvane {

const char kSampleBulletin[] =
    "NAVAREA III - 0139/26 BLACK SEA\n"
    "1- DRILLING OPERATIONS BY YILDIRIM RIG AREA DELIMITED BY:\n"
    "42 50.93 N - 031 15.60 E\n"
    "42 50.97 N - 031 18.32 E\n"
    "42 52.97 N - 031 18.27 E\n"
    "42 52.93 N - 031 15.53 E\n"
    "10 NM. WIDE BERTH REQUESTED.\n"
    "NAVAREA III - 0137/26 BLACK SEA\n"
    "NEPTUN ALPHA PLATFORM 44-02.85N 030-35.25E SAFE DISTANCE 500 METERS.\n"
    "NAVAREA III - 0100/26 WESTERN MEDITERRANEAN SEA\n"
    "SHOOTING EXERCISE NAVIGATION EXCLUSION AREA DELIMITED BY:\n"
    "38-30.60N 000-30.80E\n"
    "38-35.50N 000-46.40E\n"
    "38-35.50N 001-06.60E\n"
    "38-13.00N 001-51.40E\n"
    "37-43.60N 002-07.35E\n"
    "36-55.25N 000-06.05E\n"
    "37-52.25N 000-06.55E\n"
    "ZCZC IA01\n"
    "POSSIBLE DRIFTING MINES. CAUTION. 45-05.00N 030-03.00E\n"
    "NNNN\n";

const unsigned kSampleBulletinSize = sizeof(kSampleBulletin) - 1;

}  // namespace orvane

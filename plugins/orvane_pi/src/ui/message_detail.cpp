// The detail view: one message's full text in a modal window.
#include "orvane_pi/orvane_pi.h"

using namespace orvane;

void orvane_pi::ShowMessageDetail(int) {}

#pragma once
// The current data of one port as the RAS library returns it: the port's
// details with its PPP projection results, and its statistics counters. The
// document holds the data of the last port queried only.

#include "platform/ras/rassapi/rassapi.h"

namespace dm {

struct PortLiveData {
    RAS_PORT_1 port{};
    RAS_PORT_STATISTICS statistics{};
};

} // namespace dm

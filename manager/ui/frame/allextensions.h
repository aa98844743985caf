#pragma once
// Every window the manager program adds to its main frame: the users,
// history and graph panes, the property sheets, the settings windows,
// reports, Check Access and the Capacity view. dialmind and the benchmark
// that times its panes build the same frame from it.

#include "manager/ui/frame/managerextensions.h"

namespace dm {

class CDMDoc;

ManagerExtensions AllExtensions(CDMDoc& doc);

} // namespace dm

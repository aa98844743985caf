#pragma once
// The platform objects the document owns for its whole life: the named mutex
// and the loaded RAS library with its bound entry points. Private to the
// document's implementation files.

#include "manager/core/dmdoc.h"
#include "platform/system/namedmutex.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"

namespace dm {

struct CDMDoc::Platform {
    NamedMutex mutex{"CriticalMutex"};
    SharedLibrary library;
    RasAdminFunctions functions;
    bool rasLoaded = false;
};

} // namespace dm

#pragma once
// Moved to database/; this name stays so that code written against it still builds.
#include "database/hardwarerecords.h"

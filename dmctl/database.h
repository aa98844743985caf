#pragma once
// The database directory that the groups reading a database take as DBDIR.

#include <string>

namespace dmctl {

// True when DBDIR (a system path such as "\\MASTER\DM_NT_DB" or a path of
// this machine) names a directory that can be read. Otherwise says why on
// stderr as "dmctl GROUP: ..." and returns false: a mistyped directory is
// an error, never an empty database.
bool CheckDatabaseDirectory(const std::string& dbdir, const std::string& group);

} // namespace dmctl

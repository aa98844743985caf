#pragma once
// The database directory that the groups reading a database take as DBDIR.

#include <string>

namespace dmctl {

// True when DBDIR (a system path such as "\\MASTER\DM_NT_DB" or a path of
// this machine) names a directory that can be read. Otherwise says why on
// stderr as "dmctl GROUP: ..." and returns false: a mistyped directory is
// an error, never an empty database.
bool CheckDatabaseDirectory(const std::string& dbdir, const std::string& group);

// True when the database files the group reads (Dialmind.hw with hw,
// Dialmind.usr with usr) are readable or absent; a file that exists but
// cannot be read (no permission, a FIFO, a link out of the network) says
// so on stderr with its error and gives false, never an empty database.
bool CheckDatabaseFiles(const std::string& group, const std::string& dbdir, bool hw, bool usr);

} // namespace dmctl

#pragma once
// The check every dmctl group that reads a database directory makes first:
// a directory that does not exist, on a share or computer that does not
// exist, or behind a link out of the network, is an error with its number,
// never an empty database that answers as if it held nothing.

#include <string>

namespace dmctl {

// True when dbdir resolves to an existing directory; otherwise prints
// "dmctl COMMAND: DBDIR: error N (NAME)" on stderr and returns false.
bool CheckDatabaseDirectory(const std::string& command, const std::string& dbdir);

// True when the database files the command reads (Dialmind.hw with hw,
// Dialmind.usr with usr) are readable or absent; a file that exists but
// cannot be read prints its error and gives false.
bool CheckDatabaseFiles(const std::string& command, const std::string& dbdir, bool hw, bool usr);

} // namespace dmctl

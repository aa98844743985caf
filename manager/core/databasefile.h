#pragma once
// A database file that exists but cannot be read (no permission, a
// directory or FIFO in its place, a link out of the network) is an error
// wherever the manager reads it: never an empty or missing file, whose
// editor would show nothing and whose save would write over what the file
// holds. A file that does not exist is a new database and reads as empty.

#include <string>
#include <string_view>

namespace dm {

// 0 when the file (named as the system names it) can be read or is not
// there (no such file, directory, computer or share); else the error (5 for
// one that is no regular file or may not be read, 161 for a link out of the
// network ...).
unsigned long DatabaseFileError(std::string_view file);

// "The file \\MASTER\DM_NT_DB\Dialmind.usr cannot be read: it is not a
// regular file or may not be read (error 5).\nNothing of it is shown or
// saved until it can be read."
std::string UnreadableFileMessage(std::string_view file, unsigned long error);

} // namespace dm

#include "manager/core/databasefile.h"

#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"

namespace dm {

unsigned long DatabaseFileError(std::string_view file)
{
    if (file.empty())
        return 0;
    // Not there at all (no such file or directory, no such computer or
    // share) reads as it always did: a new or unreachable database.
    const unsigned long error = CheckProfileFile(file);
    switch (error) {
    case winerr::FileNotFound:
    case winerr::PathNotFound:
    case winerr::BadNetPath:
    case winerr::BadNetName: return 0;
    default: return error;
    }
}

std::string UnreadableFileMessage(std::string_view file, unsigned long error)
{
    return "The file " + std::string(file) + " cannot be read: " + ReadProblem(error) + " (error " +
           std::to_string(error) + ").\nNothing of it is shown or saved until it can be read.";
}

} // namespace dm

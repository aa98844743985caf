#include "platform/files/hosterror.h"

#include <cerrno>

namespace dm {

unsigned long WinErrorOfErrno(int error)
{
    switch (error) {
    case 0: return 0;
    case ENOENT:
    case ENOTDIR: return 3;       // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;        // ERROR_ACCESS_DENIED
    case EMFILE:
    case ENFILE: return 4;        // ERROR_TOO_MANY_OPEN_FILES
    case ENOMEM: return 8;        // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV: return 17;        // ERROR_NOT_SAME_DEVICE
    case EBUSY:
    case ETXTBSY: return 32;      // ERROR_SHARING_VIOLATION
    case EINVAL: return 87;       // ERROR_INVALID_PARAMETER
    case ENOSPC:
    case EDQUOT: return 112;      // ERROR_DISK_FULL
    case ENOTEMPTY: return 145;   // ERROR_DIR_NOT_EMPTY
    case EEXIST: return 183;      // ERROR_ALREADY_EXISTS
    case ENAMETOOLONG: return 206; // ERROR_FILENAME_EXCED_RANGE
    case ELOOP: return 1921;      // ERROR_CANT_RESOLVE_FILENAME
    default: return 1117;         // ERROR_IO_DEVICE
    }
}

unsigned long WinErrorOf(const std::error_code& error)
{
    if (!error)
        return 0;
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        return WinErrorOfErrno(error.value());
    return 1117;
}

} // namespace dm

#pragma once
// The one table from this machine's error numbers (errno, std::error_code)
// to the Windows error numbers that the system's messages show: 183 for a
// file that already exists, 5 for access denied, 3 for a missing path, 112
// for a full disk, and so on. Every message with an error number in it
// takes the number from here.

#include <system_error>

namespace dm {

unsigned long WinErrorOfErrno(int error);
unsigned long WinErrorOf(const std::error_code& error);

} // namespace dm

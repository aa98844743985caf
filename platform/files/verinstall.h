#pragma once
// Version-checked installation of shared files: where a shared file belongs
// and its installation from a compressed source, replacing an older copy
// only (or any copy when forced).
//
// A file's version is the line "FileVersion=a.b.c.d" near its beginning (the
// runtime files of the installation medium carry one); a file without it
// counts as version 0. Directories are POSIX or system paths.

#include <string>

namespace dm {

struct VerFindResult {
    std::string destDir;    // where the file belongs; empty when nowhere
    std::string currentDir; // where a copy is now; empty when none exists
    bool currentNotDest = false;
};

// A shared file belongs in the Windows directory; otherwise, or when that
// does not exist, in the application's directory.
VerFindResult VerFindFile(bool sharedFile, const std::string& fileName,
                          const std::string& windowsDir, const std::string& appDir);

// Result bits of VerInstallFile.
namespace verinstall {
constexpr unsigned SourceOld = 0x0004;    // the installed copy is newer (not replaced)
constexpr unsigned CannotRead = 0x2000;   // the source cannot be read or expanded
constexpr unsigned WriteFailed = 0x0100;  // the destination cannot be written
} // namespace verinstall

// Expands srcDir/srcName (SZDD or plain) to destDir/destName. Without force
// a newer installed copy stays. 0 when the file was installed.
unsigned VerInstallFile(bool force, const std::string& srcName, const std::string& destName,
                        const std::string& srcDir, const std::string& destDir);

// The "FileVersion=" of a file as four numbers packed high to low (0 when none).
unsigned long long ReadFileVersion(const std::string& path);

} // namespace dm

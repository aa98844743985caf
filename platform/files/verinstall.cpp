#include "platform/files/verinstall.h"

#include "platform/files/lzexpand.h"
#include "platform/files/pathresolver.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace dm {

namespace {

fs::path Resolve(const std::string& dir) { return ResolvePathOrEmpty(dir); }

unsigned long long ParseVersion(const std::string& text)
{
    unsigned long long packed = 0;
    std::istringstream in(text);
    for (int part = 0; part < 4; ++part) {
        unsigned long long number = 0;
        if (in.peek() >= '0' && in.peek() <= '9')
            in >> number;
        packed = (packed << 16) | (number & 0xFFFF);
        if (in.peek() == '.')
            in.get();
    }
    return packed;
}

unsigned long long VersionOfBytes(const std::string& bytes)
{
    const std::string head = bytes.substr(0, 4096);
    const auto at = head.find("FileVersion=");
    if (at == std::string::npos)
        return 0;
    const auto end = head.find_first_of("\r\n", at);
    return ParseVersion(head.substr(at + 12, end == std::string::npos ? end : end - at - 12));
}

} // namespace

VerFindResult VerFindFile(bool sharedFile, const std::string& fileName,
                          const std::string& windowsDir, const std::string& appDir)
{
    VerFindResult result;
    std::error_code ec;
    for (const std::string& dir : {windowsDir, appDir}) {
        const fs::path resolved = Resolve(dir);
        if (!resolved.empty() && fs::exists(MatchCaseInsensitive(resolved / fileName), ec)) {
            result.currentDir = dir;
            break;
        }
    }
    const fs::path windows = Resolve(windowsDir);
    const fs::path app = Resolve(appDir);
    if (sharedFile && !windows.empty() && fs::is_directory(windows, ec))
        result.destDir = windowsDir;
    else if (!app.empty() && fs::is_directory(app, ec))
        result.destDir = appDir;
    result.currentNotDest = !result.currentDir.empty() && result.currentDir != result.destDir;
    return result;
}

unsigned long long ReadFileVersion(const std::string& path)
{
    std::ifstream in(Resolve(path), std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return VersionOfBytes(head);
}

unsigned VerInstallFile(bool force, const std::string& srcName, const std::string& destName,
                        const std::string& srcDir, const std::string& destDir)
{
    const fs::path source = MatchCaseInsensitive(Resolve(srcDir) / srcName);
    const fs::path destination = MatchCaseInsensitive(Resolve(destDir) / destName);
    if (destination.empty())
        return verinstall::WriteFailed;

    // Expand beside the destination first, so that a failed expansion never
    // touches the installed copy.
    const fs::path temporary = destination.parent_path() / ("~" + destination.filename().string());
    if (LZCopyFile(source, temporary) != 0) {
        std::error_code ec;
        fs::remove(temporary, ec);
        return fs::exists(source, ec) ? verinstall::WriteFailed : verinstall::CannotRead;
    }
    std::error_code ec;
    if (!force && fs::exists(destination, ec)) {
        std::ifstream in(temporary, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (ReadFileVersion(destination.string()) > VersionOfBytes(bytes)) {
            fs::remove(temporary, ec);
            return verinstall::SourceOld;
        }
    }
    fs::rename(temporary, destination, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return verinstall::WriteFailed;
    }
    return 0;
}

} // namespace dm

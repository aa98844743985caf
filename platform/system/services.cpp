#include "platform/system/services.h"

#include "common/numbers.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"

#include <cstdlib>
#include <string>

namespace dm {

namespace {

std::string ServicesFile(const std::filesystem::path& dir) { return (dir / "services.ini").string(); }

} // namespace

unsigned long QueryServiceState(std::string_view service, unsigned long& state, std::string_view computer)
{
    auto dir = Network::ComputerDir(computer);
    if (!dir)
        return winerr::BadNetPath;
    const std::string text = GetPrivateProfileString("Services", service, "", ServicesFile(*dir));
    const std::optional<std::uint32_t> number = ParseUInt32(text);
    if (!number)
        return winerr::ServiceDoesNotExist;
    state = *number;
    return winerr::Success;
}

bool SetServiceState(std::string_view computer, std::string_view service, unsigned long state)
{
    auto dir = Network::ComputerDir(computer);
    return dir && WritePrivateProfileString("Services", service, std::to_string(state), ServicesFile(*dir));
}

bool RemoveService(std::string_view computer, std::string_view service)
{
    auto dir = Network::ComputerDir(computer);
    return dir && DeletePrivateProfileKey("Services", service, ServicesFile(*dir));
}

} // namespace dm

#include "setup/setupplatform.h"

#include "platform/system/execute.h"
#include "platform/system/services.h"

namespace dm {

unsigned long RunCommandLine(std::string_view commandLine, bool shown)
{
    return ExecuteCommand(commandLine, shown ? ShowMode::Shown : ShowMode::Hidden);
}

unsigned long QueryLocalServiceState(std::string_view service, unsigned long& state)
{
    return QueryServiceState(service, state);
}

} // namespace dm

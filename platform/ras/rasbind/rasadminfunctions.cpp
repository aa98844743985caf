#include "platform/ras/rasbind/rasadminfunctions.h"

#include "common/userinteraction.h"
#include "platform/ras/rasbind/sharedlibrary.h"

#include <cstdio>

namespace dm {

namespace {

std::array<bool, 9> BoundFlags(const RasAdminFunctions& f)
{
    return {f.RasAdminPortEnum != nullptr,        f.RasAdminFreeBuffer != nullptr,
            f.RasAdminGetErrorString != nullptr,  f.RasAdminPortGetInfo != nullptr,
            f.RasAdminPortDisconnect != nullptr,  f.RasAdminPortClearStatistics != nullptr,
            f.RasAdminUserGetInfo != nullptr,     f.RasAdminUserSetInfo != nullptr,
            f.RasAdminServerGetInfo != nullptr};
}

template <typename Function>
void Bind(Function& slot, const SharedLibrary& library, std::size_t index)
{
    slot = reinterpret_cast<Function>(library.Symbol(RasAdminFunctions::kNames[index]));
}

} // namespace

bool RasAdminFunctions::IsBound(std::size_t index) const
{
    return index < kNames.size() && BoundFlags(*this)[index];
}

bool RasAdminFunctions::AllBound() const
{
    for (bool bound : BoundFlags(*this))
        if (!bound)
            return false;
    return true;
}

std::string MissingEntryPointText(std::size_t index)
{
    char text[96];
    // Only the first entry point's text ends with a full stop.
    std::snprintf(text, sizeof text,
                  "Error when loading Rassapi.dll: Unable to locate ordinal 0x%03zX%s", index + 1,
                  index == 0 ? "." : "");
    return text;
}

bool BindRasAdminLibrary(SharedLibrary& library, RasAdminFunctions& functions,
                         UserInteraction& ui)
{
    functions.Clear();
    if (!library.Load("RASSAPI.DLL")) {
        Trace("BindRasAdminLibrary: " + library.Error());
        ui.ShowMessage("Error when loading Rassapi.dll. Verify that the file exists in your "
                       "search path.",
                       kRasBindCaption, Buttons::Ok, Icon::None);
        return false;
    }
    Bind(functions.RasAdminPortEnum, library, 0);
    Bind(functions.RasAdminFreeBuffer, library, 1);
    Bind(functions.RasAdminGetErrorString, library, 2);
    Bind(functions.RasAdminPortGetInfo, library, 3);
    Bind(functions.RasAdminPortDisconnect, library, 4);
    Bind(functions.RasAdminPortClearStatistics, library, 5);
    Bind(functions.RasAdminUserGetInfo, library, 6);
    Bind(functions.RasAdminUserSetInfo, library, 7);
    Bind(functions.RasAdminServerGetInfo, library, 8);
    const auto bound = BoundFlags(functions);
    for (std::size_t i = 0; i < bound.size(); ++i) {
        if (!bound[i])
            ui.ShowMessage(MissingEntryPointText(i), kRasBindCaption, Buttons::Ok, Icon::None);
    }
    return true;
}

} // namespace dm

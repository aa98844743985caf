// dmctl permissions: the RAS permission export and import of the manager's
// Tools menu, by the same code, for scripts.

#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "manager/core/permissiontransfer.h"
#include "manager/core/rasaccess.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::permissionsgroup {

const char* const kUsage =
    "Usage: dmctl permissions export SERVER FILE\n"
    "       dmctl permissions import SERVER FILE [--continue-on-error]\n\n"
    "Copies the RAS permissions (dial-in right and call-back) of every user account\n"
    "of SERVER to FILE, or sets the permissions that FILE lists on SERVER, exactly as\n"
    "the manager's Export and Import RAS Permissions dialogs do.\n\n"
    "FILE holds one account a line, each line preceded by a line break:\n"
    "  name,bits,call-back number   bits: 8 dial-in, 1 no call-back, 2 preset\n"
    "                               number, 4 set by caller\n"
    "  name,?,                      permissions that could not be read (imported\n"
    "                               as 1: no dial-in, no call-back)\n\n"
    "An account whose permissions cannot be set stops the import, unless\n"
    "--continue-on-error is given. Exit status 0 when every account was handled.\n";

// Messages go to stderr; the import's question is answered by the option.
class ConsoleInteraction : public dm::SilentInteraction {
public:
    explicit ConsoleInteraction(bool continueOnError) : m_continue(continueOnError) {}
    dm::Answer ShowMessage(const std::string& text, const std::string&, dm::Buttons buttons, dm::Icon) override
    {
        std::string line = text;
        for (char& c : line)
            if (c == '\n')
                c = ' ';
        std::fprintf(stderr, "dmctl permissions: %s\n", line.c_str());
        if (buttons == dm::Buttons::YesNo)
            return m_continue ? dm::Answer::Yes : dm::Answer::No;
        return dm::DefaultAnswer(buttons);
    }

private:
    bool m_continue;
};

int RunPermissions(const std::vector<std::string>& args)
{
    if (!args.empty() && dmctl::IsHelpWord(args[0])) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool known = !args.empty() && (args[0] == "export" || args[0] == "import");
    const dmctl::Words words =
        known ? dmctl::ParseWords({args.begin() + 1, args.end()}, dmctl::Syntax{2, 2, {}, {"--continue-on-error"}, {}})
              : dmctl::Words{};
    if (words.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool continueOnError = words.Has("--continue-on-error");
    if (!known || !words.error.empty() || words.positional[0].empty() || words.positional[1].empty() ||
        (continueOnError && args[0] != "import")) {
        if (!words.error.empty())
            std::fprintf(stderr, "dmctl permissions: %s\n", words.error.c_str());
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::vector<std::string> positional{args[0], words.positional[0], words.positional[1]};
    const bool exporting = positional[0] == "export";

    ConsoleInteraction ui(continueOnError);
    dm::SharedLibrary library;
    dm::RasAdminFunctions functions;
    if (!dm::BindRasAdminLibrary(library, functions, ui))
        return 1;
    dm::RasAccess ras(&functions, ui);
    dm::RasPermissionCalls calls;
    calls.read = [&ras](std::string_view server, std::string_view account, std::string& callback) {
        return ras.GetUserRasPermission(server, account, callback);
    };
    calls.write = [&ras](std::string_view server, std::string_view account, std::uint8_t bits,
                         std::string_view callback) { return ras.SetUserRasPermission(server, account, bits, callback); };
    calls.writeMany = [&ras](std::string_view server, std::span<const dm::RasPermissionChange> accounts) {
        return ras.SetUserRasPermissions(server, accounts);
    };

    // A relative name means the current directory, as for any command.
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(positional[2], ec);
    dm::PermissionTransfer transfer(std::move(calls), ui);
    const dm::TransferResult result =
        exporting ? transfer.Export(positional[1], ec ? std::filesystem::path(positional[2]) : file)
                  : transfer.Import(positional[1], ec ? std::filesystem::path(positional[2]) : file);
    // A failed export wrote no file: there is no count to report.
    if (exporting) {
        if (result != dm::TransferResult::Failed)
            std::printf("%d accounts exported, %d of them unreadable\n", transfer.Handled(), transfer.Failures());
    } else {
        std::printf("%d accounts imported, %d failed\n", transfer.Handled(), transfer.Failures());
    }
    if (result == dm::TransferResult::Failed || result == dm::TransferResult::Stopped)
        return 1;
    return exporting || transfer.Failures() == 0 ? 0 : 1;
}

} // namespace dmctl::permissionsgroup

static dmctl::DmctlGroup permissionsGroup("permissions", "RAS permission export and import (the Tools menu's dialogs)",
                                          dmctl::permissionsgroup::RunPermissions);

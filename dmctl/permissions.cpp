// dmctl permissions: the RAS permission export and import of the manager's
// Tools menu, by the same code, for scripts.

#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "manager/core/permissiontransfer.h"
#include "manager/core/rasaccess.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
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
    "--continue-on-error is given.\n\n"
    "SIGINT or SIGTERM stops the import between two writes of the account\n"
    "database: the accounts set before stay set, and it says how many (\"Import\n"
    "cancelled: N of M accounts imported.\"). An export so stopped writes no file\n"
    "and leaves an earlier FILE as it was.\n\n"
    "Exit status: 0 every account was handled, 1 an account or the file failed,\n"
    "2 bad usage, 130 stopped by SIGINT, 143 stopped by SIGTERM.\n";

// The stop signal that arrived while a transfer ran (0: none), and the flag
// the transfer tests between its steps.
volatile std::sig_atomic_t g_stopSignal = 0;
std::atomic<bool> g_cancel{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets the flag");

extern "C" void OnStopSignal(int signal)
{
    g_stopSignal = signal;
    g_cancel.store(true);
}

// SIGINT and SIGTERM ask the transfer to stop instead of ending the process
// in the middle of a write; the handlers before are restored at the end.
// SA_RESTART: a write or rename under way goes on to its end.
class StopSignals {
public:
    StopSignals()
    {
        g_stopSignal = 0;
        g_cancel.store(false);
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_int);
        ::sigaction(SIGTERM, &action, &m_term);
    }
    ~StopSignals()
    {
        ::sigaction(SIGINT, &m_int, nullptr);
        ::sigaction(SIGTERM, &m_term, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction m_int {};
    struct sigaction m_term {};
};

// For tests that stop a transfer at a known point: when
// DMCTL_PERMISSIONS_TEST_HOLD names a file, the first progress with an
// account handled (an import's first written batch, an export's first
// account) writes the count there and waits for a stop signal (60 seconds
// at most), so that the signal always comes between the same two steps.
class TestHold {
public:
    TestHold()
    {
        if (const char* path = std::getenv("DMCTL_PERMISSIONS_TEST_HOLD"); path != nullptr && *path != '\0')
            m_path = path;
    }
    void Progress(int handled)
    {
        if (m_path.empty() || m_held || handled == 0)
            return;
        m_held = true;
        {
            std::ofstream(m_path + ".part") << handled << "\n";
        }
        std::error_code ec;
        std::filesystem::rename(m_path + ".part", m_path, ec);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!g_cancel.load() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

private:
    std::string m_path;
    bool m_held = false;
};

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

    // From here on a stop signal ends the transfer at its next safe point.
    StopSignals signals;
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
    TestHold hold;
    transfer.SetCancelFlag(&g_cancel);
    transfer.SetProgressSink([&hold](int handled, int) { hold.Progress(handled); });
    const dm::TransferResult result =
        exporting ? transfer.Export(positional[1], ec ? std::filesystem::path(positional[2]) : file)
                  : transfer.Import(positional[1], ec ? std::filesystem::path(positional[2]) : file);
    // A failed or cancelled export wrote no file: there is no count to report.
    if (exporting) {
        if (result != dm::TransferResult::Failed && result != dm::TransferResult::Cancelled)
            std::printf("%d accounts exported, %d of them unreadable\n", transfer.Handled(), transfer.Failures());
    } else {
        std::printf("%d accounts imported, %d failed\n", transfer.Handled(), transfer.Failures());
    }
    if (result == dm::TransferResult::Cancelled) {
        std::fflush(stdout);
        if (exporting)
            std::fputs("dmctl permissions: Export cancelled: the file was not written.\n", stderr);
        else
            std::fprintf(stderr, "dmctl permissions: Import cancelled: %d of %d accounts imported.\n",
                         transfer.Handled(), transfer.Total());
        return 128 + (g_stopSignal != 0 ? static_cast<int>(g_stopSignal) : SIGINT);
    }
    if (result == dm::TransferResult::Failed || result == dm::TransferResult::Stopped)
        return 1;
    return exporting || transfer.Failures() == 0 ? 0 : 1;
}

} // namespace dmctl::permissionsgroup

static dmctl::DmctlGroup permissionsGroup("permissions", "RAS permission export and import (the Tools menu's dialogs)",
                                          dmctl::permissionsgroup::RunPermissions);

#pragma once
// Copying the RAS permissions (dial-in right and call-back) of every user
// account of a server to a text file, and applying such a file to a server.
// The export and import dialogs and `dmctl permissions` run this same code.
//
// The file holds one account a line, each line preceded by a line break (so
// the file begins with an empty line and its last line has none):
//     name,bits,call-back number      bits in decimal: 8 dial-in, 1 no
//     name,?,<blank>                  call-back, 4 set by caller, 2 preset
// where "?" marks an account whose permissions could not be read.

#include "common/userinteraction.h"
#include "platform/accounts/accountdatabase.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// How the transfer reads and writes one account's permission on a server
// (the document's GetUserRasPermission and SetUserRasPermission, or the RAS
// library bound by a command). read returns 0 when it cannot read.
// writeMany, when given, sets many accounts at once, in order, stopping at
// the first that fails, and returns how many it set before that one (all
// of them when none failed): the import then writes the server's files once
// a batch instead of once an account.
struct RasPermissionCalls {
    std::function<std::uint8_t(std::string_view server, std::string_view account, std::string& callback)> read;
    std::function<bool(std::string_view server, std::string_view account, std::uint8_t bits,
                       std::string_view callback)>
        write;
    std::function<std::size_t(std::string_view server, std::span<const RasPermissionChange> accounts)> writeMany;
};

// A server name as typed becomes "\\NAME"; one that begins with a backslash
// is taken as it is.
std::string PermissionServerName(std::string_view typed);

// One line of a permission file as the import takes it.
struct PermissionLine {
    std::string account;
    std::uint8_t bits = 1;
    std::string callback;
};
// False for a line the import skips: no name, or a name that begins with a
// blank or a control character. Bits that are missing, not a number from 0
// to 255, or 0 become 1 (no dial-in, no call-back); the call-back number ends
// before the first control character (the line end).
bool ParsePermissionLine(std::string_view line, PermissionLine& parsed);

enum class TransferResult {
    Done,      // every account was handled
    Failed,    // a message told why; the file is incomplete or nothing was done
    Stopped,   // the person chose not to go on after a failed account
    Cancelled, // asked to stop: the accounts an import set stay set, an export
               // writes no file (an earlier one stays as it was)
};

class PermissionTransfer {
public:
    using StatusSink = std::function<void(const std::string&)>;
    // Accounts handled so far and the accounts the data file lists (import)
    // or the server enumerated (export).
    using ProgressSink = std::function<void(int handled, int total)>;
    // Batches of the account enumeration.
    static constexpr std::uint32_t kBatchEntries = 10000;
    static constexpr std::uint32_t kBatchBytes = 100000;
    // Accounts the import sets in one write (with writeMany): few enough
    // that a Cancel or the progress is never long in coming, many enough
    // that 100,000 accounts cost a few dozen writes of the file.
    static constexpr std::size_t kImportBatch = 4000;

    PermissionTransfer(RasPermissionCalls calls, UserInteraction& ui, StatusSink status = {});

    // Tested by Import before each batch it writes (each account without
    // writeMany) and by Export before each account and before the file
    // takes its name: once it is true the transfer stops (Cancelled). An
    // import keeps the batches written before it; an export writes nothing.
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }
    void SetProgressSink(ProgressSink progress) { m_progress = std::move(progress); }

    // server as the dialog's field holds it (see PermissionServerName).
    TransferResult Export(std::string_view server, const std::filesystem::path& file);
    TransferResult Import(std::string_view server, const std::filesystem::path& file);

    // Accounts written to the file, or accounts whose permissions were set.
    int Handled() const { return m_handled; }
    // Accounts that could not be read (export) or written (import).
    int Failures() const { return m_failures; }
    // The accounts the last import's data file lists, or the last export
    // enumerated.
    int Total() const { return m_total; }

private:
    void Status(const std::string& text) const;
    bool CancelRequested() const { return m_cancel != nullptr && m_cancel->load(); }
    // Asks whether to go on after account failed; false for "No".
    bool GoOnAfterFailure(const std::string& server, const std::string& account);
    TransferResult ImportInBatches(const std::string& server, const std::vector<PermissionLine>& lines);

    RasPermissionCalls m_calls;
    UserInteraction& m_ui;
    StatusSink m_status;
    ProgressSink m_progress;
    const std::atomic<bool>* m_cancel = nullptr;
    int m_total = 0;
    int m_handled = 0;
    int m_failures = 0;
};

} // namespace dm

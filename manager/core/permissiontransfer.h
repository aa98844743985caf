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

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace dm {

// How the transfer reads and writes one account's permission on a server
// (the document's GetUserRasPermission and SetUserRasPermission, or the RAS
// library bound by a command). read returns 0 when it cannot read.
struct RasPermissionCalls {
    std::function<std::uint8_t(std::string_view server, std::string_view account, std::string& callback)> read;
    std::function<bool(std::string_view server, std::string_view account, std::uint8_t bits,
                       std::string_view callback)>
        write;
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
    Done,    // every account was handled
    Failed,  // a message told why; the file is incomplete or nothing was done
    Stopped, // the person chose not to go on after a failed account
};

class PermissionTransfer {
public:
    using StatusSink = std::function<void(const std::string&)>;
    // Batches of the account enumeration.
    static constexpr std::uint32_t kBatchEntries = 10000;
    static constexpr std::uint32_t kBatchBytes = 100000;

    PermissionTransfer(RasPermissionCalls calls, UserInteraction& ui, StatusSink status = {});

    // server as the dialog's field holds it (see PermissionServerName).
    TransferResult Export(std::string_view server, const std::filesystem::path& file);
    TransferResult Import(std::string_view server, const std::filesystem::path& file);

    // Accounts written to the file, or accounts whose permissions were set.
    int Handled() const { return m_handled; }
    // Accounts that could not be read (export) or written (import).
    int Failures() const { return m_failures; }

private:
    void Status(const std::string& text) const;

    RasPermissionCalls m_calls;
    UserInteraction& m_ui;
    StatusSink m_status;
    int m_handled = 0;
    int m_failures = 0;
};

} // namespace dm

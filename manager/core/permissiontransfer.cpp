#include "manager/core/permissiontransfer.h"

#include "manager/core/messagecaption.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/accounts/netapi.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/replacementfile.h"
#include "platform/system/widetext.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

namespace dm {

namespace {

// The Windows error a message shows for a failed open.
unsigned long FileError(int error, bool reading)
{
    switch (error) {
    case ENOENT: return reading ? winerr::FileNotFound : winerr::PathNotFound;
    case ENOTDIR: return winerr::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return winerr::AccessDenied;
    case ENAMETOOLONG: return 206; // the file name is too long
    case ENOSPC:
    case EDQUOT: return 112;       // the disk is full
    default: return 31;            // a device attached to the system is not functioning
    }
}

std::string FormatWithNumber(const char* format, unsigned long number)
{
    char text[200];
    std::snprintf(text, sizeof text, format, static_cast<int>(number));
    return text;
}

// The decimal privilege bits; anything else, or a number beyond a byte, is 0.
std::uint8_t ParseBits(std::string_view text)
{
    unsigned value = 0;
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && value <= 255) {
        value = value * 10 + static_cast<unsigned>(text[digits] - '0');
        ++digits;
    }
    return digits == 0 || value > 255 ? 0 : static_cast<std::uint8_t>(value);
}

} // namespace

std::string PermissionServerName(std::string_view typed)
{
    if (!typed.empty() && typed.front() == '\\')
        return std::string(typed);
    return "\\\\" + std::string(typed);
}

bool ParsePermissionLine(std::string_view line, PermissionLine& parsed)
{
    parsed = {};
    std::string_view pieces[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const auto comma = i < 2 ? line.find(',') : std::string_view::npos;
        pieces[i] = line.substr(0, comma);
        if (comma == std::string_view::npos) {
            line = {};
            if (i == 0 && pieces[0].empty())
                return false;
            for (std::size_t rest = i + 1; rest < 3; ++rest)
                pieces[rest] = {};
            break;
        }
        line.remove_prefix(comma + 1);
    }
    // The account name is taken up to the line end; a name beginning with a
    // blank or a control character is no account. A first byte of 128 or
    // above is a letter of the code page and is taken.
    std::string_view name = pieces[0];
    while (!name.empty() && (name.back() == '\r' || name.back() == '\n'))
        name.remove_suffix(1);
    if (name.empty() || static_cast<unsigned char>(name.front()) <= 32 ||
        static_cast<unsigned char>(name.front()) == 127)
        return false;
    parsed.account = std::string(name);
    const std::uint8_t bits = ParseBits(pieces[1]);
    parsed.bits = bits == 0 ? 1 : bits;
    std::string_view callback = pieces[2];
    std::size_t end = 0;
    while (end < callback.size() && static_cast<unsigned char>(callback[end]) >= 20)
        ++end;
    parsed.callback = std::string(callback.substr(0, end));
    return true;
}

PermissionTransfer::PermissionTransfer(RasPermissionCalls calls, UserInteraction& ui, StatusSink status)
    : m_calls(std::move(calls)), m_ui(ui), m_status(std::move(status))
{
}

void PermissionTransfer::Status(const std::string& text) const
{
    if (m_status)
        m_status(text);
}

TransferResult PermissionTransfer::Export(std::string_view typedServer, const std::filesystem::path& file)
{
    m_handled = 0;
    m_failures = 0;
    m_total = 0;
    const std::string server = PermissionServerName(typedServer);
    const std::u16string wideServer = ToWide(server);
    const auto enumerationFailed = [&](unsigned long error, const std::string& cause) {
        m_ui.ShowMessage("Failed to enumerate accounts on server " + server + ".\nError " +
                             std::to_string(static_cast<int>(error)) + "." + cause,
                         kMessageCaption, Buttons::Ok, Icon::Error);
        return TransferResult::Failed;
    };

    // The enumeration takes a missing account database for an empty one; a
    // copy of no accounts made from a lost or unreadable file would pass for
    // a copy of the server's permissions, so it is an error here.
    const AccountDatabase accounts(server);
    if (const unsigned long error = accounts.CheckStored();
        error != winerr::Success && error != winerr::BadNetPath)
        return enumerationFailed(error, "\n" + accounts.IniPath() + ": " + ReadProblem(error) + ".");

    // The names first, so that the progress knows the total: a server's
    // accounts come in batches, each asked from where the last one ended.
    std::vector<std::string> names;
    std::uint32_t next = 0;
    for (;;) {
        std::uint32_t count = 0;
        void* buffer = nullptr;
        const unsigned long status =
            NetQueryDisplayInformation(wideServer.c_str(), 1, next, kBatchEntries, kBatchBytes, &count, &buffer);
        if (status != winerr::Success && status != winerr::MoreData) {
            NetApiBufferFree(buffer);
            return enumerationFailed(status, {});
        }
        const auto* users = static_cast<const NET_DISPLAY_USER*>(buffer);
        for (std::uint32_t i = 0; i < count; ++i) {
            names.push_back(FromWide(users[i].usri1_name));
            next = users[i].usri1_next_index;
        }
        NetApiBufferFree(buffer);
        if (status != winerr::MoreData || count == 0)
            break;
    }
    m_total = static_cast<int>(names.size());

    // The file takes its name only once it is complete: a failed or
    // cancelled export leaves an earlier file of that name as it was.
    ReplacementFile out;
    if (const int error = out.Open(file)) {
        m_ui.ShowMessage(FormatWithNumber("Error opening output file: %d.", FileError(error, false)), kMessageCaption,
                         Buttons::Ok, Icon::Error);
        return TransferResult::Failed;
    }
    if (m_progress)
        m_progress(0, m_total);
    for (const std::string& name : names) {
        if (CancelRequested())
            return TransferResult::Cancelled;
        Status("Exporting " + name);
        std::string callback;
        const std::uint8_t bits = m_calls.read(server, name, callback);
        if (bits != 0) {
            out.Append("\n" + name + "," + std::to_string(static_cast<int>(bits)) + "," + callback);
        } else {
            out.Append("\n" + name + ",?, ");
            ++m_failures;
        }
        ++m_handled;
        if (m_progress)
            m_progress(m_handled, m_total);
    }
    if (CancelRequested())
        return TransferResult::Cancelled;
    if (const int error = out.Commit()) {
        // A file that could not be written completely is no copy of the
        // permissions; say so rather than close as if it were.
        m_ui.ShowMessage(FormatWithNumber("Error writing output file: %d.", FileError(error, false)), kMessageCaption,
                         Buttons::Ok, Icon::Error);
        return TransferResult::Failed;
    }
    return TransferResult::Done;
}

bool PermissionTransfer::GoOnAfterFailure(const std::string& server, const std::string& account)
{
    ++m_failures;
    const std::string question = "Failed to set RAS permissions for user '" + account + "'\non server " + server +
                                 ". Continue with next account?";
    return m_ui.ShowMessage(question, kMessageCaption, Buttons::YesNo, Icon::Error) != Answer::No;
}

TransferResult PermissionTransfer::Import(std::string_view typedServer, const std::filesystem::path& file)
{
    m_handled = 0;
    m_failures = 0;
    m_total = 0;
    const std::string server = PermissionServerName(typedServer);
    // Only a regular file that can be read whole is a data file: a
    // directory, a FIFO or a file we may not read is an error, never an
    // import of nothing.
    std::string text;
    if (const unsigned long error = ReadRegularFile(file, text)) {
        m_ui.ShowMessage(FormatWithNumber("Error opening data file: %d.", error), kMessageCaption,
                         Buttons::Ok, Icon::Error);
        return TransferResult::Failed;
    }
    // Whole lines of any length: a long line is one account, never two.
    std::vector<PermissionLine> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        PermissionLine parsed;
        if (ParsePermissionLine(line, parsed))
            lines.push_back(std::move(parsed));
    }
    m_total = static_cast<int>(lines.size());
    if (m_progress)
        m_progress(0, m_total);
    if (m_calls.writeMany)
        return ImportInBatches(server, lines);
    for (const PermissionLine& line : lines) {
        if (CancelRequested())
            return TransferResult::Cancelled;
        Status("Importing " + line.account);
        if (m_calls.write(server, line.account, line.bits, line.callback)) {
            ++m_handled;
            if (m_progress)
                m_progress(m_handled, m_total);
        } else if (!GoOnAfterFailure(server, line.account)) {
            return TransferResult::Stopped;
        }
    }
    return TransferResult::Done;
}

TransferResult PermissionTransfer::ImportInBatches(const std::string& server, const std::vector<PermissionLine>& lines)
{
    std::vector<RasPermissionChange> batch;
    std::size_t next = 0;
    while (next < lines.size()) {
        // A Cancel takes effect between two writes, never within one: the
        // accounts file holds every batch written before it, whole.
        if (CancelRequested())
            return TransferResult::Cancelled;
        batch.clear();
        for (std::size_t i = next; i < lines.size() && batch.size() < kImportBatch; ++i) {
            Status("Importing " + lines[i].account);
            batch.push_back({lines[i].account, lines[i].bits, lines[i].callback});
        }
        const std::size_t set = std::min(m_calls.writeMany(server, batch), batch.size());
        next += set;
        m_handled += static_cast<int>(set);
        if (m_progress)
            m_progress(m_handled, m_total);
        if (set < batch.size()) {
            // The accounts after the failed one are not set yet: the next
            // batch begins with them when the person goes on.
            const std::string& failed = lines[next].account;
            ++next;
            if (!GoOnAfterFailure(server, failed))
                return TransferResult::Stopped;
        }
    }
    return TransferResult::Done;
}

} // namespace dm

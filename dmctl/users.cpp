// dmctl users: the accounts of Dialmind.usr as the users view's Save As writes them.

#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/userstable.h"
#include "manager/core/usersettings.h"
#include "platform/files/pathresolver.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::usersgroup {

const char kUsersHelp[] =
    "Usage: dmctl users DBDIR [--domain D] [--group DOMAIN\\G] [--user U] [--sort COLUMN [--reverse]]\n\n"
    "Prints the accounts of DBDIR\\Dialmind.usr exactly as the manager's users view\n"
    "saves them: the line \"User,Sessions,Denials,Last Session,Lasted,Total Time\",\n"
    "then one line per account in the view's order.\n\n"
    "  --domain D          only accounts of domain D\n"
    "  --group DOMAIN\\G    only accounts whose user name is a member of the global\n"
    "                      group G, as the domain's controller lists it\n"
    "  --user U            only accounts with the user name U\n"
    "  --sort COLUMN       as a click on that column's header sorts: user, sessions,\n"
    "                      denials, last (Last Session), lasted or total (Total Time);\n"
    "                      user names ascending, figures and times descending\n"
    "  --reverse           as a second click on the header\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl users: %s\n\n%s", error.c_str(), kUsersHelp);
    return 2;
}

// The column a --sort word names: its header without case and blanks, or a
// short name; -1 when none.
int SortColumnNamed(const std::string& word)
{
    std::string key;
    for (char c : word)
        if (c != ' ' && c != '-' && c != '_')
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::pair<const char*, int> names[] = {
        {"user", dm::UsersColumnUser},          {"sessions", dm::UsersColumnSessions},
        {"denials", dm::UsersColumnDenials},    {"last", dm::UsersColumnLastSession},
        {"lastsession", dm::UsersColumnLastSession}, {"lasted", dm::UsersColumnLasted},
        {"total", dm::UsersColumnTotal},        {"totaltime", dm::UsersColumnTotal}};
    for (const auto& [name, column] : names)
        if (key == name)
            return column;
    return -1;
}

int RunUsers(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{1, 1, {"--domain", "--group", "--user", "--sort"}, {"--reverse"}, {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::fputs(kUsersHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    dm::UsersFilter filter;
    const std::string directory = words.positional[0];
    filter.domain = words.Get("--domain", "*");
    filter.user = words.Get("--user", "*");
    int sortColumn = -1;
    if (words.Has("--sort")) {
        sortColumn = SortColumnNamed(words.Get("--sort"));
        if (sortColumn < 0)
            return Usage("--sort: unknown column '" + words.Get("--sort") + "'");
    } else if (words.Has("--reverse")) {
        return Usage("--reverse needs --sort");
    }
    if (words.Has("--group")) {
        const std::string name = words.Get("--group");
        const std::size_t slash = name.find('\\');
        if (slash == std::string::npos || slash == 0 || slash + 1 == name.size())
            return Usage("--group takes DOMAIN\\GROUP");
        filter.domain = name.substr(0, slash);
        filter.group = name.substr(slash + 1);
    }

    if (!dmctl::CheckDatabaseDirectory(directory, "users") ||
        !dmctl::CheckDatabaseFiles("users", directory, false, true))
        return 1;
    const std::string userFile = dm::UserSettings::FileNameIn(directory);
    const dm::ResolvedPath file = dm::ResolvePath(userFile);
    std::error_code error;
    if (!file.ok() || !std::filesystem::is_regular_file(file.path, error)) {
        std::fprintf(stderr, "dmctl users: cannot read %s\n", userFile.c_str());
        return 1;
    }
    dm::ConsoleMessages ui("dmctl users");
    filter.members = dm::UsersFilterMembers(filter, ui);
    if (ui.Said())
        return 1;
    // One pass over the file a piece at a time, taking only the accounts the
    // filters pass: the table costs its records, never the file's text, and
    // one account of many costs a look at each section's name.
    std::function<bool(std::string_view)> accepts;
    if (filter.domain != "*" || filter.group != "*" || filter.user != "*")
        accepts = [&filter](std::string_view account) { return dm::PassesUsersFilter(account, filter); };
    unsigned long readError = 0;
    const std::vector<dm::UserRecord> records = dm::UserSettings::ReadRecords(userFile, accepts, readError);
    if (readError != 0) {
        std::fprintf(stderr, "dmctl users: cannot read %s (error %lu)\n", userFile.c_str(), readError);
        return 1;
    }
    std::vector<int> rows = dm::FilterUserRows(records, filter);
    // A header click sorts with d = +1, a second click on it with -1.
    if (sortColumn >= 0)
        dm::SortUserRows(rows, records, sortColumn, words.Has("--reverse") ? -1 : 1);
    dm::WriteUsersCsv(records, rows, [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); });
    return 0;
}

dmctl::DmctlGroup users("users", "the accounts of Dialmind.usr as the users view saves them", RunUsers);

} // namespace dmctl::usersgroup

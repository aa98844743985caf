// dmctl users: the accounts of Dialmind.usr as the users view's Save As writes them.

#include "common/userinteraction.h"
#include "dmctl/arguments.h"
#include "dmctl/databasedir.h"
#include "dmctl/command.h"
#include "manager/core/userstable.h"
#include "manager/core/usersettings.h"
#include "platform/files/pathresolver.h"

#include <cstdio>
#include <filesystem>

namespace {

const char kUsersHelp[] =
    "Usage: dmctl users DBDIR [--domain D] [--group DOMAIN\\G] [--user U]\n\n"
    "Prints the accounts of DBDIR\\Dialmind.usr exactly as the manager's users view\n"
    "saves them: the line \"User,Sessions,Denials,Last Session,Lasted,Total Time\",\n"
    "then one line per account in the view's order.\n\n"
    "  --domain D          only accounts of domain D\n"
    "  --group DOMAIN\\G    only accounts whose user name is a member of the global\n"
    "                      group G, as the domain's controller lists it\n"
    "  --user U            only accounts with the user name U\n";

int Usage(const std::string& error)
{
    std::fprintf(stderr, "dmctl users: %s\n\n%s", error.c_str(), kUsersHelp);
    return 2;
}

int RunUsers(const std::vector<std::string>& args)
{
    const dmctl::Syntax syntax{1, 1, {"--domain", "--group", "--user"}, {}, {}};
    const dmctl::Words words = dmctl::ParseWords(args, syntax);
    if (words.help) {
        std::fputs(kUsersHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage(words.error == "missing arguments" ? "DBDIR is missing" : words.error);
    dm::UsersFilter filter;
    const std::string directory = words.positional[0];
    if (!dmctl::CheckDatabaseFiles("users", directory, false, true))
        return 1;
    filter.domain = words.Get("--domain", "*");
    filter.user = words.Get("--user", "*");
    if (words.Has("--group")) {
        const std::string name = words.Get("--group");
        const std::size_t slash = name.find('\\');
        if (slash == std::string::npos || slash == 0 || slash + 1 == name.size())
            return Usage("--group takes DOMAIN\\GROUP");
        filter.domain = name.substr(0, slash);
        filter.group = name.substr(slash + 1);
    }

    dm::UserSettings users;
    users.SetFile(dm::UserSettings::FileNameIn(directory));
    const dm::ResolvedPath file = dm::ResolvePath(users.File());
    std::error_code error;
    if (!file.ok() || !std::filesystem::is_regular_file(file.path, error)) {
        std::fprintf(stderr, "dmctl users: cannot read %s\n", users.File().c_str());
        return 1;
    }
    users.Load();
    dm::ConsoleMessages ui("dmctl users");
    filter.members = dm::UsersFilterMembers(filter, ui);
    if (ui.Said())
        return 1;
    const std::string text = dm::UsersCsv(users.Records(), dm::FilterUserRows(users.Records(), filter));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

dmctl::DmctlGroup users("users", "the accounts of Dialmind.usr as the users view saves them", RunUsers);

} // namespace

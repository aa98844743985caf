#pragma once
// The frame's commands. The toolbar sends 1000 + a button's index; the
// buttons stand for AddServer, SystemSettings, Greetings, SaveAs, Print, Help.

namespace dm {

enum class Command {
    AddServer,
    SystemSettings,
    Greetings,
    SaveAs,
    Print,
    PrintPreview,
    PrintSetup,
    Reports,
    Exit,
    Delete,
    Properties,
    ExportPermissions,
    ImportPermissions,
    CheckAccess,
    Capacity,
    StatusBar,
    Split,
    Options,
    Refresh,
    Help,
    HelpIndex,
    About,
    Copy,
};

// The command a toolbar button sends, by index 0 to 5.
constexpr Command ToolbarCommand(int index)
{
    constexpr Command commands[] = {Command::AddServer, Command::SystemSettings, Command::Greetings,
                                    Command::SaveAs, Command::Print, Command::Help};
    return commands[index];
}

} // namespace dm

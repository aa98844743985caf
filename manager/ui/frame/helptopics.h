#pragma once
// The help topics of the manager's panes, sheets and dialogs: the context
// numbers that docs/help/contexts.map maps to pages. Every window that opens
// help takes its number from here.

namespace dm::helptopic {

constexpr int Contents = 1;
constexpr int LogFiles = 77;
constexpr int PortStatus = 100;
constexpr int History = 110;
constexpr int Users = 120;
constexpr int Graphs = 130;
constexpr int PortsList = 140;
constexpr int Greetings = 200;
constexpr int AddServer = 300;
constexpr int SendMessage = 310;
constexpr int AllowedGroups = 320;
constexpr int Permissions = 330;
constexpr int Reports = 340;
constexpr int ReportPeriod = 341;
constexpr int ReportOutput = 342;
constexpr int ReportScript = 343;
constexpr int SystemSettings = 400;
constexpr int PortProperties = 410;
constexpr int UserProperties = 420;
constexpr int GroupProperties = 430;
constexpr int DefaultProfile = 440;
constexpr int ServerProperties = 450;
constexpr int Options = 460;
constexpr int Capacity = 900;
constexpr int CheckAccess = 901;

} // namespace dm::helptopic

#pragma once
// A new computer of the emulated network as a fresh installation would
// leave it, so that programs find what every computer has:
//
// - registry.reg with Software\Microsoft\Windows\CurrentVersion
//   (ProgramFilesDir "C:\Program Files") and the server service's
//   System\CurrentControlSet\Services\LanManServer\Parameters
//   (NullSessionShares: COMCFG, DFS$);
// - windows\win.ini with [windows] device= naming a default printer;
// - the Windows directory and drive C (Network::AddComputer).
//
// Nothing that exists is changed: preparing a computer twice is harmless.

#include <filesystem>
#include <string_view>

namespace dm {

// The default printer entry of a new win.ini: "name,driver,port".
inline constexpr std::string_view DefaultPrinterDevice = "Default Printer,winspool,LPT1:";

// Creates (or completes) the computer; returns its folder, or an empty path
// when the name cannot be a computer name (1 to 15 characters, none of
// \ / : * ? " < > | and no blanks or control characters).
std::filesystem::path PrepareComputer(std::string_view name);

bool IsValidComputerName(std::string_view name);

} // namespace dm

#pragma once
// Plugs the settings windows into the frame: System Settings, a server's
// properties (Idle timeout), Greeting Messages and the RAS permission export
// and import.

namespace dm {

class CDMDoc;
struct ManagerExtensions;

void AddSettingsWindows(ManagerExtensions& extensions, CDMDoc& doc);

} // namespace dm

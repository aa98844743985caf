#pragma once
// Pictures of what setup shows: the background screen, each wizard page,
// the installation progress dialog and the conversion dialog.

#include <filesystem>

namespace dm {

// Writes the PNG files into dir; returns how many were written.
int WriteSetupScreenshots(const std::filesystem::path& dir);

} // namespace dm

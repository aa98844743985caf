#pragma once
// What Finish starts: the installation run in its progress dialog, then the
// conversion of an old log on the master share, then the completion message.
// An aborted run says so and does neither of the others.

#include "common/userinteraction.h"
#include "setup/setupchoices.h"

#include <filesystem>

class QWidget;

namespace dm {

struct FinishTiming {
    unsigned stepPauseMs = 200;
    int startDelayMs = 500;
};

// True when the installation completed with every file in place.
bool RunInstallationAndMigration(const SetupChoices& choices, UserInteraction& ui,
                                 const std::filesystem::path& sourceDir, FinishTiming timing,
                                 QWidget* parent);

} // namespace dm

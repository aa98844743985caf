#pragma once
// The policy editors' load and Apply for a script (dmctl policy show and
// set): what the editor of a target shows, read fresh from the files, and
// NAME=VALUE changes taken through the editor's checks and written the way
// its Apply writes them: only the keys that change, under the file's lock.

#include "database/policyform.h"

#include <string>
#include <string_view>

namespace dm {

struct PolicyTarget {
    PolicyEditor editor = PolicyEditor::Default;
    std::string name; // DOMAIN\name, SOURCE\group or SERVER\PORT; empty for the others
};

// What the editor shows now.
PolicyValues ShowPolicy(std::string_view databaseDirectory, const PolicyTarget& target);

struct PolicySetResult {
    enum Outcome { Written, Refused, Failed } outcome = Written;
    std::string message; // why it was refused or failed
};
// Checks every change first; a refused one writes nothing. A notice that is
// set to 0 loses its text; a period limit of 0 has no period type, as on
// the pages.
PolicySetResult SetPolicy(std::string_view databaseDirectory, const PolicyTarget& target,
                          const PolicyValues& changes);

} // namespace dm

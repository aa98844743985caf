#include "manager/core/greetingpreview.h"

namespace dm {

GreetingPreview PreviewGreeting(const GreetingRules& rules, const GreetingValues& values)
{
    GreetingPreview preview;
    if (std::optional<std::string> merged = MergeGreeting(rules, values)) {
        preview.text = std::move(*merged);
        preview.anyRuleActive = true;
    } else {
        preview.text = kNoRulesActive;
    }
    return preview;
}

} // namespace dm

#include "database/greeting.h"

#include "common/text.h"

#include <strings.h>

namespace dm {

GreetingValues SampleGreetingValues()
{
    return GreetingValues{"John Doe", 20, 30, 40, 50};
}

std::optional<std::string> MergeGreeting(const GreetingRules& rules, const GreetingValues& values,
                                         const std::array<bool, 3>& applies)
{
    bool anyActive = false;
    std::string message;
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        if (!rules.rules[i].active || !applies[i])
            continue;
        anyActive = true;
        const std::string& text = rules.rules[i].text;
        std::size_t pos = 0;
        while (pos < text.size()) {
            pos = text.find_first_not_of(" ,\t\n", pos);
            if (pos == std::string::npos)
                break;
            std::size_t end = text.find_first_of(" ,\t\n", pos);
            if (end == std::string::npos)
                end = text.size();
            const std::string_view token(text.data() + pos, end - pos);
            pos = end;
            auto is = [&](std::string_view variable) { return StartsWithNoCase(token, variable); };
            if (is("#UMS"))
                message += std::to_string(values.userMaxSession);
            else if (is("#UMT"))
                message += std::to_string(values.userMaxTotal);
            else if (is("#UCU"))
                message += std::to_string(values.userCurrentTotal);
            else if (is("#PMS"))
                message += std::to_string(values.portMaxSession);
            else if (is("#UNA"))
                message += values.userName;
            else
                message += token;
            message += ' ';
        }
    }
    if (!anyActive)
        return std::nullopt;
    return message;
}

std::array<bool, 3> GreetingRulesApplying(const Limits& effective, std::int32_t portMaxSession)
{
    return {true, effective.HasTimeLimit(), portMaxSession > 0};
}

std::optional<std::string> GreetingFor(const GreetingRules& rules, const Limits& effective,
                                       const GreetingValues& values)
{
    return MergeGreeting(rules, values, GreetingRulesApplying(effective, values.portMaxSession));
}

} // namespace dm

#include "netemu/greeting.h"

#include <strings.h>

namespace dm::netemu {

std::optional<std::string> MergeGreeting(const GreetingRule (&rules)[3], const bool (&applies)[3],
                                         const GreetingValues& values)
{
    bool anyActive = false;
    std::string message;
    for (int i = 0; i < 3; ++i) {
        if (!rules[i].active || !applies[i])
            continue;
        anyActive = true;
        const std::string& text = rules[i].text;
        std::size_t pos = 0;
        while (pos < text.size()) {
            pos = text.find_first_not_of(" ,\t\n", pos);
            if (pos == std::string::npos)
                break;
            std::size_t end = text.find_first_of(" ,\t\n", pos);
            if (end == std::string::npos)
                end = text.size();
            const std::string token = text.substr(pos, end - pos);
            pos = end;
            auto is = [&](const char* variable) {
                return token.size() >= 4 && strncasecmp(token.c_str(), variable, 4) == 0;
            };
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

std::optional<std::string> GreetingFor(const GreetingRule (&rules)[3], const Limits& effective,
                                       const GreetingValues& values)
{
    const bool applies[3] = {true, effective.HasTimeLimit(), values.portMaxSession > 0};
    return MergeGreeting(rules, applies, values);
}

} // namespace dm::netemu

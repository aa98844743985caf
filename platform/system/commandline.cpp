#include "platform/system/commandline.h"

namespace dm {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::vector<CommandArgument> ParseCommandLine(std::string_view line)
{
    std::vector<CommandArgument> args;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i == line.size())
        return args;

    // The program name.
    CommandArgument program;
    program.begin = i;
    if (line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        std::size_t stop = close == std::string_view::npos ? line.size() : close;
        program.text = std::string(line.substr(i + 1, stop - i - 1));
        i = close == std::string_view::npos ? line.size() : close + 1;
        // Text glued to the closing quote still belongs to the name.
        while (i < line.size() && !IsBlank(line[i]))
            program.text += line[i++];
    } else {
        while (i < line.size() && !IsBlank(line[i]))
            program.text += line[i++];
    }
    program.end = i;
    args.push_back(std::move(program));

    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        CommandArgument arg;
        arg.begin = i;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t count = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    arg.text.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        arg.text += '"';
                        ++i;
                    }
                } else {
                    arg.text.append(count, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg.text += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg.text += line[i++];
        }
        arg.end = i;
        args.push_back(std::move(arg));
    }
    return args;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> texts;
    for (auto& arg : ParseCommandLine(commandLine))
        texts.push_back(std::move(arg.text));
    return texts;
}

} // namespace dm

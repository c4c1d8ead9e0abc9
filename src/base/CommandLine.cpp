#include "base/CommandLine.h"

namespace vorlund {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string arg;
    bool inArgument = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            arg += '"'; // doubled inside quotes: a quote of the text
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                args.push_back(std::move(arg));
            arg.clear();
            inArgument = false;
        } else {
            arg += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args.push_back(std::move(arg));
    return args;
}

} // namespace vorlund

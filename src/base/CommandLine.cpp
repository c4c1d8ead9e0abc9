#include "base/CommandLine.h"

namespace vorlund {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string arg;
    bool inArgument = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
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

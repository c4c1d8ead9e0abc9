// vorlundpublish: puts a new front-end out in one command, so that no order
// of copying and raising the version, no replicated share, no database
// still open and no wrong file can send a wrong front-end to the desks.
#include "config/ConfigPath.h"
#include "publish/ConsoleHost.h"
#include "publish/ConsoleStop.h"
#include "publish/PublishArguments.h"
#include "publish/Publisher.h"
#include "version.h"
#include "win/Console.h"
#include "win/DllSearch.h"
#include "win/Heap.h"
#include "win/Paths.h"
#include "win/Unicode.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace vorlund;

void say(const std::string& line) {
    win::WriteOut(line + "\r\n");
}

} // namespace

int main() {
    win::RestrictDllSearch();
    win::UseLowFragmentationHeaps();
    const publish::ParsedArguments parsed = publish::ParsePublishArguments(win::Arguments());
    if (!parsed.request) {
        say(parsed.error);
        win::WriteOut(publish::kUsage);
        return publish::kFaultyCall;
    }
    publish::PublishRequest request = *parsed.request;
    if (!request.source.empty())
        request.source = win::FullPath(request.source);
    if (!request.server.empty())
        request.server = win::FullPath(request.server);
    if (!request.keyFile.empty())
        request.keyFile = win::FullPath(request.keyFile);
    const std::string ini = request.ini.empty()
                                ? programDirectory(win::ModuleFileName()) + "vorlund.INI"
                                : win::FullPath(request.ini);
    publish::ConsoleHost host(say);
    publish::Publisher publisher(publish::PublishSystem::Real(), host, say,
                                 std::string("vorlundpublish ") + VORLUND_VERSION_STRING);
    publish::HandleConsoleStops();
    const int code = publisher.Run(request, ini);
    publish::ConsoleWorkDone();
    return code;
}

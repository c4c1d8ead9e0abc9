#pragma once
// The values that the start-up step owns for one run and shares, by
// reference, with the entry preparation. Everything starts empty, 0 or false.
#include "config/IniFile.h"
#include "config/ReleaseSignature.h"
#include "prepare/PublishedCopy.h"
#include "prepare/Registry.h"
#include "prepare/RunLog.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlund {

struct RunState {
    std::unique_ptr<TRegistry> registry;
    std::vector<std::string> sections;
    std::vector<std::string> entrySections; // each entry's section, by the entry's id
    std::unique_ptr<IniFile> config;
    int32_t errorCount = 0;
    std::string driverPath;
    std::string programDir;
    std::string configPath;
    std::string logDir; // as written; empty: no run log
    RunRecord log;      // this run, for the run log

    // The entry preparation's own values.
    std::string displayName;
    int32_t installedVersion = 0;
    int32_t configuredVersion = 0;
    std::string installDir;
    std::string mdbName;
    bool copyNeeded = false;
    std::string centralPath;
    std::string localPath;
    PublishedCopy published; // what the copy must be: groesse=, pruefsumme=
    ReleaseRecord release;   // what a pinned key must have signed
    std::string signature;   // signatur= as written
    std::string workingDir;
    // How the launch opens the copy: the shell's open of the document, or
    // this program (as written, or the document's opener) with the copy and
    // these arguments (as written).
    std::string accessExe;
    std::string accessArgs;
};

} // namespace vorlund

#pragma once
// The publish road: a new front-end (or the one before, or a lock) goes out
// in one command, and every step that fails leaves the share and the
// configuration exactly as they were. In this order: the source is checked
// (nobody holds it open, it is a database), copied beside the central copy,
// written through, read back and compared by SHA-256; the central copy is
// replaced in one step, the old one kept as <mdbname>.vorher; only then the
// configuration is written, like a document, in one step.
#include "config/ProfileEditor.h"
#include "config/ProgramList.h"
#include "config/ReleaseHistory.h"
#include "prepare/PrepareHost.h"
#include "publish/PublishArguments.h"
#include "publish/PublishSystem.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlund::publish {

enum ExitCode : int { kDone = 0, kRefused = 1, kFaultyCall = 2 };

class Publisher {
  public:
    using Say = std::function<void(const std::string& line)>;
    // `host` shows the copy's progress; `starter` names the tool in the run log.
    Publisher(PublishSystem& system, PrepareHost& host, Say say, std::string starter)
        : system_(system), host_(host), say_(std::move(say)), starter_(std::move(starter)) {}

    // The request on the configuration at iniPath (a full path); the exit code.
    int Run(const PublishRequest& request, const std::string& iniPath);

  private:
    struct Refusal {
        int code;
        std::string text;
        bool changed = false; // the text says what was left changed, and how to mend it
    };
    // What a replace left: done, refused with both files where they were, or
    // the replaced file stranded under the backup's name.
    struct Replaced {
        DWORD error = ERROR_SUCCESS;
        bool stranded = false;
    };
    struct Entry;
    struct Road;

    int refuse(const Refusal& r);
    // The refusal, with what lies on the share now where that is not what
    // lay there before.
    int refuse(const Road& road, Refusal r);
    std::vector<std::string> watched(const Road& road);
    std::vector<std::optional<FileLook>> lookAt(const Road& road);
    bool asBefore(const Road& road, const std::vector<std::optional<FileLook>>& now);
    std::string describeShare(const Road& road, const std::vector<std::optional<FileLook>>& now);
    std::optional<Refusal> lock(const std::string& iniPath, win::File& held);
    std::optional<Refusal> load(const std::string& iniPath, const std::string& application,
                                Entry& entry);
    static void readReleases(const ProgramList& list, Entry& entry);
    std::optional<Refusal> oneServer(const PublishRequest& request, Entry& entry);
    bool isPublished(const Entry& entry, const std::string& path);
    void clearLeftovers(const Entry& entry);
    void clearPilotLeftovers(const Entry& entry);
    // Puts the ring's copy set aside as `before` back; the words of what
    // lies there where that failed.
    std::optional<std::string> restorePilot(const Entry& entry, const std::string& before,
                                            const std::string& partial, bool hadPilot);
    void restoreKeptConfiguration(const std::string& iniPath);
    std::string restorePublished(const Entry& entry);
    std::optional<Refusal> chooseSource(Road& road);
    std::optional<Refusal> choosePilotRelease(Road& road);
    int publishPilot(const PublishRequest& request, const std::string& iniPath);
    std::optional<Refusal> preparePilot(Road& road, const std::string& iniPath, win::File& held);
    std::optional<Refusal> editPilotConfiguration(Road& road);
    std::optional<Refusal> placePilotCopy(const Road& road, const std::string& before,
                                          bool hadPilot);
    // The configuration cannot take `what` so that the launcher reads it.
    static Refusal uneditable(const Entry& entry, const std::string& what);
    int endPilot(const PublishRequest& request, const std::string& iniPath);
    // What a publish of any kind does first: the lock held, the entry loaded,
    // its record read, the new number and the key chosen.
    std::optional<Refusal> prepare(Road& road, const std::string& iniPath, win::File& held);
    std::optional<Refusal> judgeBytes(Road& road);
    std::optional<Refusal> keepRelease(Road& road);
    std::optional<Refusal> replaceUnpublished(Road& road);
    void recordRelease(const Road& road);
    bool writeRecord(const Entry& entry, const Release& added);
    bool completeRecord(Road& road);
    int listReleases(const PublishRequest& request, const std::string& iniPath);
    std::optional<Refusal> checkSource(Road& road);
    std::optional<Refusal> copyToPartial(Road& road);
    std::optional<Refusal> editConfiguration(Road& road);
    std::optional<Refusal> stageConfiguration(Road& road);
    std::optional<Refusal> unchangedConfiguration(Road& road);
    std::optional<Refusal> replaceCentral(Road& road);
    // `stoppable`: a stop ends the wait at once, with ERROR_CANCELLED.
    Replaced replaceWaiting(const std::string& replaced, const std::string& replacement,
                            const std::string& backup, const std::string& readers, bool stoppable);
    std::optional<DWORD> endOfWait(DWORD error, uint64_t waited, bool stoppable);
    std::optional<Refusal> stage(const Entry& entry, const std::string& bytes,
                                 const std::string& temp);
    std::optional<Refusal> unchanged(const Entry& entry);
    std::optional<Refusal> placeConfiguration(const Entry& entry, const std::string& temp);
    std::optional<std::string> undoReplace(const Road& road);
    int publish(const PublishRequest& request, const std::string& iniPath);
    std::optional<Refusal> chooseVersion(Road& road);
    void sayDone(const Road& road);
    int setLock(const PublishRequest& request, const std::string& iniPath);
    int makeKey(const PublishRequest& request);
    std::optional<Refusal> loadKey(Road& road);
    // signatur= of the new release, or none where this publish has no key.
    std::optional<Refusal> sign(Road& road, ProfileDocument& doc);
    void log(const Road& road);

    PublishSystem& system_;
    PrepareHost& host_;
    Say say_;
    std::string starter_;
};

} // namespace vorlund::publish

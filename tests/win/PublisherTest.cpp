// The publish road against real files of this prefix: each step that fails
// leaves the share and the configuration exactly as they were.
#include "publish/Publisher.h"
#include "prepare/PartialFiles.h"
#include "prepare/ReleaseTrust.h"
#include "publish/PublisherKey.h"
#include "support/FailingPublish.h"
#include "support/WinTestSupport.h"
#include "win/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

using namespace vorlund;
using namespace vorlund::publish;
using namespace vorlund::testing;

namespace {

const std::string kJet = std::string("\0\1\0\0Standard Jet DB\0", 20);

class PublisherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA(share.c_str(), nullptr);
        WriteFileBytes(share + "lager.mdb", kJet + "version 12");
        WriteFileBytes(share + "lager.mdb.vorher", kJet + "version 11");
        WriteFileBytes(ini, "; Lager\r\n[Lager]\r\nversion=12\r\nmdbname=lager.mdb\r\nmdbpath=" +
                                share + "\r\ndisplayname=Lager\r\n\r\n[Kasse]\r\n");
        WriteFileBytes(source, kJet + PatternBytes(150000, 9));
    }
    // Every file of the share and the configuration, with its bytes.
    std::map<std::string, std::string> state() {
        std::map<std::string, std::string> files{{"INI", ReadFileBytes(ini)}};
        for (const std::string& name : InstallSystem::Real().FindFiles(share + "*"))
            files[name] = ReadFileBytes(share + name);
        return files;
    }
    void emptyShare() {
        for (const std::string& name : InstallSystem::Real().FindFiles(share + "*"))
            DeleteFileA((share + name).c_str());
    }
    int run(PublishSystem& system, PublishRequest request) {
        request.application = "lager";
        if (request.kind == PublishRequest::Publish)
            request.source = source;
        Publisher publisher(
            system, host, [&](const std::string& line) { said += line + "\n"; }, "test");
        return publisher.Run(request, ini);
    }

    TempDir dir{"publish"};
    std::string share = dir / "share\\";
    std::string ini = dir / "vorlund.INI";
    std::string source = dir / "neu.mdb";
    RecordingHost host;
    std::string said;
};

} // namespace

TEST_F(PublisherTest, APublishPutsTheCopyOutFirstAndTheConfigurationLast) {
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    const std::string bytes = ReadFileBytes(source);
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == bytes);
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.vorher"), kJet + "version 12");
    EXPECT_EQ(ReadFileBytes(ini),
              "; Lager\r\n[Lager]\r\nversion=13\r\nmdbname=lager.mdb\r\nmdbpath=" + share +
                  "\r\ndisplayname=Lager\r\npruefsumme=" + *win::FileSha256(source) +
                  "\r\ngroesse=" + std::to_string(bytes.size()) + "\r\n\r\n[Kasse]\r\n");
    // Nothing left beside them but the record and the releases' own copies:
    // the first record starts with the one the configuration named.
    EXPECT_EQ(state().size(), 6u);
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.v12"), kJet + "version 12");
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb.v13") == bytes);
    EXPECT_NE(ReadFileBytes(share + "lager.mdb.versionen").find("\r\n13;150020;"),
              std::string::npos);
}

TEST_F(PublisherTest, AFailureAtAnyStepLeavesTheShareAndTheConfigurationAsTheyWere) {
    const struct {
        const char* name;
        PublishOp op;
        int nth;
        DWORD error = ERROR_DISK_FULL;
        int times = 1;
    } cases[] = {
        {"the partial file cannot be made", PublishOp::CreatePartial, 1},
        {"the share is full", PublishOp::Write, 2},
        {"the flush", PublishOp::Flush, 1},
        {"the copy reads back other than written", PublishOp::HashOf, 1},
        {"the .vorher cannot be put aside", PublishOp::Move, 1},
        {"the central copy cannot be replaced", PublishOp::Replace, 1},
        {"the central copy went to .vorher", PublishOp::Replace, 1,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},
        {"the configuration's new file cannot be written", PublishOp::WriteNew, 1},
        {"the configuration cannot be replaced", PublishOp::Replace, 2},
        {"the configuration's new file cannot take its place", PublishOp::Replace, 2,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT, 61},
        {"the configuration went to its backup", PublishOp::Replace, 2,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},
    };
    const std::map<std::string, std::string> before = state();
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    for (const auto& c : cases) {
        FailingPublish failing(c.op, c.nth, c.error, c.times);
        said.clear();
        EXPECT_EQ(run(failing, request), kRefused) << c.name << "\n" << said;
        EXPECT_TRUE(state() == before) << c.name << ": " << state().size() << " files\n" << said;
        EXPECT_NE(said.find("Nichts ge\u00E4ndert."), std::string::npos) << c.name;
    }
    // Changed meanwhile, during the copy or after the central copy was
    // replaced: someone's save is never written over.
    struct SavedMeanwhile : PublishSystem {
        std::string ini;
        int reads = 0, savedAt = 0;
        std::optional<std::string> ReadAll(const std::string& path) override {
            if (path == ini && ++reads == savedAt)
                WriteFileBytes(ini, "[Lager]\r\nversion=99\r\n");
            return PublishSystem::ReadAll(path);
        }
    };
    for (const int savedAt : {2, 3}) {
        const std::string original = before.at("INI");
        WriteFileBytes(ini, original);
        SavedMeanwhile meanwhile;
        meanwhile.ini = ini;
        meanwhile.savedAt = savedAt;
        EXPECT_EQ(run(meanwhile, request), kRefused) << said;
        std::map<std::string, std::string> expected = before;
        expected["INI"] = "[Lager]\r\nversion=99\r\n";
        EXPECT_TRUE(state() == expected) << "saved at read " << savedAt << "\n" << said;
    }
}

// The configuration cannot take the new version while workstations have
// opened the new central copy: taking it back waits for them, and what
// cannot be undone is said as such, never as "nothing changed".
TEST_F(PublisherTest, ACentralCopyTakenBackWaitsForItsReaders) {
    struct ReadersOfTheNewCopy : FailingPublish {
        std::string central;
        win::File reading;
        int replaces = 0;
        DWORD letGoAfter = 0;
        Status Replace(const std::string& replaced, const std::string& replacement,
                       const std::string& backup) override {
            if (++replaces != 2)
                return PublishSystem::Replace(replaced, replacement, backup);
            reading = win::File(CreateFileA(central.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            return Status{ERROR_DISK_FULL}; // the configuration's folder
        }
        void Pause(PrepareHost& h, DWORD ms) override {
            FailingPublish::Pause(h, ms);
            if (paused >= letGoAfter)
                reading.close();
        }
    };
    const std::map<std::string, std::string> before = state();
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    ReadersOfTheNewCopy letGo;
    letGo.central = share + "lager.mdb";
    letGo.letGoAfter = 3000;
    EXPECT_EQ(run(letGo, request), kRefused) << said;
    EXPECT_TRUE(state() == before) << said;
    EXPECT_GE(letGo.paused, 3000u);
    EXPECT_NE(said.find("Nichts ge\u00E4ndert."), std::string::npos) << said;

    said.clear();
    ReadersOfTheNewCopy holdOn;
    holdOn.central = share + "lager.mdb";
    holdOn.letGoAfter = 3600000;
    EXPECT_EQ(run(holdOn, request), kRefused) << said;
    holdOn.reading.close();
    EXPECT_GE(holdOn.paused, 60000u);
    EXPECT_EQ(said.find("Nichts ge\u00E4ndert"), std::string::npos) << said;
    EXPECT_NE(said.find("ACHTUNG: die zentrale Kopie lie\u00DF sich nicht zur\u00FCcksetzen"),
              std::string::npos)
        << said;
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == ReadFileBytes(source));
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.vorher"), kJet + "version 12");
    EXPECT_EQ(ReadFileBytes(ini), before.at("INI"));
}

TEST_F(PublisherTest, WrongSourcesAndCallsAreRefusedBeforeAnythingChanges) {
    const std::map<std::string, std::string> before = state();
    const auto publishing = [&](const std::string& file, std::optional<int32_t> version = {}) {
        PublishRequest request;
        request.kind = PublishRequest::Publish;
        request.version = version;
        source = file;
        said.clear();
        return run(PublishSystem::Real(), request);
    };
    WriteFileBytes(dir / "leer.mdb", "");
    WriteFileBytes(dir / "brief.mdb", "PK\3\4 ein Word-Dokument unter falschem Namen");
    CreateDirectoryA((dir / "ordner.mdb").c_str(), nullptr);
    const std::string held = dir / "offen.mdb";
    WriteFileBytes(held, kJet);
    WriteFileBytes(dir / "offen.ldb", "");
    win::File access(CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    EXPECT_EQ(publishing(dir / "fehlt.mdb"), kFaultyCall);
    EXPECT_EQ(publishing(dir / "ordner.mdb"), kFaultyCall);
    EXPECT_EQ(publishing(dir / "leer.mdb"), kRefused);
    EXPECT_EQ(publishing(dir / "brief.mdb"), kRefused);
    EXPECT_NE(said.find("keine Access-Datenbank"), std::string::npos) << said;
    WriteFileBytes(dir / "x.zip", "PK\3\4 ein Archiv");
    EXPECT_EQ(publishing(dir / "x.zip"), kRefused); // mdbname names an Access file
    EXPECT_NE(said.find("keine Access-Datenbank"), std::string::npos) << said;
    EXPECT_EQ(publishing(held), kRefused);
    EXPECT_NE(said.find("daneben liegt " + dir / "offen.ldb"), std::string::npos) << said;
    EXPECT_EQ(publishing(dir / "neu.mdb", 12), kFaultyCall); // not higher than today's
    const std::string ini12 = ReadFileBytes(ini);
    for (const char* version : {"12.1", "12 ; vom 3.5."}) {
        std::string faulty = ini12;
        faulty.replace(faulty.find("version=12"), 10, std::string("version=") + version);
        WriteFileBytes(ini, faulty);
        EXPECT_EQ(publishing(dir / "neu.mdb"), kFaultyCall) << version; // it reads as 0
        EXPECT_NE(said.find("keine ganze Zahl"), std::string::npos) << said;
        EXPECT_EQ(ReadFileBytes(ini), faulty);
    }
    WriteFileBytes(ini, ini12);
    EXPECT_EQ(publishing(share + "lager.mdb"), kFaultyCall); // the central copy itself
    PublishRequest back;
    back.kind = PublishRequest::Back;
    DeleteFileA((share + "lager.mdb.vorher").c_str());
    EXPECT_EQ(run(PublishSystem::Real(), back), kRefused);
    WriteFileBytes(share + "lager.mdb.vorher", kJet + "version 11");
    EXPECT_TRUE(state() == before);
    // A lock file alone, beside a file nobody holds, is only mentioned.
    access.close();
    EXPECT_EQ(publishing(held), kDone) << said;
    EXPECT_NE(said.find("niemand hat sie ge\u00F6ffnet"), std::string::npos) << said;
}

// A second publisher waits for the first and refuses after a minute; a
// read-only configuration or central copy is refused at once.
TEST_F(PublisherTest, AnotherPublishOrAReadOnlyFileIsWaitedForOrRefused) {
    const std::map<std::string, std::string> before = state();
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    {
        win::File other(CreateFileA((ini + ".vorlundpublish").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_ALWAYS, 0, nullptr));
        FailingPublish patient;
        EXPECT_EQ(run(patient, request), kRefused) << said;
        EXPECT_GE(patient.paused, 60000u);
        EXPECT_NE(said.find("Eine andere Ver\u00F6ffentlichung"), std::string::npos) << said;
    }
    DeleteFileA((ini + ".vorlundpublish").c_str());
    for (const std::string& file : {ini, share + "lager.mdb"}) {
        said.clear();
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
        FailingPublish impatient;
        EXPECT_EQ(run(impatient, request), kRefused);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_NE(said.find("schreibgesch\u00FCtzt"), std::string::npos) << file << "\n" << said;
        EXPECT_EQ(impatient.paused, 0u) << file; // refused at once, not waited for
        EXPECT_TRUE(state() == before);
    }
}

// Workstations read the central copy while the publish wants to replace it:
// it waits, telling so, and goes on once they let go.
TEST_F(PublisherTest, APublishWaitsWhileWorkstationsReadTheCentralCopy) {
    win::File reading(CreateFileA((share + "lager.mdb").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    struct LetsGo : FailingPublish {
        win::File* reading = nullptr;
        void Pause(PrepareHost& h, DWORD ms) override {
            FailingPublish::Pause(h, ms);
            if (paused >= 3000)
                reading->close();
        }
    } system;
    system.reading = &reading;
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    EXPECT_EQ(run(system, request), kDone) << said;
    EXPECT_NE(said.find("Warte: Arbeitspl\u00E4tze lesen gerade die zentrale Kopie"),
              std::string::npos)
        << said;
    EXPECT_GE(system.paused, 3000u);
}

// Asked to stop (Ctrl+C, the console closed, logoff, shutdown) at each of
// its waits and in the copy: before the central copy is replaced it stops
// and clears up; after it, the replace is taken back. Either way the share
// and the configuration are as they were, and the words say it stopped.
TEST_F(PublisherTest, AStopAtAnyWaitLeavesTheShareAsItWas) {
    struct StopsAt : FailingPublish {
        enum Point { AnotherPublish, Copy, CentralReaders, IniReaders } point = AnotherPublish;
        std::string central, ini;
        win::File reader;
        int writes = 0;
        bool stop = false;
        bool StopRequested() override { return stop; }
        Opened Lock(const std::string& path) override {
            if (point != AnotherPublish)
                return FailingPublish::Lock(path);
            stop = paused >= 2000; // asked while another publish runs
            return {win::File(), ERROR_SHARING_VIOLATION};
        }
        Status Write(HANDLE file, const char* buffer, DWORD length) override {
            stop = stop || (point == Copy && ++writes == 2);
            return FailingPublish::Write(file, buffer, length);
        }
        Status Replace(const std::string& replaced, const std::string& replacement,
                       const std::string& backup) override {
            const bool held = (point == CentralReaders && replaced == central) ||
                              (point == IniReaders && replaced == ini);
            if (!held || reader)
                return FailingPublish::Replace(replaced, replacement, backup);
            stop = true; // asked while it waits for readers
            return Status{ERROR_SHARING_VIOLATION};
        }
    };
    const std::map<std::string, std::string> before = state();
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    for (const auto point :
         {StopsAt::AnotherPublish, StopsAt::Copy, StopsAt::CentralReaders, StopsAt::IniReaders}) {
        StopsAt stopping;
        stopping.point = point;
        stopping.central = share + "lager.mdb";
        stopping.ini = ini;
        said.clear();
        EXPECT_EQ(run(stopping, request), kRefused) << point << "\n" << said;
        EXPECT_TRUE(state() == before) << point << "\n" << said;
        EXPECT_NE(said.find("Abgebrochen (Strg+C, Strg+Pause"), std::string::npos) << point << "\n"
                                                                                   << said;
        EXPECT_NE(said.find("Nichts ge\u00E4ndert."), std::string::npos) << point << "\n" << said;
        EXPECT_LT(stopping.paused, 10000u) << point; // well within the seconds Windows grants
    }
}

// What a publish that was ended without a word (killed, a power cut) left
// at each of its points: the next one brings the share back to what the
// configuration names, says what it cleared, and goes on.
TEST_F(PublisherTest, TheNextPublishClearsWhatAPublishEndedMidwayLeft) {
    const std::string central = share + "lager.mdb", vorher = central + ".vorher";
    const std::string published = ReadFileBytes(central);
    const std::string sha = *win::FileSha256(central);
    const std::string original = ReadFileBytes(ini);
    const std::string iniPublished = original.substr(0, original.find("displayname=")) +
                                     "groesse=" + std::to_string(published.size()) +
                                     "\r\npruefsumme=" + sha + "\r\n" +
                                     original.substr(original.find("displayname="));
    const struct {
        const char* name;
        void (*leave)(const std::string& share, const std::string& ini);
    } points[] = {
        {"in the copy",
         [](const std::string& s, const std::string&) {
             WriteFileBytes(s + "lager.mdb.4711.partial", "halb");
         }},
        {"after the .vorher was set aside",
         [](const std::string& s, const std::string& i) {
             MoveFileA((s + "lager.mdb.vorher").c_str(), (s + "lager.mdb.vorher.4711.alt").c_str());
             WriteFileBytes(i + ".4711.neu", "[Lager]\r\nversion=13\r\n");
         }},
        {"after the central copy was replaced",
         [](const std::string& s, const std::string& i) {
             MoveFileA((s + "lager.mdb.vorher").c_str(), (s + "lager.mdb.vorher.4711.alt").c_str());
             MoveFileA((s + "lager.mdb").c_str(), (s + "lager.mdb.vorher").c_str());
             WriteFileBytes(s + "lager.mdb", kJet + "nie ver\xC3\xB6"
                                                    "ffentlicht");
             WriteFileBytes(i + ".4711.neu", "[Lager]\r\nversion=13\r\n");
         }},
        {"while the configuration came back from its kept copy",
         [](const std::string&, const std::string& i) {
             MoveFileA(i.c_str(), (i + ".4711.alt").c_str());
         }},
    };
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    for (const auto& p : points) {
        emptyShare(); // the record of the point before too
        WriteFileBytes(ini, iniPublished);
        WriteFileBytes(central, published);
        WriteFileBytes(vorher, kJet + "version 11");
        p.leave(share, ini);
        said.clear();
        ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << p.name << "\n" << said;
        EXPECT_NE(said.find(std::string_view(p.name).starts_with("while")
                                ? "Die Konfiguration fehlte"
                                : "Aufger\u00E4umt"),
                  std::string::npos)
            << p.name << "\n"
            << said;
        // The release the configuration named is the one before now.
        EXPECT_TRUE(ReadFileBytes(vorher) == published) << p.name << "\n" << said;
        EXPECT_TRUE(ReadFileBytes(central) == ReadFileBytes(source)) << p.name;
        EXPECT_NE(ReadFileBytes(ini).find("version=13"), std::string::npos) << p.name;
        // Nothing left beside them but the record and the copies of 12 and 13.
        EXPECT_EQ(state().size(), 6u) << p.name << "\n" << said;
    }
}

// Without a central copy there is nothing to take the place of the one
// before: <mdbname>.vorher stays as it is.
TEST_F(PublisherTest, APublishWithoutACentralCopyKeepsTheOneBefore) {
    DeleteFileA((share + "lager.mdb").c_str());
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.vorher"), kJet + "version 11");
    EXPECT_EQ(said.find(".vorher daneben"), std::string::npos) << said; // none was made now
}

// A failure whose undo fails too is no "nothing changed": what lies under
// each name is read and said, and the next /zurueck finds the .vorher that
// could not be moved back.
TEST_F(PublisherTest, AFailedUndoSaysWhatLiesOnTheShareAndZurueckFindsTheVorher) {
    struct NeitherReplacesNorRestores : FailingPublish {
        int moves = 0;
        Status Replace(const std::string&, const std::string&, const std::string&) override {
            return Status{ERROR_DISK_FULL};
        }
        Status Move(const std::string& from, const std::string& to) override {
            return ++moves == 2 ? Status{ERROR_NETWORK_BUSY} : FailingPublish::Move(from, to);
        }
    } failing;
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    EXPECT_EQ(run(failing, request), kRefused);
    EXPECT_EQ(said.find("Nichts ge\u00E4ndert"), std::string::npos) << said;
    EXPECT_NE(said.find("ACHTUNG: auf der Freigabe ist nicht mehr alles wie vorher"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("lager.mdb.vorher: fehlt (vorher da)"), std::string::npos) << said;
    EXPECT_NE(said.find("(bisher " + share + "lager.mdb.vorher)"), std::string::npos) << said;
    said.clear();
    PublishRequest back;
    back.kind = PublishRequest::Back;
    EXPECT_EQ(run(PublishSystem::Real(), back), kDone) << said;
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb"), kJet + "version 11");
}

// The smaller faults of waiting: a lock file that a scanner keeps from
// going is waited for like a second publisher; a refused access to the
// central copy is a scanner's moment, not readers for a minute; a share
// gone after the replace is said as such.
TEST_F(PublisherTest, ARefusedAccessIsWaitedForOnlyAsLongAsAScanner) {
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    const std::string lockFile = ini + ".vorlundpublish";
    WriteFileBytes(lockFile, ""); // delete pending: every open is refused
    FailingPublish pending(PublishOp::Lock, 1, ERROR_ACCESS_DENIED, 3);
    EXPECT_EQ(run(pending, request), kDone) << said;
    EXPECT_EQ(pending.paused, 3000u);
    DeleteFileA(lockFile.c_str());
    FailingPublish noRight(PublishOp::Lock, 1, ERROR_ACCESS_DENIED, 3);
    EXPECT_EQ(run(noRight, request), kRefused) << said; // no lock file: no right to write there
    EXPECT_EQ(noRight.paused, 0u);

    said.clear();
    WriteFileBytes(source, kJet + "noch eine"); // no publish of bytes already out
    FailingPublish denied(PublishOp::Replace, 1, ERROR_ACCESS_DENIED, 100);
    EXPECT_EQ(run(denied, request), kRefused);
    EXPECT_EQ(denied.paused, 8000u);
    EXPECT_EQ(said.find("Arbeitspl\u00E4tze lesen gerade"), std::string::npos) << said;
    // Held by Access itself: its lock file beside the central copy is named.
    said.clear();
    WriteFileBytes(share + "lager.ldb", "");
    FailingPublish inAccess(PublishOp::Replace, 1, ERROR_SHARING_VIOLATION, 100);
    EXPECT_EQ(run(inAccess, request), kRefused);
    EXPECT_NE(said.find("Daneben liegt " + share + "lager.ldb"), std::string::npos) << said;
    DeleteFileA((share + "lager.ldb").c_str());

    struct ShareGone : PublishSystem {
        std::string ini;
        int reads = 0;
        std::optional<std::string> ReadAll(const std::string& path) override {
            return path == ini && ++reads == 3 ? std::nullopt : PublishSystem::ReadAll(path);
        }
    } gone;
    gone.ini = ini;
    said.clear();
    EXPECT_EQ(run(gone, request), kRefused);
    EXPECT_NE(said.find("ist nicht mehr erreichbar"), std::string::npos) << said;
    EXPECT_EQ(said.find("inzwischen ge\u00E4ndert"), std::string::npos) << said;
}

// A launcher reading the central copy shares its deletion: a rollback
// replaces it at once, and the reader goes on with the bytes it opened.
TEST_F(PublisherTest, ALauncherReadingTheCentralCopyDoesNotHoldUpTheReplace) {
    Opened reading = InstallSystem::Real().OpenSource(share + "lager.mdb");
    ASSERT_TRUE(reading.file);
    FailingPublish patient;
    PublishRequest back;
    back.kind = PublishRequest::Back;
    EXPECT_EQ(run(patient, back), kDone) << said;
    EXPECT_EQ(patient.paused, 0u) << said;
    char head[30] = {};
    EXPECT_TRUE(InstallSystem::Real().Read(reading.file.get(), head, sizeof head).ok());
    EXPECT_EQ(std::string(head, sizeof head), kJet + "version 12");
}

// Through a DFS namespace each workstation may read another server: such a
// path is refused with the server path to use, and /server publishes there.
TEST_F(PublisherTest, ADfsPathIsRefusedUnlessTheServerIsNamed) {
    struct Namespace : FailingPublish {
        std::optional<std::string> DfsTarget(const std::string& path) override {
            if (path.starts_with("\\\\firma.local\\"))
                return "\\\\SRV01\\Vorlund\\Lager\\lager.mdb";
            return std::nullopt;
        }
    } dfs;
    const std::string original = ReadFileBytes(ini);
    std::string viaNamespace = original;
    viaNamespace.replace(viaNamespace.find("mdbpath=") + 8, share.size(),
                         "\\\\firma.local\\Vorlund\\Lager\\");
    WriteFileBytes(ini, viaNamespace);
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    EXPECT_EQ(run(dfs, request), kFaultyCall);
    EXPECT_NE(said.find("DFS-Namensraum"), std::string::npos) << said;
    EXPECT_NE(said.find("/server \\\\SRV01\\Vorlund\\Lager\\."), std::string::npos) << said;
    EXPECT_EQ(ReadFileBytes(ini), viaNamespace);
    said.clear();
    request.server = share;
    EXPECT_EQ(run(dfs, request), kDone) << said;
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == ReadFileBytes(source));
    EXPECT_NE(ReadFileBytes(ini).find("mdbpath=\\\\firma.local\\Vorlund\\Lager\\"),
              std::string::npos); // the workstations keep reading the namespace
}

namespace {

// The configuration as a publish left it, for the next test's start.
std::string publishedIni(const std::string& share, const std::string& central) {
    return "[Lager]\r\nversion=12\r\nmdbname=lager.mdb\r\nmdbpath=" + share +
           "\r\ndisplayname=Lager\r\ngroesse=" + std::to_string(ReadFileBytes(central).size()) +
           "\r\npruefsumme=" + *win::FileSha256(central) + "\r\n";
}

} // namespace

// /zurueck goes back by the record of releases: twice never toggles to the
// bad one, a version can be named, bytes already out are not published
// again, and the oldest releases go.
TEST_F(PublisherTest, ARollbackGoesToTheReleaseBeforeByTheRecord) {
    const std::string central = share + "lager.mdb";
    WriteFileBytes(ini, publishedIni(share, central) + "versionen=4\r\n");
    const std::string twelve = ReadFileBytes(central);
    const auto publishing = [&](const std::string& bytes) {
        WriteFileBytes(source, bytes);
        PublishRequest request;
        request.kind = PublishRequest::Publish;
        said.clear();
        return run(PublishSystem::Real(), request);
    };
    const auto back = [&](std::optional<int32_t> to = {}) {
        PublishRequest request;
        request.kind = PublishRequest::Back;
        request.backTo = to;
        said.clear();
        return run(PublishSystem::Real(), request);
    };
    ASSERT_EQ(publishing(kJet + "13 gut"), kDone) << said;
    ASSERT_EQ(publishing(kJet + "14 kaputt"), kDone) << said;
    EXPECT_EQ(publishing(kJet + "14 kaputt"), kRefused); // the same bytes again
    EXPECT_NE(said.find("ist schon ver\u00F6ffentlicht"), std::string::npos) << said;
    ASSERT_EQ(back(), kDone) << said; // 15 = 13
    EXPECT_EQ(ReadFileBytes(central), kJet + "13 gut");
    ASSERT_EQ(back(), kDone) << said; // 16 = 12, not 14 again
    EXPECT_TRUE(ReadFileBytes(central) == twelve) << said;
    EXPECT_EQ(back(16), kRefused) << said; // the central copy's own bytes
    ASSERT_EQ(back(14), kDone) << said;    // 17 = 14, named
    EXPECT_EQ(ReadFileBytes(central), kJet + "14 kaputt");
    EXPECT_EQ(back(99), kFaultyCall);
    // Four kept, the oldest with their copies gone.
    const std::vector<Release> history = ParseReleaseHistory(ReadFileBytes(central + ".versionen"));
    ASSERT_EQ(history.size(), 4u);
    EXPECT_EQ(history.front().version, 14);
    EXPECT_EQ(history.back().restores, 14);
    EXPECT_FALSE(std::filesystem::exists(share + "lager.mdb.v12")); // gone with its line
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.v17"), kJet + "14 kaputt");
    PublishRequest list;
    list.kind = PublishRequest::Versions;
    said.clear();
    EXPECT_EQ(run(PublishSystem::Real(), list), kDone);
    EXPECT_NE(said.find("  Version 17 (= Version 14), 29 Bytes"), std::string::npos) << said;
    EXPECT_NE(said.find(" \u2013 aktuell"), std::string::npos) << said;
}

// An INI put back to an older text hands out no version twice, and a first
// rollback without a record is not followed by one back to the bad release.
TEST_F(PublisherTest, VersionsOnlyGrowAndARollbackBeforeTheRecordIsTheLast) {
    const std::string central = share + "lager.mdb";
    WriteFileBytes(ini, publishedIni(share, central));
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    WriteFileBytes(source, kJet + "13");
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    const std::string put = ReadFileBytes(ini);
    WriteFileBytes(source, kJet + "14");
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    WriteFileBytes(ini, put); // an editor saves the text of version 13 back
    WriteFileBytes(source, kJet + "15");
    said.clear();
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    EXPECT_NE(said.find("Version 15 (vorher 13)"), std::string::npos) << said;
    EXPECT_EQ(ReadFileBytes(share + "lager.mdb.v14"), kJet + "14"); // 14 keeps its bytes

    // Without a record, /zurueck goes to .vorher once; then nothing lies before.
    emptyShare();
    WriteFileBytes(central, kJet + "version 12");
    WriteFileBytes(central + ".vorher", kJet + "version 11");
    WriteFileBytes(ini, publishedIni(share, central));
    PublishRequest back;
    back.kind = PublishRequest::Back;
    ASSERT_EQ(run(PublishSystem::Real(), back), kDone) << said;
    EXPECT_EQ(ReadFileBytes(central), kJet + "version 11");
    said.clear();
    EXPECT_EQ(run(PublishSystem::Real(), back), kRefused) << said;
    EXPECT_EQ(ReadFileBytes(central), kJet + "version 11"); // not back to 12
}

// A refused replace without a backup name may take the replaced file away:
// the record and an unpublished central copy still end up under their names.
TEST_F(PublisherTest, AReplaceThatTookTheOldFileAwayStillPlacesTheNewOne) {
    struct TakesAway : FailingPublish {
        std::string name;
        Status Replace(const std::string& replaced, const std::string& replacement,
                       const std::string& backup) override {
            if (replaced != name || !backup.empty())
                return FailingPublish::Replace(replaced, replacement, backup);
            DeleteFileA(replaced.c_str());
            return Status{ERROR_UNABLE_TO_MOVE_REPLACEMENT};
        }
    };
    const std::string central = share + "lager.mdb";
    WriteFileBytes(ini, publishedIni(share, central));
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    WriteFileBytes(source, kJet + "13");
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    TakesAway record;
    record.name = central + ".versionen";
    WriteFileBytes(source, kJet + "14");
    ASSERT_EQ(run(record, request), kDone) << said;
    const std::vector<Release> history = ParseReleaseHistory(ReadFileBytes(central + ".versionen"));
    ASSERT_FALSE(history.empty()) << said;
    EXPECT_EQ(history.back().version, 14);
    TakesAway unpublished;
    unpublished.name = central;
    WriteFileBytes(central, kJet + "von Hand");
    WriteFileBytes(source, kJet + "15");
    said.clear();
    ASSERT_EQ(run(unpublished, request), kDone) << said;
    EXPECT_EQ(ReadFileBytes(central), kJet + "15");
}

// A central copy that no configuration names is no release to go back to:
// the last published one stays the fallback.
TEST_F(PublisherTest, ACentralCopyThatIsNotThePublishedOneIsNotKeptAsTheOneBefore) {
    const std::string central = share + "lager.mdb";
    WriteFileBytes(ini, publishedIni(share, central));
    WriteFileBytes(central + ".vorher", ReadFileBytes(central)); // the last published one
    WriteFileBytes(central, kJet + "von Hand hingelegt");
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    EXPECT_NE(said.find("Die zentrale Kopie ist nicht die ver\u00F6ffentlichte (eine "
                        "abgebrochene Ver\u00F6ffentlichung?); die zuletzt "
                        "ver\u00F6ffentlichte bleibt als R\u00FCckfall erhalten."),
              std::string::npos)
        << said;
    EXPECT_EQ(ReadFileBytes(central + ".vorher"), kJet + "version 12");
    EXPECT_TRUE(ReadFileBytes(central) == ReadFileBytes(source));
}

// A publish ended without a word (killed, a power cut) after each of its
// changes to the share, then run again: every release the configuration or
// the record named keeps its bytes on the share, and /zurueck after the rerun
// brings back the release that was current before it.
TEST_F(PublisherTest, APublishEndedAfterAnyStepIsCompletedByTheNextAndLosesNoRelease) {
    // After its first `alive` changes, the process is gone: nothing it
    // would do reaches the disk any more.
    struct EndsAfter : FailingPublish {
        int alive = 0, changes = 0;
        bool gone() { return ++changes > alive; }
        Opened CreatePartial(const std::string& p) override {
            return gone() ? Opened{win::File(), ERROR_NOT_READY} : FailingPublish::CreatePartial(p);
        }
        Status Write(HANDLE f, const char* b, DWORD n) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::Write(f, b, n);
        }
        Status Replace(const std::string& a, const std::string& b, const std::string& c) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::Replace(a, b, c);
        }
        Status Move(const std::string& a, const std::string& b) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::Move(a, b);
        }
        Status Copy(const std::string& a, const std::string& b) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::Copy(a, b);
        }
        Status Remove(const std::string& p) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::Remove(p);
        }
        Status WriteNew(const std::string& p, const std::string& b) override {
            return gone() ? Status{ERROR_NOT_READY} : FailingPublish::WriteNew(p, b);
        }
    };
    const std::string central = share + "lager.mdb";
    const std::string eleven = kJet + "version 11", twelve = ReadFileBytes(central);
    WriteFileBytes(source, kJet + "version 13" + PatternBytes(70000, 4)); // two chunks
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    bool completed = false;
    int points = 0;
    for (int alive = 0; !completed && alive < 40; ++alive) {
        SCOPED_TRACE(::testing::Message() << "ended after " << alive << " changes");
        emptyShare();
        for (const std::string& name : InstallSystem::Real().FindFiles(ini + ".*"))
            DeleteFileA((dir / name).c_str());
        WriteFileBytes(central, twelve);
        WriteFileBytes(share + "lager.mdb.v11", eleven);
        WriteFileBytes(share + "lager.mdb.v12", twelve);
        WriteFileBytes(central + ".vorher", eleven);
        const std::string sha11 = *win::FileSha256(share + "lager.mdb.v11");
        const std::string sha12 = *win::FileSha256(central);
        WriteFileBytes(
            central + ".versionen",
            FormatReleaseHistory({{11, static_cast<int64_t>(eleven.size()), sha11, "", {}},
                                  {12, static_cast<int64_t>(twelve.size()), sha12, "", {}}}));
        WriteFileBytes(ini, publishedIni(share, central));
        EndsAfter ending;
        ending.alive = alive;
        said.clear();
        const int code = run(ending, request);
        completed = ending.changes <= alive; // it never came to its end
        said.clear();
        if (completed) {
            ASSERT_EQ(code, kDone);
        } else {
            ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
        }
        std::vector<std::string> kept;
        for (const std::string& name : InstallSystem::Real().FindFiles(share + "*"))
            kept.push_back(ReadFileBytes(share + name));
        for (const std::string& release : {eleven, twelve})
            EXPECT_NE(std::find(kept.begin(), kept.end(), release), kept.end()) << said;
        EXPECT_TRUE(ReadFileBytes(central) == ReadFileBytes(source)) << said;
        EXPECT_NE(ReadFileBytes(ini).find("version=13\r\n"), std::string::npos) << said;
        const std::vector<std::string> left =
            FindPublishLeftovers(InstallSystem::Real(), ini, central).All();
        EXPECT_TRUE(left.empty()) << left.front() << "\n" << said;
        points = alive + 1;
        PublishRequest back;
        back.kind = PublishRequest::Back;
        said.clear();
        ASSERT_EQ(run(PublishSystem::Real(), back), kDone) << said;
        EXPECT_TRUE(ReadFileBytes(central) == twelve) << said;
    }
    EXPECT_TRUE(completed); // the table reached every point, up to the end
    EXPECT_GT(points, 15);
}

// A publish given the key signs the entry's new record, a rollback too; one
// without it leaves no signature that names another release.
TEST_F(PublisherTest, ASignedPublishSignsTheNewRecordAndAnUnsignedOneDropsTheOldSignature) {
    MadeKey made = MakeSigningKey();
    ASSERT_TRUE(made.key) << made.error;
    const std::string keyFile = dir / "herausgeber.key";
    WriteFileBytes(keyFile, made.fileText);
    const PinnedKeys pins = PinnedKeysFrom({made.key->publicKey});
    const auto signedFor = [&](int32_t version, const std::string& bytes) {
        char signature[256] = {};
        GetPrivateProfileStringA("Lager", "signatur", "", signature, sizeof signature, ini.c_str());
        const ReleaseRecord record{"Lager", "lager.mdb", version,
                                   static_cast<int64_t>(bytes.size()), *win::FileSha256(source)};
        return CheckReleaseSignature(record, signature, pins).valid;
    };
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    request.keyFile = keyFile;
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    EXPECT_TRUE(signedFor(13, ReadFileBytes(source))) << ReadFileBytes(ini);
    EXPECT_NE(said.find("Signiert mit dem Schl\u00FCssel " + made.key->id), std::string::npos);

    PublishRequest back;
    back.kind = PublishRequest::Back;
    back.keyFile = keyFile;
    ASSERT_EQ(run(PublishSystem::Real(), back), kDone) << said;
    const std::string twelve = ReadFileBytes(share + "lager.mdb");
    WriteFileBytes(source, twelve); // what the rollback brought back
    EXPECT_TRUE(signedFor(14, twelve)) << ReadFileBytes(ini);

    // The pilot ring's release is signed as such, and is no release for everyone.
    PublishRequest pilot = request;
    pilot.kind = PublishRequest::Pilot;
    pilot.source = source;
    WriteFileBytes(source, kJet + PatternBytes(5000, 8));
    ASSERT_EQ(run(PublishSystem::Real(), pilot), kDone) << said;
    char text[256] = {};
    GetPrivateProfileStringA("Lager", "vorabsignatur", "", text, sizeof text, ini.c_str());
    ReleaseRecord ring{"Lager", "lager.mdb", 15, 5020, *win::FileSha256(source), true};
    EXPECT_TRUE(CheckReleaseSignature(ring, text, pins).valid) << ReadFileBytes(ini);
    ring.pilot = false;
    EXPECT_FALSE(CheckReleaseSignature(ring, text, pins).valid);

    // A key file that is none stops the publish before anything changes.
    const std::map<std::string, std::string> before = state();
    WriteFileBytes(keyFile, "Vorlund-Herausgeberschluessel 1\r\noeffentlich=P256:00\r\n");
    WriteFileBytes(source, kJet + PatternBytes(1000, 3));
    said.clear();
    EXPECT_EQ(run(PublishSystem::Real(), request), kFaultyCall) << said;
    EXPECT_TRUE(state() == before) << said;

    said.clear();
    request.keyFile.clear();
    ASSERT_EQ(run(PublishSystem::Real(), request), kDone) << said;
    EXPECT_EQ(ReadFileBytes(ini).find("\nsignatur="), std::string::npos);
    EXPECT_NE(said.find("nicht signiert"), std::string::npos) << said;
}

// The pilot ring's road: its release beside the central copy and its keys,
// each failure leaving share and configuration as they were; promoted, it
// is everyone's under a higher number; ended, the ring is back on
// everyone's bytes under a higher number still.
TEST_F(PublisherTest, APilotReleaseGoesBesideAndBecomesEveryonesOrEnds) {
    WriteFileBytes(ini, "[Lager]\r\nversion=12\r\nmdbname=lager.mdb\r\nmdbpath=" + share +
                            "\r\ndisplayname=Lager\r\nvorab=PC-IT-01, 10%\r\n");
    PublishRequest plain;
    plain.kind = PublishRequest::Publish;
    ASSERT_EQ(run(PublishSystem::Real(), plain), kDone) << said; // 13 for everyone
    const std::string general = ReadFileBytes(share + "lager.mdb");
    const auto value = [&](const char* key) {
        char text[256] = {};
        GetPrivateProfileStringA("Lager", key, "", text, sizeof text, ini.c_str());
        return std::string(text);
    };

    PublishRequest pilot;
    pilot.kind = PublishRequest::Pilot;
    pilot.source = source;
    WriteFileBytes(source, kJet + PatternBytes(90000, 4));
    ASSERT_EQ(run(PublishSystem::Real(), pilot), kDone) << said;
    EXPECT_TRUE(ReadFileBytes(share + "lager.vorab.mdb") == ReadFileBytes(source));
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == general);
    EXPECT_EQ(value("version"), "13");
    EXPECT_EQ(value("vorabversion"), "14");
    EXPECT_EQ(value("vorabpruefsumme"), *win::FileSha256(source));
    EXPECT_EQ(value("vorabgroesse"), "90020");

    // A second pilot release over the first: every failure leaves all as it was.
    WriteFileBytes(source, kJet + PatternBytes(91000, 5));
    const std::map<std::string, std::string> before = state();
    const struct {
        const char* name;
        PublishOp op;
        int nth;
        DWORD error = ERROR_DISK_FULL;
    } cases[] = {
        {"the partial file", PublishOp::CreatePartial, 1},
        {"the share is full", PublishOp::Write, 2},
        {"the read-back", PublishOp::HashOf, 1},
        {"the configuration's new file", PublishOp::WriteNew, 1},
        {"the pilot copy's replace", PublishOp::Replace, 1},
        {"the pilot copy went to its backup", PublishOp::Replace, 1,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},
        {"the configuration's replace", PublishOp::Replace, 2},
        {"the configuration went to its backup", PublishOp::Replace, 2,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2},
    };
    for (const auto& c : cases) {
        FailingPublish failing(c.op, c.nth, c.error);
        said.clear();
        EXPECT_EQ(run(failing, pilot), kRefused) << c.name << "\n" << said;
        EXPECT_TRUE(state() == before) << c.name << ": " << state().size() << " files\n" << said;
        EXPECT_NE(said.find("Nichts ge\u00E4ndert."), std::string::npos) << c.name << "\n" << said;
    }
    WriteFileBytes(source, general);
    EXPECT_EQ(run(PublishSystem::Real(), pilot), kRefused); // everyone's bytes are no trial
    // Killed after the pilot copy was set aside: the next one puts it back.
    const std::string aside = AsidePath(share + "lager.vorab.mdb");
    MoveFileA((share + "lager.vorab.mdb").c_str(), aside.c_str());
    WriteFileBytes(PartialCopyPath(share + "lager.vorab.mdb"), "halb");
    said.clear();
    EXPECT_EQ(run(PublishSystem::Real(), pilot), kRefused) << said;
    EXPECT_TRUE(state() == before) << said;

    // Promoted: no copy from this PC, the share's pilot copy checked first.
    PublishRequest promote;
    promote.kind = PublishRequest::Promote;
    const std::string trial = ReadFileBytes(share + "lager.vorab.mdb");
    WriteFileBytes(share + "lager.vorab.mdb", trial + "x");
    EXPECT_EQ(run(PublishSystem::Real(), promote), kRefused) << said;
    WriteFileBytes(share + "lager.vorab.mdb", trial);
    said.clear();
    ASSERT_EQ(run(PublishSystem::Real(), promote), kDone) << said;
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == trial);
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb.vorher") == general);
    EXPECT_FALSE(FileExists(share + "lager.vorab.mdb"));
    EXPECT_EQ(value("version"), "15");
    EXPECT_EQ(value("vorabversion"), "");
    EXPECT_EQ(value("vorab"), "PC-IT-01, 10%");

    // Ended: the ring gets everyone's bytes under a number above its own.
    WriteFileBytes(source, kJet + PatternBytes(92000, 6));
    ASSERT_EQ(run(PublishSystem::Real(), pilot), kDone) << said;
    EXPECT_EQ(value("vorabversion"), "16");
    PublishRequest end;
    end.kind = PublishRequest::EndPilot;
    ASSERT_EQ(run(PublishSystem::Real(), end), kDone) << said;
    EXPECT_EQ(value("version"), "17");
    EXPECT_EQ(value("pruefsumme"), *win::FileSha256(share + "lager.mdb"));
    EXPECT_TRUE(ReadFileBytes(share + "lager.mdb") == trial);
    EXPECT_EQ(value("vorabversion"), "");
    EXPECT_EQ(value("vorabpruefsumme"), "");
    EXPECT_FALSE(FileExists(share + "lager.vorab.mdb"));
    EXPECT_EQ(run(PublishSystem::Real(), end), kRefused); // no trial to end
}

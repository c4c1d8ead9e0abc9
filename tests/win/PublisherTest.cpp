// The publish road against real files of this prefix: each step that fails
// leaves the share and the configuration exactly as they were.
#include "publish/Publisher.h"
#include "support/FailingPublish.h"
#include "support/WinTestSupport.h"
#include "win/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(state().size(), 3u); // nothing left beside them
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

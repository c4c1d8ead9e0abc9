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
    } cases[] = {
        {"the partial file cannot be made", PublishOp::CreatePartial, 1},
        {"the share is full", PublishOp::Write, 2},
        {"the flush", PublishOp::Flush, 1},
        {"the copy reads back other than written", PublishOp::HashOf, 1},
        {"the .vorher cannot be put aside", PublishOp::Move, 1},
        {"the central copy cannot be replaced", PublishOp::Replace, 1},
        {"the configuration's new file cannot be written", PublishOp::WriteNew, 1},
        {"the configuration cannot be replaced", PublishOp::Replace, 2},
    };
    const std::map<std::string, std::string> before = state();
    PublishRequest request;
    request.kind = PublishRequest::Publish;
    for (const auto& c : cases) {
        FailingPublish failing(c.op, c.nth);
        said.clear();
        EXPECT_EQ(run(failing, request), kRefused) << c.name << "\n" << said;
        EXPECT_TRUE(state() == before) << c.name << ": " << state().size() << " files\n" << said;
        EXPECT_NE(said.find("Nichts ge\u00E4ndert."), std::string::npos) << c.name;
    }
    // Changed meanwhile: someone's save is never written over.
    struct SavedMeanwhile : PublishSystem {
        std::string ini;
        int reads = 0;
        std::optional<std::string> ReadAll(const std::string& path) override {
            if (path == ini && ++reads == 2)
                WriteFileBytes(ini, "[Lager]\r\nversion=99\r\n");
            return PublishSystem::ReadAll(path);
        }
    } meanwhile;
    meanwhile.ini = ini;
    EXPECT_EQ(run(meanwhile, request), kRefused) << said;
    std::map<std::string, std::string> expected = before;
    expected["INI"] = "[Lager]\r\nversion=99\r\n";
    EXPECT_TRUE(state() == expected) << said;
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
// read-only configuration is refused at once.
TEST_F(PublisherTest, AnotherPublishOrAReadOnlyConfigurationIsWaitedForOrRefused) {
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
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(run(PublishSystem::Real(), request), kRefused);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(said.find("schreibgesch\u00FCtzt"), std::string::npos) << said;
    EXPECT_TRUE(state() == before);
}

// Workstations read the central copy while the publish wants to replace it:
// it waits, telling so, and goes on once they let go.
TEST_F(PublisherTest, APublishWaitsWhileWorkstationsReadTheCentralCopy) {
    win::File reading(CreateFileA((share + "lager.mdb").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    struct LetsGo : PublishSystem {
        win::File* reading = nullptr;
        DWORD paused = 0;
        void Pause(PrepareHost&, DWORD ms) override {
            if ((paused += ms) >= 3000)
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

// The chunked copy against real files.
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "support/FailingSystem.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

class XCopyFileTest : public ::testing::Test {
  protected:
    TempDir dir{"xcopy"};
    RecordingHost host;
    std::string source = dir / "central.mdb";
    std::string target = dir / "local.mdb";
};

struct Expected {
    size_t size;
    std::vector<int32_t> positions;
};

} // namespace

TEST_F(XCopyFileTest, ChunksMoveTheBarOncePer64KiB) {
    const std::vector<Expected> cases{
        {0, {0}},
        {65535, {65535}},
        {65536, {65536}},
        {65537, {65536, 65537}},
        {200000, {65536, 131072, 196608, 200000}},
    };
    for (const Expected& c : cases) {
        RecordingHost h;
        WriteFileBytes(source, PatternBytes(c.size, static_cast<unsigned>(c.size)));
        ASSERT_TRUE(XCopyFile(h, source, target)) << c.size;
        std::vector<int32_t> expected{0};
        expected.insert(expected.end(), c.positions.begin(), c.positions.end());
        expected.push_back(static_cast<int32_t>(c.size)); // the final move to the maximum
        EXPECT_EQ(h.barPositions, expected) << c.size;
        EXPECT_EQ(h.barMin, 0);
        EXPECT_EQ(h.barMax, static_cast<int32_t>(c.size));
        EXPECT_EQ(h.pumps, static_cast<int>(c.positions.size()));
        EXPECT_EQ(h.shows, static_cast<int>(c.positions.size()));
        EXPECT_EQ(ReadFileBytes(target), PatternBytes(c.size, static_cast<unsigned>(c.size)));
        EXPECT_FALSE(FileExists(PartialCopyPath(target)));
    }
}

TEST_F(XCopyFileTest, ALongerDestinationEndsWithTheSourceExactly) {
    WriteFileBytes(target, PatternBytes(300000, 9));
    WriteFileBytes(source, PatternBytes(70000, 3));
    ASSERT_TRUE(XCopyFile(host, source, target));
    EXPECT_EQ(ReadFileBytes(target), PatternBytes(70000, 3));
}

TEST_F(XCopyFileTest, ASourceHeldWithoutSharingFailsAndCreatesNothing) {
    WriteFileBytes(source, "data");
    win::File held(
        CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(XCopyFile(host, source, target));
    EXPECT_FALSE(FileExists(target));
    EXPECT_FALSE(FileExists(PartialCopyPath(target)));
    EXPECT_TRUE(host.barPositions.empty());
}

TEST_F(XCopyFileTest, MissingSourceOrDirectoryFails) {
    EXPECT_FALSE(XCopyFile(host, dir / "absent.mdb", target));
    EXPECT_FALSE(FileExists(target));
    WriteFileBytes(source, "data");
    EXPECT_FALSE(XCopyFile(host, source, dir / "no-such-dir\\local.mdb"));
}

TEST_F(XCopyFileTest, TheSourceUnderAnySpellingFailsBeforeCopyingAndStaysUnchanged) {
    WriteFileBytes(source, PatternBytes(100000, 4));
    ASSERT_TRUE(CreateHardLinkA((dir / "link.mdb").c_str(), source.c_str(), nullptr));
    for (const std::string& spelling :
         {source, dir / "CENTRAL.MDB", dir / "elsewhere\\..\\central.mdb", dir / "link.mdb"}) {
        RecordingHost h;
        EXPECT_FALSE(XCopyFile(h, source, spelling)) << spelling;
        EXPECT_TRUE(h.barPositions.empty()) << spelling; // known by identity, not by trying
        EXPECT_EQ(ReadFileBytes(source), PatternBytes(100000, 4));
        EXPECT_FALSE(FileExists(PartialCopyPath(spelling)));
    }
}

TEST_F(XCopyFileTest, ADestinationOpenElsewhereIsWaitedForThenKept) {
    WriteFileBytes(source, "new");
    WriteFileBytes(target, "old");
    win::File held(
        CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    FailingSystem patient;
    const CopyResult result = XCopyFile(host, source, target, patient);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.destinationInUse);
    EXPECT_EQ(patient.paused, 8000u);
    held.close();
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_FALSE(FileExists(PartialCopyPath(target)));
}

TEST_F(XCopyFileTest, ALeftoverPartialFileIsReplacedNotUsed) {
    WriteFileBytes(PartialCopyPath(target), PatternBytes(500000, 1));
    WriteFileBytes(source, PatternBytes(1000, 2));
    ASSERT_TRUE(XCopyFile(host, source, target));
    EXPECT_EQ(ReadFileBytes(target), PatternBytes(1000, 2));
    EXPECT_FALSE(FileExists(PartialCopyPath(target)));
}

TEST_F(XCopyFileTest, TheWindowIsServicedBeforeEachChunk) {
    WriteFileBytes(source, PatternBytes(200000, 5));
    std::vector<size_t> writtenAtPump;
    host.onPump = [&](int) {
        writtenAtPump.push_back(host.barPositions.size());
        PostMessageA(nullptr, WM_NULL, 0, 0); // a pending message gets dispatched
    };
    ASSERT_TRUE(XCopyFile(host, source, target));
    EXPECT_EQ(writtenAtPump, (std::vector<size_t>{1, 2, 3, 4}));
}

// A filesystem that fills up mid-copy, provided by the test script as a small
// tmpfs (VORLUND_SMALLFS, a Windows path): the failed copy leaves nothing at
// the destination.
TEST_F(XCopyFileTest, ADiskThatFillsUpLeavesNothingAtTheDestination) {
    const char* small = std::getenv("VORLUND_SMALLFS");
    if (!small || !*small)
        GTEST_SKIP() << "no small filesystem given (VORLUND_SMALLFS)";
    const std::string destination = std::string(small) + "\\local.mdb";
    DeleteFileA(destination.c_str());
    WriteFileBytes(source, PatternBytes(3 * 1024 * 1024, 6)); // three times its size
    EXPECT_FALSE(XCopyFile(host, source, destination));
    EXPECT_FALSE(FileExists(destination));
    EXPECT_FALSE(FileExists(PartialCopyPath(destination)));
    EXPECT_GT(host.barPositions.size(), 2u); // it failed after some chunks
}

TEST_F(XCopyFileTest, SizesBeyondTwoGiBAreCopiedWholeWithTheBarInRange) {
    const int64_t size = (int64_t{2} << 30) + 70000;
    {
        win::File f(
            CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER at{};
        at.QuadPart = size - 5;
        ASSERT_TRUE(SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN));
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(f.get(), "tail!", 5, &n, nullptr)); // the rest stays sparse
    }
    ASSERT_TRUE(XCopyFile(host, source, target));
    win::File copy(
        CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER copied{};
    ASSERT_TRUE(GetFileSizeEx(copy.get(), &copied));
    EXPECT_EQ(copied.QuadPart, size);
    LARGE_INTEGER at{};
    at.QuadPart = size - 5;
    SetFilePointerEx(copy.get(), at, nullptr, FILE_BEGIN);
    char tail[5] = {};
    DWORD n = 0;
    ReadFile(copy.get(), tail, 5, &n, nullptr);
    EXPECT_EQ(std::string(tail, n), "tail!");
    EXPECT_GT(host.barMax, 0);
    EXPECT_EQ(host.barMax, static_cast<int32_t>(size >> 1));
    EXPECT_EQ(host.barPositions.back(), host.barMax);
    for (size_t i = 1; i < host.barPositions.size(); ++i)
        ASSERT_LE(host.barPositions[i - 1], host.barPositions[i]);
    copy.close();
    DeleteFileA(target.c_str());
    DeleteFileA(source.c_str());
}

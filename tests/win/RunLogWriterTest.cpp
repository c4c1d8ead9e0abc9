// Appending the run log's lines to real files of this prefix, also where
// the folder lets users add to a file but not read it.
#include "prepare/RunLog.h"
#include "prepare/RunLogWriter.h"
#include "support/WinTestSupport.h"
#include "win/Unicode.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

// A drop-box folder: an open that asks to read is refused. Wine cannot stand
// in for one, as it keeps no access lists and opens a file to append for
// reading and writing.
struct DropBox : LogFiles {
    Opened Open(const std::wstring& path, DWORD access) override {
        if (access & (FILE_READ_DATA | FILE_READ_ATTRIBUTES))
            return {win::File(), ERROR_ACCESS_DENIED};
        return LogFiles::Open(path, access);
    }
};

} // namespace

TEST(RunLogWriter, EveryLineArrivesAlsoWhereTheLogMayNotBeRead) {
    TempDir dir("runlogwriter");
    const std::wstring path = win::Wide(dir / "PC_anna.log");
    DropBox dropBox;
    AppendLogLine(path, "eins\r\n", dropBox); // a new file: the header with the line
    AppendLogLine(path, "zwei\r\n", dropBox);
    EXPECT_EQ(ReadFileBytes(dir / "PC_anna.log"), RunLogHeader() + "eins\r\nzwei\r\n");

    // Where the end can be read, a last line that lost its end gets one.
    WriteFileBytes(dir / "PC_anna.log", RunLogHeader() + "offen");
    AppendLogLine(path, "drei\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "PC_anna.log"), RunLogHeader() + "offen\r\ndrei\r\n");
    // Where it cannot, the line is added as it is: nothing read, nothing lost.
    AppendLogLine(path, "vier\r\n", dropBox);
    EXPECT_EQ(ReadFileBytes(dir / "PC_anna.log"), RunLogHeader() + "offen\r\ndrei\r\nvier\r\n");
}

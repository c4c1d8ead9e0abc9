#include "base/CommandLine.h"

#include <gtest/gtest.h>

using namespace vorlund;

TEST(CommandLine, AFolderWithItsBackslashDoesNotSwallowWhatFollows) {
    EXPECT_EQ(SplitCommandLine("\"C:\\Tools\\vorlundcheck.exe\" /protokolle \"C:\\Mein Ordner\\\" "
                               "/bericht C:\\b.html \"\""),
              (std::vector<std::string>{"C:\\Tools\\vorlundcheck.exe", "/protokolle",
                                        "C:\\Mein Ordner\\", "/bericht", "C:\\b.html", ""}));
    EXPECT_EQ(SplitCommandLine("x  /sperren Lager \"Umbau bis 14 Uhr\"\t"),
              (std::vector<std::string>{"x", "/sperren", "Lager", "Umbau bis 14 Uhr"}));
    EXPECT_EQ(SplitCommandLine("x a\"b c\"d"), (std::vector<std::string>{"x", "ab cd"}));
    // A lock text with quotes in it: doubled inside quotes, as cmd and
    // Windows' own rules write one.
    EXPECT_EQ(SplitCommandLine("x /sperren Lager \"Bitte \"\"Lager\"\" nicht starten\" \"\"\"\""),
              (std::vector<std::string>{"x", "/sperren", "Lager", "Bitte \"Lager\" nicht starten",
                                        "\""}));
}

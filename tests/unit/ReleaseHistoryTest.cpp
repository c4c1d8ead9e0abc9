// The record of published releases: read back as written, the oldest go,
// and a rollback never toggles.
#include "config/ReleaseHistory.h"

#include <gtest/gtest.h>

using namespace vorlund;

namespace {

std::string sha(char c) {
    return std::string(64, c);
}

Release release(int32_t version, char bytes, std::optional<int32_t> restores = {}) {
    return {version, 100 + version, sha(bytes), "2026-12-09 10:00", restores};
}

} // namespace

TEST(ReleaseHistory, ReadsBackWhatItWroteAndPassesOverDamage) {
    const std::vector<Release> history{release(10, 'a'), release(13, 'b', 11)};
    const std::string text = FormatReleaseHistory(history);
    EXPECT_EQ(ParseReleaseHistory(text), history);
    const Release large{14, 3000000000, sha('d'), "", std::nullopt}; // past 2 GiB
    EXPECT_EQ(ParseReleaseHistory(FormatReleaseHistory({large})), std::vector<Release>{large});
    EXPECT_EQ(ParseReleaseHistory(text + "14;5;" + sha('c') + ";x\r\n" + // a field short
                                  "15;-1;" + sha('c') + ";x;\r\n" +      // no size
                                  "16;5;" + sha('C') + ";x;\r\n" +       // no SHA-256
                                  "17;5;" + sha('d') + ";x;zwei\r\n"),
              history);
}

TEST(ReleaseHistory, TheOldestGoAndAVersionGivenAgainHasOneLine) {
    std::vector<Release> history, dropped;
    for (int32_t v = 1; v <= 6; ++v)
        history = WithRelease(history, release(v, static_cast<char>('0' + v)), 5, dropped);
    ASSERT_EQ(history.size(), 5u);
    EXPECT_EQ(history.front().version, 2);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].version, 1);
    history = WithRelease(history, release(6, 'f'), 5, dropped); // a publish ended before its line
    EXPECT_EQ(history.size(), 5u);
    EXPECT_EQ(history.back().sha256, sha('f'));
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(WithRelease(history, release(7, 'g'), 1, dropped).size(), kFewestReleasesKept);
}

TEST(ReleaseHistory, ARollbackGoesToTheReleaseBeforeByTheRecord) {
    const struct {
        const char* name;
        std::vector<Release> history;
        char current;
        std::optional<int32_t> before;
    } cases[] = {
        {"the one before", {release(10, 'a'), release(11, 'b'), release(12, 'c')}, 'c', 11},
        {"twice: not back to the bad one",
         {release(10, 'a'), release(11, 'b'), release(12, 'c'), release(13, 'b', 11)},
         'b',
         10},
        {"the same file published twice",
         {release(10, 'a'), release(11, 'b'), release(12, 'b')},
         'b',
         10},
        {"a central copy the record does not know", {release(10, 'a'), release(11, 'b')}, 'x', 11},
        {"nothing before the first", {release(10, 'a')}, 'a', std::nullopt},
        {"the restored release has left the record",
         {release(11, 'b'), release(12, 'c'), release(13, 'a', 10)},
         'a',
         std::nullopt},
        {"a rollback to the release before the record",
         {release(12, 'c'), release(13, 'b', kBeforeTheRecord)},
         'b',
         std::nullopt},
        {"no record", {}, 'a', std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<Release> before = ReleaseBefore(c.history, sha(c.current));
        EXPECT_EQ(before ? std::optional<int32_t>(before->version) : std::nullopt, c.before)
            << c.name;
    }
}

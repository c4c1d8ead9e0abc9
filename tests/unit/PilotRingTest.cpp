// Who is in a pilot ring: named PCs, and a share of the fleet that stays the
// same PCs from release to release and only grows.
#include "base/AsciiText.h"
#include "config/PilotRing.h"

#include <gtest/gtest.h>

using namespace vorlund;

namespace {

std::string upper(std::string_view name) {
    return asciiUpper(name);
}

std::vector<std::string> fleet() {
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i)
        names.push_back("PC-" + std::to_string(i));
    return names;
}

size_t inRing(const PilotRing& ring, const std::vector<std::string>& names) {
    size_t n = 0;
    for (const std::string& name : names)
        n += PlaceInRing(ring, name, upper).in;
    return n;
}

} // namespace

TEST(PilotRing, NamesAndAPercentageAreReadAndWhatIsNeitherIsNamed) {
    const PilotRing ring = ParsePilotRing(" PC-IT-01 ,pc-it-02.firma.local,, 10% , 120%, x%");
    EXPECT_EQ(ring.names, (std::vector<std::string>{"PC-IT-01", "pc-it-02.firma.local"}));
    EXPECT_EQ(ring.percent, 10);
    EXPECT_EQ(ring.faults, (std::vector<std::string>{"120%", "x%"}));
    EXPECT_TRUE(ParsePilotRing("").Empty());
    EXPECT_TRUE(ParsePilotRing(" , 0%").Empty());
    // Named PCs in any letter case, and by their first name before a domain.
    for (const char* name : {"pc-it-01", "PC-IT-02", "Pc-It-01"})
        EXPECT_TRUE(PlaceInRing(ring, name, upper).named) << name;
    EXPECT_FALSE(PlaceInRing(ring, "PC-IT-03", upper).named);
    EXPECT_FALSE(PlaceInRing(ParsePilotRing("PC-IT"), "PC-IT-01", upper).in);
    EXPECT_EQ(PilotCopyName("lager.mdb"), "lager.vorab.mdb");
    EXPECT_EQ(PilotCopyName("a.b.accdb"), "a.b.vorab.accdb");
    EXPECT_EQ(PilotCopyName("lager"), "lager.vorab");
}

TEST(PilotRing, APercentageTakesAboutThatShareAndGrowingItOnlyAddsPCs) {
    const std::vector<std::string> names = fleet();
    const struct {
        int percent;
        size_t low, high; // of 2,000 PCs
    } cases[] = {{0, 0, 0}, {1, 8, 35}, {10, 160, 240}, {50, 920, 1080}, {100, 2000, 2000}};
    for (const auto& c : cases) {
        PilotRing ring;
        ring.percent = c.percent;
        const size_t n = inRing(ring, names);
        EXPECT_GE(n, c.low) << c.percent << "%";
        EXPECT_LE(n, c.high) << c.percent << "%";
    }
    // The same PCs, whatever the letter case the name comes in; a larger
    // percentage keeps every PC a smaller one took.
    for (const std::string& name : names) {
        int first = -1;
        for (int percent = 0; percent <= 100; ++percent) {
            PilotRing ring;
            ring.percent = percent;
            if (PlaceInRing(ring, name, upper).in && first < 0)
                first = percent;
            if (first >= 0)
                ASSERT_TRUE(PlaceInRing(ring, name, upper).in) << name << " " << percent;
        }
        EXPECT_EQ(first, RingBucket(upper(name)) + 1) << name;
    }
}

#include "base/AsciiText.h"

#include <gtest/gtest.h>

using namespace vorlund;

TEST(AsciiText, UpperCaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(asciiUpper("n:\\apps\\b\xE4ren\\x.mdb"), "N:\\APPS\\B\xE4REN\\X.MDB");
    EXPECT_EQ(asciiUpper("\xFC\xF6\xE4\xDF az{}"), "\xFC\xF6\xE4\xDF AZ{}");
    EXPECT_TRUE(equalsIgnoreAsciiCase("SeTuP", "SETUP"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("SETUP ", "SETUP"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("\xE4", "\xC4"));
}

TEST(AsciiText, FullStopFollowsTheLastByteRule) {
    EXPECT_EQ(withFullStop("Konnte Daten f\xFCr 'Role' nicht setzen"),
              "Konnte Daten f\xFCr 'Role' nicht setzen.");
    EXPECT_EQ(withFullStop("fertig."), "fertig.");
    EXPECT_EQ(withFullStop("Frage?"), "Frage?.");         // '?' sorts after '.'
    EXPECT_EQ(withFullStop("Ende!"), "Ende!");            // '!' sorts before '.'
    EXPECT_EQ(withFullStop("Wert -"), "Wert -");          // '-' sorts before '.'
    EXPECT_EQ(withFullStop("gr\xFC\xDF"), "gr\xFC\xDF."); // 0xDF is above '.'
    EXPECT_EQ(withFullStop(""), "");
}

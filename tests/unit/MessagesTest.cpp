#include "prepare/Messages.h"

#include <gtest/gtest.h>

using namespace vorlund::texts;

TEST(Messages, FixedTextsUseSingleCarriageReturns) {
    EXPECT_EQ(kFaultyConfiguration, "Konfigurationsdatei ist fehlerhaft.\rProgramm abgebrochen.");
    EXPECT_EQ(kOdbcWarning, "Warnung!\r\rODBC Verbindung wurde noch nicht\reingerichtet.\r\r"
                            "Programm kann nicht gestartet werden.");
    EXPECT_EQ(kFaultyConfiguration.find('\n'), std::string_view::npos);
}

TEST(Messages, PreparationTextsJoinTheirPieces) {
    EXPECT_EQ(announceNewVersion("Lager"),
              "ACHTUNG! NEUE Version von Lager gefunden!\r\rDie Installation kann mehrere "
              "Minuten dauern!\r\rBitte schalten Sie Ihren PC während des \rkopierens nicht "
              "ab oder brechen Sie die Kopier-Operation\rnicht ab.");
    EXPECT_EQ(deletionFailed("Lager"),
              "Achtung! Eine neue VERSION von Lager\rkonnte nicht installiert werden, da das "
              "Programm\rauf diesem PC bereits ein weiteres mal gestartet\rist. Bitte beenden "
              "Sie alle Programme und starten\rSie dieses Programm erneut!");
    EXPECT_EQ(installSucceeded("Lager"),
              "NEUE Version von Lager wurde\r\rERFOLGREICH "
              "INSTALLIERT!!\r\rBitte starten Sie die Anwendung erneut!");
}

TEST(Messages, CopyFailureNamesBothPathsInAsciiUpperCase) {
    EXPECT_EQ(copyFailed("Bär", "n:\\apps\\bär\\b.mdb", "c:\\bär\\"),
              "NEUE Version Bär konnte nicht\rvon \"N:\\APPS\\BäR\\B.MDB\"\rnach "
              "\"C:\\BäR\\\" kopiert werden!\r\rBitte wenden Sie sich an Ihren Supporter!");
}

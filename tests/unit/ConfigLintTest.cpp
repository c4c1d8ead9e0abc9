// What the check says of an administrator's slips that the reader passes
// over without a word.
#include "check/ConfigLint.h"
#include "prepare/LaunchCommand.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::check;

namespace {

std::string notesOf(const std::string& ini, bool setup = false) {
    const ProfileText text(ini);
    std::string out;
    for (const ConfigNote& note : setup ? SetupNotes(text) : EntryNotes(text, "A"))
        out += "[" + note.key + "] " + note.text + "\n";
    return out;
}

} // namespace

TEST(ConfigLint, EachSlipTheReaderPassesOverIsNamedWithItsKey) {
    const struct {
        std::string ini;
        std::string said;
    } cases[] = {
        {"[A]\r\nversion=12.1\r\n",
         "[version] version=\u201E12.1\u201C ist keine ganze Zahl; Vorlund nimmt 0"},
        {"[A]\r\nversion=32 ; vom 3.5.\r\n",
         "[version] version=\u201E32 ; vom 3.5.\u201C ist keine"},
        {"[A]\r\ntrustedlocation=ja\r\n",
         "[trustedlocation] trustedlocation=\u201Eja\u201C ist keine ganze Zahl"},
        {"[A]\r\ntrustedlocation=2\r\n", "[trustedlocation] trustedlocation=2: nur 1 schaltet ein"},
        {"[A]\r\nrefreshsize=300%\r\n", "ist keine ganze Zahl; Vorlund frischt nie auf"},
        {"[A]\r\nrefreshsize=50\r\n", "refreshsize=50 ist h\u00F6chstens 100 und w\u00E4re bei "
                                      "jedem Start erreicht; Vorlund frischt nie auf (gemeint: "
                                      "500?)"},
        {"[A]\r\ntmpdri=C:\\x\\\r\n",
         "[] unbekannter Schl\u00FCssel \u201Etmpdri\u201C (Zeile 2), "
         "Vorlund liest ihn nicht; gemeint ist wohl \u201Etmpdir\u201C."},
        {"[A]\r\nKommentar=x\r\n", "Vorlund liest ihn nicht.\n"},
        {"[A]\r\nversion=1\r\n; zweite\r\nVersion=2\r\n",
         "[version] \u201Eversion\u201C steht 2-mal (Zeilen 2 und 4); es gilt Zeile 2."},
        {"[A]\r\nx=1\r\n[B]\r\n[a]\r\n",
         "[] [A] steht 2-mal in der Datei (Zeilen 1 und 4); Vorlund liest nur"},
        {"[A]\r\naccessargs=\"/wrkgrp x.mdw\"\r\n",
         "[accessargs] accessargs beginnt und endet mit \"; Vorlund nimmt beide weg (Regel der "
         "INI-Dateien) und \u00FCbergibt \u201E/wrkgrp x.mdw\u201C."},
        {"[A]\r\naccessargs='/user a /pwd geheim'\r\n", "\u201E/user a /pwd ****\u201C"},
    };
    for (const auto& c : cases)
        EXPECT_NE(notesOf(c.ini).find(c.said), std::string::npos) << c.ini << "\n"
                                                                  << notesOf(c.ini);
    EXPECT_EQ(notesOf("[A]\r\nversion=0x1F\r\ntrustedlocation=1\r\nrefreshsize=300\r\n"
                      "accessargs=/runtime \"x\"\r\n"),
              "");
    EXPECT_NE(notesOf("[SETUP]\r\ncodepage=1250 ; Tschechisch\r\nJpgImage=a.jpg\r\n", true)
                  .find("[codepage] codepage=\u201E1250 ; Tschechisch\u201C ist keine ganze Zahl"),
              std::string::npos);
    EXPECT_NE(notesOf("[SETUP]\r\nJpgImage=a.jpg\r\n", true)
                  .find("gemeint ist wohl \u201EJpegImage\u201C"),
              std::string::npos);
    EXPECT_TRUE(LooksLikeSetup("SETUPP"));
    EXPECT_TRUE(LooksLikeSetup("Setp"));
    EXPECT_FALSE(LooksLikeSetup("setup"));
    EXPECT_FALSE(LooksLikeSetup("Lager"));
}

TEST(ConfigLint, APasswordIsNeverShown) {
    EXPECT_EQ(MaskPasswords("\"a.exe\" \"x.mdb\" /user Anna /pwd geheim /runtime"),
              "\"a.exe\" \"x.mdb\" /user Anna /pwd **** /runtime");
    EXPECT_EQ(MaskPasswords("/PWD \"zwei Worte\" /pwd  x"), "/PWD **** /pwd  ****");
    EXPECT_EQ(MaskPasswords("/pwdx y /wrkgrp /pwd"), "/pwdx y /wrkgrp /pwd");
}

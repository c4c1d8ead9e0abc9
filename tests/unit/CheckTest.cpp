// The configuration check's portable logic: encodings, verdicts, output text.
#include "base/Cp1252.h"
#include "check/Executable.h"
#include "check/Report.h"
#include "check/TextEncoding.h"
#include "check/Verdict.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::check;
using namespace std::string_literals;

TEST(Cp1252, ConvertsEveryByteIncludingTheEuroRow) {
    EXPECT_EQ(cp1252ToUtf8("B\xE4renstra\xDF"
                           "e \x80 \x84x\x93"),
              "Bärenstraße € „x“");
    EXPECT_EQ(cp1252ToUtf16("\x81\xFF"), u"\u0081\u00FF");
}

TEST(TextEncoding, FindsWhatIsNotWindows1252) {
    EXPECT_TRUE(ExamineEncoding("[A]\r\ndisplayname=B\xE4ren\r\n").Clean());
    // With its mark the launcher converts the file: nothing to warn of.
    for (const std::string& marked : {"\xEF\xBB\xBF[A]\r\nn=\xC3\xBC\r\n"s, "\xFF\xFE[\0A\0"s}) {
        EXPECT_TRUE(ExamineEncoding(marked).marked);
        EXPECT_TRUE(ExamineEncoding(marked).Clean());
    }
    EXPECT_EQ(ExamineEncoding("[A]\r\nx=1\r\nname=Bärenstraße\r\nn=ü\r\n").utf8Lines,
              (std::vector<int>{3, 4}));
    EXPECT_TRUE(ExamineEncoding(std::string("[\0A\0]\0", 6)).utf16);
}

TEST(Verdict, EachReasonToFailAndTheWaysToSucceed) {
    EntryFacts ok;
    ok.configuredVersion = 2;
    ok.installed = {InstalledVersion::Number, 2, ""};
    ok.localPresent = true;
    ok.central = FileState::Missing; // not needed while the local copy is current
    ok.opener = "access.exe \"%1\"";
    EXPECT_EQ(Judge(ok).outcome, Outcome::Starts);

    EntryFacts newer = ok;
    newer.configuredVersion = 3;
    newer.central = FileState::Readable;
    newer.installDirState = DirState::WouldBeCreated;
    EXPECT_EQ(Judge(newer).outcome, Outcome::Installs);
    EntryFacts roamed = ok; // "Version" from another PC, this copy's marker older
    roamed.marker = 1;
    roamed.central = FileState::Readable;
    EXPECT_EQ(Judge(roamed).outcome, Outcome::Installs);

    const std::vector<void (*)(EntryFacts&)> faults{
        [](EntryFacts& e) { e.central = FileState::Locked; },
        [](EntryFacts& e) { e.installDirState = DirState::CannotBeCreated; },
        [](EntryFacts& e) { e.localHeld = true; },
        [](EntryFacts& e) { e.opener.reset(); },
        [](EntryFacts& e) { e.installed.kind = InstalledVersion::WrongType; },
        [](EntryFacts& e) { e.localPath = "C:\\" + std::string(247, 'x'); }, // too long to copy
        [](EntryFacts& e) { e.missingKeys = {"odbcname"}; }, // refused before anything else
        [](EntryFacts& e) { e.installDirFault = InstallDirFault::Empty; },
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        EntryFacts e = newer;
        faults[i](e);
        const Verdict v = Judge(e);
        EXPECT_EQ(v.outcome, Outcome::Fails) << i;
        EXPECT_EQ(v.reasons.size(), 1u) << i;
    }

    // A current entry is refused all the same: the launcher checks before it looks.
    EntryFacts setupp = ok;
    setupp.section = "SETUPP";
    setupp.missingKeys = {"odbcname", "mdbname", "displayname"};
    setupp.meantAsSetup = true;
    ASSERT_EQ(Judge(setupp).reasons.size(), 1u);
    EXPECT_EQ(Judge(setupp).reasons[0],
              "es fehlt: odbcname, mdbname, displayname; Vorlund richtet nichts ein und startet "
              "nichts (ist [SETUPP] als [SETUP] gemeint?)");
    EntryFacts masterItself = ok;
    masterItself.installDirFault = InstallDirFault::CentralCopy;
    EXPECT_EQ(Judge(masterItself).outcome, Outcome::Fails);

    // A published hash that the central copy's cannot be compared with is
    // no "stimmt": whether it would install is unknown.
    EntryFacts hashed = ok;
    hashed.central = FileState::Readable;
    hashed.published.sha256 = std::string(64, 'a');
    hashed.centralSha256 = std::string(64, 'a');
    EXPECT_EQ(Judge(hashed).outcome, Outcome::Starts);
    for (const FileState unreadable : {FileState::Readable, FileState::Locked}) {
        EntryFacts unknown = hashed;
        unknown.central = unreadable;
        unknown.centralSha256.reset();
        ASSERT_EQ(Judge(unknown).reasons.size(), 1u);
        EXPECT_NE(Judge(unknown).reasons[0].find("ist unbekannt"), std::string::npos);
        EXPECT_EQ(Judge(unknown).outcome, Outcome::Fails);
    }

    ConfigFacts config;
    EXPECT_EQ(ExitCodeFor(config), kFaultyConfiguration);
    config.entries = {ok, newer};
    EXPECT_EQ(ExitCodeFor(config), kAllGood);
    config.entries[1].opener.reset();
    EXPECT_EQ(ExitCodeFor(config), kSomeEntryFails);
    EXPECT_EQ(GroupedNumber(402653184), "402.653.184");
    config.codePage = 1251;
    EXPECT_NE(Report(config, "1").find("1251 – Vorlund hängt nicht von ihr ab"), std::string::npos);
    EXPECT_EQ(Report(config, "1").find("Access-Werkzeuge"), std::string::npos);
    config.codePage = 65001;
    EXPECT_NE(Report(config, "1").find("Andere Access-Werkzeuge"), std::string::npos);
}

TEST(Executable, TheMachineFieldOfThePeHeaderTellsTheBitness) {
    auto image = [](uint16_t machine, uint32_t peAt = 0x80) {
        std::string head(0x200, '\0');
        head[0] = 'M', head[1] = 'Z';
        for (int i = 0; i < 4; ++i)
            head[0x3C + i] = static_cast<char>(peAt >> (8 * i));
        if (peAt + 6 <= head.size()) {
            head.replace(peAt, 4, std::string("PE\0\0", 4));
            head[peAt + 4] = static_cast<char>(machine & 0xFF);
            head[peAt + 5] = static_cast<char>(machine >> 8);
        }
        return head;
    };
    EXPECT_EQ(ExecutableBitness(image(0x014C)), Bitness::Bits32);
    EXPECT_EQ(ExecutableBitness(image(0x8664)), Bitness::Bits64);
    EXPECT_EQ(ExecutableBitness(image(0xAA64)), Bitness::Bits64);
    EXPECT_EQ(ExecutableBitness(image(0x8664, 0x1FE)), Bitness::Unknown); // header cut off
    EXPECT_EQ(ExecutableBitness(image(0x8664, 0xFFFFFFF0)), Bitness::Unknown);
    EXPECT_EQ(ExecutableBitness("MZ"), Bitness::Unknown);
    EXPECT_EQ(ExecutableBitness(std::string(0x200, 'x')), Bitness::Unknown);
}

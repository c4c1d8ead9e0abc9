// The signed record of a release and the texts that carry signatures and
// keys. The record's bytes are what every signature in the field was made
// over: they never change for a format tag that stays.
#include "config/ReleaseSignature.h"

#include <gtest/gtest.h>

using namespace vorlund;

namespace {

const ReleaseRecord kLager{"Lager", "lager.mdb", 13, 150020,
                           "3A7BD3E2360A3D29EEA436FCFB7E44C735D117C42D1C1835420B6B9942DD4F1B"};

} // namespace

TEST(ReleaseRecord, EveryValueIsSignedAndNoValueCanForgeALine) {
    EXPECT_EQ(CanonicalRecord(kLager),
              "Vorlund-Freigabe 1\nabschnitt=Lager\nmdbname=lager.mdb\nversion=13\n"
              "groesse=150020\npruefsumme="
              "3a7bd3e2360a3d29eea436fcfb7e44c735d117c42d1c1835420b6b9942dd4f1b\n");
    const struct {
        const char* name;
        void (*change)(ReleaseRecord&);
        bool recorded;
    } cases[] = {
        {"section", [](ReleaseRecord& r) { r.section = "Kasse"; }, true},
        {"section's letter case", [](ReleaseRecord& r) { r.section = "LAGER"; }, true},
        {"mdbname", [](ReleaseRecord& r) { r.mdbName = "kasse.mdb"; }, true},
        {"version", [](ReleaseRecord& r) { r.version = 14; }, true},
        {"size", [](ReleaseRecord& r) { r.size = 150021; }, true},
        {"hash", [](ReleaseRecord& r) { r.sha256[63] = '0'; }, true},
        {"a line break in the section", [](ReleaseRecord& r) { r.section = "Lager\nversion=99"; },
         false},
        {"a carriage return in mdbname", [](ReleaseRecord& r) { r.mdbName = "a\r.mdb"; }, false},
        {"no size", [](ReleaseRecord& r) { r.size = -1; }, false},
        {"no hash", [](ReleaseRecord& r) { r.sha256.clear(); }, false},
        {"a hash one digit short", [](ReleaseRecord& r) { r.sha256.pop_back(); }, false},
    };
    for (const auto& c : cases) {
        ReleaseRecord r = kLager;
        c.change(r);
        const std::optional<std::string> bytes = CanonicalRecord(r);
        EXPECT_EQ(bytes.has_value(), c.recorded) << c.name;
        if (bytes)
            EXPECT_NE(*bytes, *CanonicalRecord(kLager)) << c.name;
    }
}

TEST(ReleaseRecord, SignaturesAndKeysAreReadOnlyWhole) {
    const std::string id = "0123456789ABCDEF", signature(128, 'e');
    const std::optional<ReleaseSignature> read = ParseSignature(id + ":" + signature);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->keyId, "0123456789abcdef");
    EXPECT_EQ(read->signature, Bytes(64, 0xEE));
    EXPECT_EQ(SignatureText(*read), "0123456789abcdef:" + signature);
    for (const std::string& wrong :
         {id + signature, id + ":" + signature.substr(1), id + ":" + signature + "e",
          id.substr(1) + ":" + signature, id + ":" + signature.substr(2) + "g0",
          id + ": " + signature.substr(1), std::string()})
        EXPECT_FALSE(ParseSignature(wrong)) << wrong;

    const Bytes point(64, 0xA5);
    EXPECT_EQ(ParsePublicKey(PublicKeyText(point)), point);
    EXPECT_EQ(ParsePublicKey("p256:" + std::string(128, 'a')), Bytes(64, 0xAA));
    for (const std::string& wrong : {std::string(128, 'a'), "P256:" + std::string(126, 'a'),
                                     "P384:" + std::string(128, 'a'), std::string("P256:")})
        EXPECT_FALSE(ParsePublicKey(wrong)) << wrong;
}

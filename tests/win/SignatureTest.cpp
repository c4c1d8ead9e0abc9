// Signed releases through Windows' own CNG, DPAPI and registry: only a record
// a pinned key signed verifies, only the account that made a key file signs
// with it, and the pins come from the machine's policy.
#include "prepare/ReleaseTrust.h"
#include "publish/PublisherKey.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::publish;
using namespace vorlund::testing;

namespace {

const ReleaseRecord kLager{"Lager", "lager.mdb", 13, 150020,
                           "3a7bd3e2360a3d29eea436fcfb7e44c735d117c42d1c1835420b6b9942dd4f1b"};

SigningKey madeKey() {
    MadeKey made = MakeSigningKey();
    if (!made.key)
        throw std::runtime_error(made.error);
    return std::move(*made.key);
}

PinnedKeys pinned(const SigningKey& key) {
    return PinnedKeysFrom({key.publicKey});
}

} // namespace

TEST(Signature, OnlyTheEntrysOwnRecordSignedByAPinnedKeyVerifies) {
    const SigningKey key = madeKey();
    const std::string signature = SignRelease(key, kLager).value();
    ASSERT_TRUE(CheckReleaseSignature(kLager, signature, pinned(key)).valid);
    EXPECT_EQ(CheckReleaseSignature(kLager, signature, pinned(key)).keyId, key.id);

    const SigningKey other = madeKey();
    std::string flipped = signature;
    flipped.back() = flipped.back() == '0' ? '1' : '0';
    const auto changed = [](auto change) {
        ReleaseRecord r = kLager;
        change(r);
        return r;
    };
    const struct {
        const char* name;
        ReleaseRecord record;
        std::string signature;
        PinnedKeys pins;
    } cases[] = {
        {"another entry's record", changed([](auto& r) { r.section = "Kasse"; }), signature,
         pinned(key)},
        {"another file", changed([](auto& r) { r.mdbName = "kasse.mdb"; }), signature, pinned(key)},
        {"a changed version", changed([](auto& r) { r.version = 14; }), signature, pinned(key)},
        {"a changed size", changed([](auto& r) { r.size += 1; }), signature, pinned(key)},
        {"a changed hash", changed([](auto& r) { r.sha256[0] = '4'; }), signature, pinned(key)},
        {"nothing published", changed([](auto& r) { r.sha256.clear(); }), signature, pinned(key)},
        {"a changed signature", kLager, flipped, pinned(key)},
        {"a truncated signature", kLager, signature.substr(0, signature.size() - 2), pinned(key)},
        {"no hexadecimal", kLager, signature.substr(0, 17) + std::string(128, 'x'), pinned(key)},
        {"no signature", kLager, "", pinned(key)},
        {"a key not pinned", kLager, signature, pinned(other)},
        {"another key under the pinned key's id", kLager,
         key.id + signature.substr(16, 1) + SignRelease(other, kLager)->substr(17), pinned(key)},
        {"a policy with no valid key", kLager, signature, PinnedKeysFrom({"P256:abc"})},
    };
    for (const auto& c : cases) {
        const SignatureVerdict verdict = CheckReleaseSignature(c.record, c.signature, c.pins);
        EXPECT_FALSE(verdict.valid) << c.name;
        EXPECT_FALSE(verdict.why.empty()) << c.name;
    }
    // Two pinned keys, for a rotation: either one's signature holds.
    const PinnedKeys both = PinnedKeysFrom({other.publicKey, key.publicKey});
    EXPECT_TRUE(CheckReleaseSignature(kLager, signature, both).valid);
    EXPECT_TRUE(CheckReleaseSignature(kLager, SignRelease(other, kLager).value(), both).valid);
}

TEST(Signature, AKeyFileSignsOnlyAsItWasMadeAndProtected) {
    const MadeKey made = MakeSigningKey();
    ASSERT_TRUE(made.key) << made.error;
    // The private key is nowhere in the file as it is.
    const std::optional<win::SecretBytes> secret = made.key->key.PrivatePart();
    ASSERT_TRUE(secret);
    const Bytes& blob = secret->get();
    EXPECT_EQ(made.fileText.find(ToHex(blob.data() + blob.size() - 32, 32)), std::string::npos);
    LoadedKey loaded = LoadSigningKey(made.fileText);
    ASSERT_TRUE(loaded.key) << loaded.error;
    EXPECT_EQ(loaded.key->id, made.key->id);
    const std::string signature = SignRelease(*loaded.key, kLager).value();
    EXPECT_TRUE(CheckReleaseSignature(kLager, signature, pinned(*made.key)).valid);

    const std::string other = MakeSigningKey().fileText;
    const auto line = [](const std::string& text, const char* name) {
        const size_t start = text.find(std::string("\r\n") + name + "=") + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    };
    std::string flipped = made.fileText;
    const size_t digit = flipped.size() - 2 - 60; // near the protected blob's end
    flipped[digit] = flipped[digit] == '0' ? '1' : '0';
    std::string swapped = made.fileText;
    swapped.replace(swapped.find(line(made.fileText, "oeffentlich")),
                    line(made.fileText, "oeffentlich").size(), line(other, "oeffentlich"));
    const struct {
        const char* name;
        std::string text;
    } refused[] = {
        {"a changed protected key", flipped},
        {"another key's public line", swapped},
        {"no key file", "[SETUP]\r\nlogdir=x\r\n"},
        {"the protected key cut off", made.fileText.substr(0, made.fileText.size() - 20)},
    };
    for (const auto& c : refused) {
        const LoadedKey l = LoadSigningKey(c.text);
        EXPECT_FALSE(l.key) << c.name;
        EXPECT_FALSE(l.error.empty()) << c.name;
    }
}

TEST(Signature, ThePinsAreTheMachinePolicysLines) {
    const std::string a = madeKey().publicKey, b = madeKey().publicKey;
    {
        const PinnedPolicy policy({a, "  " + b + " ", "kein Schluessel"});
        const PinnedKeys pins = ReadPinnedKeys();
        EXPECT_TRUE(pins.pinned);
        EXPECT_EQ(pins.keys.size(), 2u);
        EXPECT_EQ(pins.ids.size(), 2u);
        EXPECT_EQ(pins.faulty, std::vector<std::string>{"kein Schluessel"});
    }
    EXPECT_FALSE(ReadPinnedKeys().pinned); // gone with the policy
    {
        const PinnedPolicy one({a}, REG_SZ);
        EXPECT_EQ(ReadPinnedKeys().keys.size(), 1u);
    }
    {
        // A policy whose lines are all faulty still pins: nothing is trusted.
        const PinnedPolicy faulty({"P256:00"});
        const PinnedKeys pins = ReadPinnedKeys();
        EXPECT_TRUE(pins.pinned);
        EXPECT_TRUE(pins.keys.empty());
    }
    {
        const PinnedPolicy wrongType({a}, REG_BINARY);
        const PinnedKeys pins = ReadPinnedKeys();
        EXPECT_TRUE(pins.pinned);
        EXPECT_NE(pins.error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_FALSE(CheckReleaseSignature(kLager, "", pins).valid);
    }
}

#pragma once
// An initialization file parsed once, answering as the Windows private
// profile functions do: names without regard to case, blanks around names
// and values dropped, matching quotes around a value removed, the first of
// two equal keys or sections winning. It reads text already decoded
// (`DecodeProfile`); the structure is ASCII, so raw bytes of any ANSI code
// page parse the same way.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlund {

// A section or key name as the profile functions compare it: up to a zero
// byte, with A to Z as a to z and every other byte as it is.
std::string FoldedProfileName(std::string_view name);

class ProfileText {
  public:
    // A buffer as large as any text: nothing is cut.
    static constexpr size_t kUnlimited = static_cast<size_t>(-1);

    explicit ProfileText(std::string_view text);
    // The same, keeping the keys of the sections named `only` alone: what a
    // look at one section needs of a large file.
    ProfileText(std::string_view text, std::string_view only);
    // Its sections look at its keys where they lie: moved, never copied.
    ProfileText(ProfileText&&) = default;
    ProfileText& operator=(ProfileText&&) = default;
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    // The value as it would arrive in a buffer of `buffer` characters (at most
    // buffer - 1 of them); the fallback when the section or the key is absent
    // or the key's line has no "=".
    std::string Value(std::string_view section, std::string_view key, std::string_view fallback,
                      size_t buffer) const;
    // The section names in file order as far as a buffer of `buffer` bytes
    // holds them, each with its zero byte and one more at the end; the last
    // one that fits only partly is cut.
    std::vector<std::string> SectionNames(size_t buffer) const;

    // What the file holds, line by line, for a closer look than the profile
    // functions give: the check names what they would pass over.
    struct Key {
        std::string name; // folded to lower case
        std::string written;
        std::string value; // before matching quotes are removed
        bool hasValue = false;
        size_t line = 0; // 1-based
    };
    struct Section {
        std::string name; // as written
        std::string folded;
        std::span<const Key> keys; // in file order
        size_t line = 0;
        size_t firstKey = 0; // where its keys begin among all of them
    };
    const std::vector<Section>& Sections() const { return sections_; }

  private:
    void parse(std::string_view text);
    void parseLine(std::string_view line, size_t number);
    const Key* find(std::string_view section, std::string_view key) const;

    // All keys in file order, each section's together: one allocation grows
    // for them all, not one per section (Wine's heap slows down with many).
    std::vector<Key> keys_;
    std::string only_; // folded; empty: every section's keys
    std::vector<Section> sections_;
    // The first section of each folded name: a lookup costs the same
    // whatever the number of sections.
    std::unordered_map<std::string, size_t> firstSection_;
};

} // namespace vorlund

// libFuzzer target: the configuration's road from the file's bytes to the
// program list, for any bytes, any byte-order mark and any code page named
// in it (Windows' own decoder stood in for by one that gives anything).
#include "base/Utf8.h"
#include "config/ProfileEditor.h"
#include "config/ProfileReader.h"
#include "config/ProgramList.h"
#include "config/ReadProgramm.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vorlund;

// What Windows might answer for a code page: nothing, or some text of
// another length than the bytes.
std::optional<std::string> standIn(unsigned codePage, std::string_view bytes) {
    if (codePage % 3 == 0)
        return std::nullopt;
    return wellFormedUtf8(bytes.substr(0, bytes.size() / 2));
}

std::optional<std::string> asIs(unsigned, std::string_view text) {
    return std::string(text);
}

// The document gives the file back untouched, and an edit is read back as
// it was made, in every encoding the reader decides on by itself.
void editRoad(std::string_view bytes, const std::vector<std::string>& entries) {
    ProfileDocument doc(bytes, standIn, asIs);
    if (doc.Bytes() != bytes)
        __builtin_trap();
    if (entries.empty() || !doc.Set(entries.front(), "version", "13"))
        return;
    const std::string after = doc.Bytes();
    const DecodedProfile decoded = DecodeProfile(after, standIn);
    if (decoded.encoding.kind == ProfileEncoding::CodePage && decoded.encoding.codePage != 1252)
        return; // the stand-in decodes nothing as Windows would
    if (decoded.encoding.kind != doc.Encoding().kind ||
        ProfileText(decoded.text).Value(entries.front(), "version", "", ProfileText::kUnlimited) !=
            "13")
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ProfileBytes config(bytes, standIn);
    std::vector<std::string> sections;
    config.ReadSections(sections);
    ProgramList programs;
    programs.Open();
    const std::vector<std::string> entries = LoadProgramEntries(
        sections, [&](const std::string& section) { ReadProgramm(programs, config, section); });
    if (programs.RecordCount() != static_cast<int32_t>(entries.size()))
        __builtin_trap();
    for (int32_t row = 0; row < programs.RecordCount(); ++row) {
        programs.MoveToVisibleRow(row);
        if (programs.FieldAsInteger("id") != row)
            __builtin_trap();
        // A field never holds part of a character, nor more than its width.
        for (const FieldDef& field : kProgramFields) {
            if (field.type != FieldType::Text)
                continue;
            const std::string text = programs.FieldAsString(field.name);
            if (utf8Length(text) > static_cast<size_t>(field.size) || wellFormedUtf8(text) != text)
                __builtin_trap();
        }
    }
    editRoad(bytes, entries);
    return 0;
}

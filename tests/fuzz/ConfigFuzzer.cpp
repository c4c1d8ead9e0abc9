// libFuzzer target: the configuration's road from the file's bytes to the
// program list, for any bytes, any byte-order mark and any code page named
// in it (Windows' own decoder stood in for by one that gives anything).
#include "base/Utf8.h"
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
    return 0;
}

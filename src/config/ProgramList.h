#pragma once
// tPrograms: the in-memory table of program entries for one run, in
// configuration-file order, with an auto-increment id, a current record and
// the "field=integer" filter that narrows it to the chosen entry.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

enum class FieldType { AutoInc, Integer, Text };

struct FieldDef {
    const char* name;
    FieldType type;
    int size; // characters, text fields only
};

inline constexpr int kProgramFieldCount = 23;
inline constexpr std::array<FieldDef, kProgramFieldCount> kProgramFields{{
    {"id", FieldType::AutoInc, 0},
    {"version", FieldType::Integer, 0},
    {"mdbname", FieldType::Text, 255},
    {"mdbpath", FieldType::Text, 255},
    {"tmpdir", FieldType::Text, 128},
    {"displayname", FieldType::Text, 128},
    {"odbcpath", FieldType::Text, 255},
    {"odbcname", FieldType::Text, 32},
    {"odbccharacterset", FieldType::Text, 32},
    {"odbcrole", FieldType::Text, 2},
    // Optional: how the front-end opens and stays fresh.
    {"trustedlocation", FieldType::Integer, 0},
    {"refreshsize", FieldType::Integer, 0},
    {"accessexe", FieldType::Text, 255},
    {"accessargs", FieldType::Text, 1024},
    // Optional: what was published, and a lock on starts.
    {"pruefsumme", FieldType::Text, 128},
    {"groesse", FieldType::Text, 32},
    {"gesperrt", FieldType::Text, 1024},
    // Optional: the publisher's signature of what was published.
    {"signatur", FieldType::Text, 160},
    // Optional: the pilot ring and its release.
    {"vorab", FieldType::Text, 1024},
    {"vorabversion", FieldType::Integer, 0},
    {"vorabpruefsumme", FieldType::Text, 128},
    {"vorabgroesse", FieldType::Text, 32},
    {"vorabsignatur", FieldType::Text, 160},
}};

// An error of the program list; its text starts with the list's name.
class DatasetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ProgramList {
  public:
    explicit ProgramList(std::string name = "tPrograms") : name_(std::move(name)) {}

    void Open();
    void Empty();
    void Append();
    void Post();

    void SetField(std::string_view field, int32_t value);
    void SetField(std::string_view field, std::string_view text);
    int32_t FieldAsInteger(std::string_view field) const;
    std::string FieldAsString(std::string_view field) const;

    int32_t RecordCount() const;
    void SetFilter(std::string text);
    void SetFiltered(bool on);
    const std::string& Filter() const { return filter_; }
    bool Filtered() const { return filtered_; }
    bool HasCurrent() const { return current_.has_value() || appending_; }

    // The grid's view: the records that pass the filter, in list order.
    int32_t VisibleRowOfCurrent() const;
    void MoveToVisibleRow(int32_t row);
    std::string VisibleText(int32_t row, std::string_view field) const;
    // Called whenever the current record or the visible rows change.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // Position of a field by name, compared without regard to letter case.
    int FieldIndex(std::string_view field) const;

  private:
    struct Value {
        bool isNull = true;
        int32_t number = 0;
        std::string text;
    };
    using Record = std::array<Value, kProgramFieldCount>;

    struct Condition {
        int field;
        int32_t value;
    };

    [[noreturn]] void fail(const std::string& message) const;
    Value& editableField(std::string_view field, FieldType expected);
    const Value* currentField(std::string_view field) const;
    std::optional<Condition> filterCondition() const;
    std::optional<Condition> filterConditionIfFiltered() const;
    bool passes(const Record& record, const std::optional<Condition>& cond) const;
    // The records that pass the filter, built anew when the filter changes.
    void refreshVisible();
    void notify() const;

    std::string name_;
    bool open_ = false;
    std::vector<Record> records_;
    std::vector<size_t> visible_; // indexes into records_, in list order
    std::optional<size_t> current_;
    bool appending_ = false;
    Record pending_{};
    int32_t highestId_ = -1;
    std::string filter_;
    bool filtered_ = false;
    std::function<void()> onChange_;
};

} // namespace vorlund

#include "config/ProgramList.h"

#include "base/AsciiText.h"
#include "base/Utf8.h"
#include "config/IntParse.h"

#include <algorithm>
#include <climits>

namespace vorlund {
namespace {

constexpr int32_t kAutoIncMinValue = 0;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

void ProgramList::fail(const std::string& message) const {
    throw DatasetError(name_ + ": " + message);
}

int ProgramList::FieldIndex(std::string_view field) const {
    for (int i = 0; i < kProgramFieldCount; ++i)
        if (equalsIgnoreAsciiCase(kProgramFields[i].name, field))
            return i;
    fail("Das Feld '" + std::string(field) + "' wurde nicht gefunden");
}

void ProgramList::Open() {
    if (open_)
        return;
    open_ = true;
    highestId_ = kAutoIncMinValue - 1;
}

void ProgramList::Empty() {
    records_.clear();
    visible_.clear();
    current_.reset();
    appending_ = false;
    notify();
}

void ProgramList::Append() {
    if (!open_)
        fail("Die Operation ist bei einer geschlossenen Datenmenge nicht m\u00F6glich");
    if (highestId_ == INT32_MAX)
        fail("Der Wert des Z\u00E4hlerfeldes 'id' ist ersch\u00F6pft");
    pending_ = Record{};
    pending_[0].isNull = false;
    pending_[0].number = highestId_ + 1;
    appending_ = true;
}

void ProgramList::Post() {
    if (!appending_)
        fail("Dataset is not in edit mode.");
    const Value& id = pending_[0];
    if (!id.isNull && id.number > highestId_)
        highestId_ = id.number;
    records_.push_back(pending_);
    if (passes(records_.back(), filterConditionIfFiltered()))
        visible_.push_back(records_.size() - 1);
    appending_ = false;
    current_ = records_.size() - 1;
    notify();
}

ProgramList::Value& ProgramList::editableField(std::string_view field, FieldType expected) {
    const int index = FieldIndex(field);
    if (!appending_)
        fail("Dataset is not in edit mode.");
    const FieldType type = kProgramFields[index].type;
    const bool numeric = type != FieldType::Text;
    if (numeric != (expected != FieldType::Text))
        fail("Das Feld '" + std::string(field) + "' hat einen anderen Typ");
    return pending_[index];
}

void ProgramList::SetField(std::string_view field, int32_t value) {
    Value& v = editableField(field, FieldType::Integer);
    v.isNull = false;
    v.number = value;
}

void ProgramList::SetField(std::string_view field, std::string_view text) {
    Value& v = editableField(field, FieldType::Text);
    const size_t size = static_cast<size_t>(kProgramFields[FieldIndex(field)].size);
    text = text.substr(0, text.find('\0'));
    v.isNull = false;
    v.text = std::string(utf8Prefix(text, size)); // characters, never a part of one
}

const ProgramList::Value* ProgramList::currentField(std::string_view field) const {
    const int index = FieldIndex(field);
    if (appending_)
        return &pending_[index];
    if (!current_)
        return nullptr;
    return &records_[*current_][index];
}

int32_t ProgramList::FieldAsInteger(std::string_view field) const {
    const Value* v = currentField(field);
    if (!v || v->isNull)
        return 0;
    if (kProgramFields[FieldIndex(field)].type == FieldType::Text)
        return readIntOrDefault(v->text, 0);
    return v->number;
}

std::string ProgramList::FieldAsString(std::string_view field) const {
    const Value* v = currentField(field);
    if (!v || v->isNull)
        return {};
    if (kProgramFields[FieldIndex(field)].type == FieldType::Text)
        return v->text;
    return std::to_string(v->number);
}

std::optional<ProgramList::Condition> ProgramList::filterCondition() const {
    const std::string_view expr = trimmed(filter_);
    if (expr.empty())
        return std::nullopt;
    // The one form the list understands: field name, "=", decimal integer.
    const size_t eq = expr.find('=');
    const std::optional<int32_t> value =
        eq == std::string_view::npos ? std::nullopt : parseDecimal32(trimmed(expr.substr(eq + 1)));
    if (!value)
        fail("Ung\u00FCltiger Filterausdruck '" + filter_ + "'");
    return Condition{FieldIndex(trimmed(expr.substr(0, eq))), *value};
}

std::optional<ProgramList::Condition> ProgramList::filterConditionIfFiltered() const {
    return filtered_ ? filterCondition() : std::nullopt;
}

bool ProgramList::passes(const Record& record, const std::optional<Condition>& cond) const {
    if (!cond)
        return true;
    const Value& v = record[cond->field];
    const int32_t actual = kProgramFields[cond->field].type == FieldType::Text
                               ? readIntOrDefault(v.text, 0)
                               : v.number;
    return !v.isNull && actual == cond->value;
}

void ProgramList::refreshVisible() {
    const std::optional<Condition> cond = filterConditionIfFiltered();
    visible_.clear();
    for (size_t i = 0; i < records_.size(); ++i)
        if (passes(records_[i], cond))
            visible_.push_back(i);
}

int32_t ProgramList::RecordCount() const {
    return static_cast<int32_t>(visible_.size());
}

void ProgramList::SetFilter(std::string text) {
    filter_ = std::move(text);
    if (filtered_)
        SetFiltered(true);
}

void ProgramList::SetFiltered(bool on) {
    filtered_ = on;
    refreshVisible();
    if (on) {
        if (visible_.empty())
            current_.reset();
        else
            current_ = visible_.front();
    }
    notify();
}

int32_t ProgramList::VisibleRowOfCurrent() const {
    if (!current_)
        return -1;
    // The rows keep list order, so the current record is found by halving.
    const auto at = std::lower_bound(visible_.begin(), visible_.end(), *current_);
    if (at == visible_.end() || *at != *current_)
        return -1;
    return static_cast<int32_t>(at - visible_.begin());
}

void ProgramList::MoveToVisibleRow(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= visible_.size() || appending_)
        return;
    if (current_ == visible_[static_cast<size_t>(row)])
        return;
    current_ = visible_[static_cast<size_t>(row)];
    notify();
}

std::string ProgramList::VisibleText(int32_t row, std::string_view field) const {
    if (row < 0 || static_cast<size_t>(row) >= visible_.size())
        return {};
    const Value& v = records_[visible_[static_cast<size_t>(row)]][FieldIndex(field)];
    if (v.isNull)
        return {};
    return kProgramFields[FieldIndex(field)].type == FieldType::Text ? v.text
                                                                     : std::to_string(v.number);
}

void ProgramList::notify() const {
    if (onChange_)
        onChange_();
}

} // namespace vorlund

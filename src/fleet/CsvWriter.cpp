#include "fleet/CsvWriter.h"

#include "fleet/CellText.h"

namespace vorlund::fleet {

std::string CsvCell(std::string_view text) {
    const bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' ||
                                           text[0] == '@' || text[0] == '\t' || text[0] == '\r');
    std::string cell;
    if (formula)
        cell.push_back('\'');
    cell.append(CleanText(text));
    if (cell.find_first_of(";\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void CsvWriter::separate() {
    if (rowStarted_)
        out_ += ';';
    rowStarted_ = true;
}

CsvWriter& CsvWriter::Text(std::string_view text) {
    separate();
    out_ += CsvCell(text);
    return *this;
}

CsvWriter& CsvWriter::Number(std::optional<int64_t> value) {
    separate();
    if (value)
        out_ += std::to_string(*value);
    return *this;
}

CsvWriter& CsvWriter::EndRow() {
    out_ += "\r\n";
    rowStarted_ = false;
    return *this;
}

} // namespace vorlund::fleet

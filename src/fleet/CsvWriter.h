#pragma once
// The spreadsheet file's writer, as Excel with German settings opens it with
// a double click: UTF-8 with its mark, ";" between cells, RFC 4180 quoting.
// Every text cell is cleaned (controls as "?") and one that begins with
// =, +, -, @, a tab or a carriage return gets a leading "'", so that Excel
// never runs a log's text as a formula.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlund::fleet {

class CsvWriter {
  public:
    CsvWriter() : out_("\xEF\xBB\xBF") {}
    CsvWriter& Text(std::string_view text);
    CsvWriter& Number(std::optional<int64_t> value);
    // Ends the row with CRLF.
    CsvWriter& EndRow();
    const std::string& File() const { return out_; }

  private:
    void separate();
    std::string out_;
    bool rowStarted_ = false;
};

// One text cell as it is written.
std::string CsvCell(std::string_view text);

} // namespace vorlund::fleet

#pragma once
// The report page's writer: every text goes through Text(), which cleans it
// (well-formed, controls as "?") and escapes it for HTML, so a value from a
// log cannot reach the page as markup by a forgotten call. Markup comes only
// from the program's own string literals.
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlund::fleet {

class PageWriter {
  public:
    // Markup, from a literal only.
    template <size_t N> PageWriter& Markup(const char (&literal)[N]) {
        out_.append(literal, N - 1);
        return *this;
    }
    // Any text, also inside an attribute's quotes: cleaned and escaped.
    PageWriter& Text(std::string_view text);
    PageWriter& Number(int64_t value);
    // A coordinate, with one decimal.
    PageWriter& Coordinate(double value);
    const std::string& Page() const { return out_; }

  private:
    std::string out_;
};

// The text as a page shows it: & < > " ' escaped, after CleanText.
std::string HtmlText(std::string_view text);

} // namespace vorlund::fleet

#include "fleet/PageWriter.h"

#include "fleet/CellText.h"

#include <cmath>
#include <cstdio>

namespace vorlund::fleet {

std::string HtmlText(std::string_view text) {
    std::string out;
    for (char c : CleanText(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

PageWriter& PageWriter::Text(std::string_view text) {
    out_ += HtmlText(text);
    return *this;
}

PageWriter& PageWriter::Number(int64_t value) {
    out_ += std::to_string(value);
    return *this;
}

PageWriter& PageWriter::Coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::isfinite(value) ? value : 0.0);
    out_ += text;
    return *this;
}

} // namespace vorlund::fleet

#include "config/ReleaseHistory.h"

#include "config/IntParse.h"

#include <algorithm>

namespace vorlund {
namespace {

constexpr char kHeader[] = "; Vorlund: die ver\u00F6ffentlichten Versionen, \u00E4lteste zuerst "
                           "(Version;Bytes;SHA-256;Zeit;zur\u00FCckgeholte Version). "
                           "vorlundpublish schreibt diese Datei.\r\n";

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (size_t start = 0;;) {
        const size_t end = line.find(';', start);
        out.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return out;
        start = end + 1;
    }
}

bool isSha256(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::optional<Release> parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::vector<std::string_view> f = fields(line);
    if (f.size() != 5)
        return std::nullopt;
    const std::optional<int32_t> version = parseDecimal32(f[0]);
    const std::optional<int64_t> size = parseCount(f[1]);
    if (!version || !size || !isSha256(f[2]))
        return std::nullopt;
    Release r{*version, *size, std::string(f[2]), std::string(f[3]), std::nullopt};
    if (!f[4].empty()) {
        r.restores = parseDecimal32(f[4]);
        if (!r.restores)
            return std::nullopt;
    }
    return r;
}

} // namespace

std::vector<Release> ParseReleaseHistory(std::string_view text) {
    std::vector<Release> history;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        const std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        if (std::optional<Release> r = parseLine(line))
            history.push_back(std::move(*r));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return history;
}

std::string FormatReleaseHistory(const std::vector<Release>& history) {
    std::string text = kHeader;
    for (const Release& r : history)
        text += std::to_string(r.version) + ";" + std::to_string(r.size) + ";" + r.sha256 + ";" +
                r.published + ";" + (r.restores ? std::to_string(*r.restores) : "") + "\r\n";
    return text;
}

std::vector<Release> WithRelease(std::vector<Release> history, const Release& added, size_t keep,
                                 std::vector<Release>& dropped) {
    // A version given again (a publish ended before its record) has one line.
    std::erase_if(history, [&](const Release& r) { return r.version == added.version; });
    history.push_back(added);
    keep = std::max(keep, kFewestReleasesKept);
    const size_t drop = history.size() > keep ? history.size() - keep : 0;
    dropped.assign(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(drop));
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(drop));
    return history;
}

std::optional<Release> FindRelease(const std::vector<Release>& history, int32_t version) {
    for (const Release& r : history)
        if (r.version == version)
            return r;
    return std::nullopt;
}

std::optional<int32_t> HighestVersion(const std::vector<Release>& history) {
    std::optional<int32_t> highest;
    for (const Release& r : history)
        highest = std::max(highest.value_or(r.version), r.version);
    return highest;
}

std::optional<Release> ReleaseWithBytes(const std::vector<Release>& history,
                                        std::string_view sha256) {
    for (auto r = history.rbegin(); r != history.rend(); ++r)
        if (r->sha256 == sha256)
            return *r;
    return std::nullopt;
}

std::optional<Release> ReleaseBefore(const std::vector<Release>& history,
                                     std::string_view currentSha256) {
    auto at = std::find_if(history.rbegin(), history.rend(),
                           [&](const Release& r) { return r.sha256 == currentSha256; });
    // Bytes the record does not know: the newest release is the one before.
    size_t pos = at == history.rend() ? history.size() : history.rend() - at - 1;
    // A rollback stands where the release it restored stood. The walk only
    // goes back, so it ends.
    while (pos < history.size() && history[pos].restores) {
        const int32_t restored = *history[pos].restores;
        const auto it = std::find_if(history.begin(), history.begin() + static_cast<long>(pos),
                                     [&](const Release& r) { return r.version == restored; });
        if (it == history.begin() + static_cast<long>(pos))
            return std::nullopt; // older than anything the record still knows
        pos = static_cast<size_t>(it - history.begin());
    }
    for (size_t i = pos; i-- > 0;)
        if (history[i].sha256 != currentSha256)
            return history[i];
    return std::nullopt;
}

std::string ReleaseHistoryPath(const std::string& central) {
    return central + ".versionen";
}

std::string ReleaseFilePath(const std::string& central, int32_t version) {
    return central + ".v" + std::to_string(version);
}

} // namespace vorlund

#pragma once
// The launcher's German texts, in UTF-8. A line break is a
// single carriage return.
#include <string>
#include <string_view>

namespace vorlund::texts {

inline constexpr char CR = '\r';

// A name or a value in German quotation marks: „text“.
inline std::string quoted(std::string_view text) {
    std::string out("\u201E");
    out.append(text).append("\u201C");
    return out;
}

inline constexpr std::string_view kApplicationTitle = "Vorlund with Version Control";

inline constexpr std::string_view kFaultyConfiguration =
    "Konfigurationsdatei ist fehlerhaft.\rProgramm abgebrochen.";

inline constexpr std::string_view kOdbcWarning = "Warnung!\r\rODBC Verbindung wurde noch nicht\r"
                                                 "eingerichtet.\r\rProgramm kann nicht gestartet "
                                                 "werden.";

inline constexpr std::string_view kStartFailed = "Fehler beim Starten.";

inline constexpr std::string_view kOdbcDriverName = "XTG Systems InterBase6 ODBC driver";

// The line the copy failure warning gets when the central copy is not the
// one published.
inline constexpr std::string_view kNotThePublishedCopy =
    "Die Datei auf dem Server ist nicht die ver\u00F6ffentlichte Version\r(noch nicht ganz "
    "angekommen oder von Hand ersetzt).";

// The line the copy failure warning gets when no key this PC trusts signed
// the central copy's release.
inline constexpr std::string_view kNotSignedCopy =
    "Die Datei auf dem Server tr\u00E4gt keine g\u00FCltige Signatur\rdes Herausgebers.";

std::string announceNewVersion(std::string_view displayName);
// The new version is not fully on the server yet; the old copy opens.
std::string notArrivedYet(std::string_view displayName);
// No key this PC trusts signed the new version; the old copy opens.
std::string notSigned(std::string_view displayName);
// The administrator has locked the application, with his words.
std::string locked(std::string_view displayName, std::string_view why);
std::string deletionFailed(std::string_view displayName);
std::string installSucceeded(std::string_view displayName);
std::string copyFailed(std::string_view displayName, std::string_view centralPath,
                       std::string_view installDir);

} // namespace vorlund::texts

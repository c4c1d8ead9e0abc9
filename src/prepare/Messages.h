#pragma once
// The launcher's German texts, in UTF-8. A line break is a
// single carriage return.
#include <string>
#include <string_view>

namespace vorlund::texts {

inline constexpr char CR = '\r';

inline constexpr std::string_view kApplicationTitle = "Vorlund with Version Control";

inline constexpr std::string_view kFaultyConfiguration =
    "Konfigurationsdatei ist fehlerhaft.\rProgramm abgebrochen.";

inline constexpr std::string_view kOdbcWarning = "Warnung!\r\rODBC Verbindung wurde noch nicht\r"
                                                 "eingerichtet.\r\rProgramm kann nicht gestartet "
                                                 "werden.";

inline constexpr std::string_view kStartFailed = "Fehler beim Starten.";

inline constexpr std::string_view kOdbcDriverName = "XTG Systems InterBase6 ODBC driver";

std::string announceNewVersion(std::string_view displayName);
std::string deletionFailed(std::string_view displayName);
std::string installSucceeded(std::string_view displayName);
std::string copyFailed(std::string_view displayName, std::string_view centralPath,
                       std::string_view installDir);

} // namespace vorlund::texts

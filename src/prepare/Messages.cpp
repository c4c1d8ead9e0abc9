#include "prepare/Messages.h"

#include "base/AsciiText.h"

namespace vorlund::texts {
namespace {

template <typename... Pieces> std::string join(const Pieces&... pieces) {
    std::string out;
    (out.append(std::string_view(pieces)), ...);
    return out;
}

constexpr std::string_view cr = "\r";
constexpr std::string_view quote = "\"";

} // namespace

std::string announceNewVersion(std::string_view displayName) {
    return join("ACHTUNG! NEUE Version von ", displayName, " gefunden!", cr, cr,
                "Die Installation kann mehrere Minuten dauern!", cr, cr,
                "Bitte schalten Sie Ihren PC w\u00E4hrend des ", cr,
                "kopierens nicht ab oder brechen Sie die Kopier-Operation", cr, "nicht ab.");
}

std::string notArrivedYet(std::string_view displayName) {
    return join("Die neue Version von ", displayName, " auf dem Server", cr,
                "ist nicht die ver\u00F6ffentlichte: noch nicht ganz", cr,
                "angekommen oder von Hand ersetzt.", cr, cr,
                "Es wird die bisherige Version ge\u00F6ffnet.");
}

std::string notSigned(std::string_view displayName) {
    return join("Die neue Version von ", displayName, " auf dem Server", cr,
                "tr\u00E4gt keine g\u00FCltige Signatur des Herausgebers", cr,
                "und wird nicht installiert.", cr, cr,
                "Es wird die bisherige Version ge\u00F6ffnet.");
}

std::string locked(std::string_view displayName, std::string_view why) {
    return join(displayName, " ist zurzeit gesperrt:", cr, cr, why);
}

std::string deletionFailed(std::string_view displayName) {
    return join("Achtung! Eine neue VERSION von ", displayName, cr,
                "konnte nicht installiert werden, da das Programm", cr,
                "auf diesem PC bereits ein weiteres mal gestartet", cr,
                "ist. Bitte beenden Sie alle Programme und starten", cr,
                "Sie dieses Programm erneut!");
}

std::string installSucceeded(std::string_view displayName) {
    return join("NEUE Version von ", displayName, " wurde", cr, cr, "ERFOLGREICH INSTALLIERT!!", cr,
                cr, "Bitte starten Sie die Anwendung erneut!");
}

std::string copyFailed(std::string_view displayName, std::string_view centralPath,
                       std::string_view installDir) {
    return join("NEUE Version ", displayName, " konnte nicht", cr, "von ", quote,
                asciiUpper(centralPath), quote, cr, "nach ", quote, asciiUpper(installDir), quote,
                " kopiert werden!", cr, cr, "Bitte wenden Sie sich an Ihren Supporter!");
}

} // namespace vorlund::texts

#include "check/ConfigLint.h"

#include "base/AsciiText.h"
#include "config/IntParse.h"
#include "config/ProfileText.h"
#include "config/ProgramList.h"
#include "config/ReadProgramm.h"
#include "prepare/LaunchCommand.h"
#include "prepare/Messages.h"

#include <algorithm>
#include <map>

namespace vorlund::check {
namespace {

using texts::quoted;

std::string lineList(const std::vector<size_t>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i == 0 ? "" : i + 1 == lines.size() ? " und " : ", ") + std::to_string(lines[i]);
    return out;
}

std::vector<const ProfileText::Section*> sectionsNamed(const ProfileText& text,
                                                       std::string_view name) {
    std::vector<const ProfileText::Section*> found;
    const std::string wanted = FoldedProfileName(name);
    for (const ProfileText::Section& s : text.Sections())
        if (!s.folded.empty() && s.folded == wanted)
            found.push_back(&s);
    return found;
}

const ProfileText::Key* firstKey(const ProfileText::Section& section, std::string_view key) {
    for (const ProfileText::Key& k : section.keys)
        if (k.name == key)
            return &k;
    return nullptr;
}

std::string nearestKnown(std::string_view key, const std::vector<std::string>& known) {
    std::string best;
    size_t distance = 3; // one or two letters away, no more
    for (const std::string& candidate : known) {
        const size_t d = EditDistance(key, candidate);
        if (d < distance) {
            distance = d;
            best = candidate;
        }
    }
    return best;
}

void sectionTwice(std::vector<ConfigNote>& notes,
                  const std::vector<const ProfileText::Section*>& sections) {
    if (sections.size() < 2)
        return;
    std::vector<size_t> lines;
    for (const ProfileText::Section* s : sections)
        lines.push_back(s->line);
    notes.push_back({"", "[" + sections.front()->name + "] steht " +
                             std::to_string(sections.size()) + "-mal in der Datei (Zeilen " +
                             lineList(lines) +
                             "); Vorlund liest nur die Schl\u00FCssel des ersten und f\u00FChrt "
                             "jeden einzeln in der Auswahl."});
}

// Unknown keys and keys given twice, in the order of the file.
void keyNotes(std::vector<ConfigNote>& notes, const ProfileText::Section& section,
              const std::vector<std::string>& known) {
    std::map<std::string, std::vector<size_t>> lines;
    std::vector<const ProfileText::Key*> firsts;
    for (const ProfileText::Key& k : section.keys) {
        std::vector<size_t>& at = lines[k.name];
        if (at.empty())
            firsts.push_back(&k);
        at.push_back(k.line);
    }
    for (const ProfileText::Key* k : firsts) {
        const bool isKnown = std::any_of(known.begin(), known.end(), [&](const std::string& name) {
            return FoldedProfileName(name) == k->name;
        });
        if (!isKnown) {
            const std::string meant = nearestKnown(k->name, known);
            notes.push_back({"", "unbekannter Schl\u00FCssel " + quoted(k->written) + " (Zeile " +
                                     std::to_string(k->line) + "), Vorlund liest ihn nicht" +
                                     (meant.empty() ? "" : "; gemeint ist wohl " + quoted(meant)) +
                                     "."});
        }
        const std::vector<size_t>& at = lines[k->name];
        if (at.size() > 1)
            notes.push_back({k->name, quoted(k->written) + " steht " + std::to_string(at.size()) +
                                          "-mal (Zeilen " + lineList(at) + "); es gilt Zeile " +
                                          std::to_string(at.front()) + "."});
    }
}

// The value as the reader takes it, when the key is there with an "=".
std::optional<std::string> valueOf(const ProfileText& text, const ProfileText::Section& section,
                                   std::string_view key) {
    const ProfileText::Key* k = firstKey(section, key);
    if (!k || !k->hasValue)
        return std::nullopt;
    return text.Value(section.name, key, "", ProfileText::kUnlimited);
}

void numberNotes(std::vector<ConfigNote>& notes, const ProfileText& text,
                 const ProfileText::Section& section) {
    const struct {
        const char* key;
        const char* taken; // what the launcher does with a value that is no number
    } numbers[] = {{"version", "Vorlund nimmt 0 und installiert keine neue Version"},
                   {"refreshsize", "Vorlund frischt nie auf"},
                   {"trustedlocation", "Vorlund nimmt 0 (aus)"}};
    for (const auto& n : numbers) {
        const std::optional<std::string> value = valueOf(text, section, n.key);
        if (!value)
            continue;
        const std::optional<int32_t> number = readInt(*value);
        if (!number) {
            notes.push_back({n.key, std::string(n.key) + "=" + quoted(*value) +
                                        " ist keine ganze Zahl; " + n.taken + "."});
        } else if (std::string_view(n.key) == "trustedlocation" && *number != 0 && *number != 1) {
            notes.push_back({n.key, "trustedlocation=" + std::to_string(*number) +
                                        ": nur 1 schaltet ein; Vorlund nimmt 0 (aus)."});
        } else if (std::string_view(n.key) == "refreshsize" && *number != 0 && *number <= 100) {
            notes.push_back({n.key, "refreshsize=" + std::to_string(*number) +
                                        " ist h\u00F6chstens 100 und w\u00E4re bei jedem Start "
                                        "erreicht; Vorlund frischt nie auf (gemeint: " +
                                        std::to_string(*number) + "0?)."});
        }
    }
}

// The reader takes the quotes around a value away: Access gets what is inside.
void quoteNotes(std::vector<ConfigNote>& notes, const ProfileText& text,
                const ProfileText::Section& section) {
    const ProfileText::Key* k = firstKey(section, "accessargs");
    if (!k || k->value.size() < 2 || (k->value.front() != '"' && k->value.front() != '\'') ||
        k->value.back() != k->value.front())
        return;
    const std::string taken = text.Value(section.name, "accessargs", "", ProfileText::kUnlimited);
    notes.push_back(
        {"accessargs", "accessargs beginnt und endet mit " + std::string(1, k->value.front()) +
                           "; Vorlund nimmt beide weg (Regel der INI-Dateien) und "
                           "\u00FCbergibt " +
                           quoted(MaskPasswords(taken)) + ". Doppelt geschrieben bleiben sie."});
}

std::vector<std::string> knownEntryKeys() {
    std::vector<std::string> keys;
    for (const FieldDef& field : kProgramFields)
        if (field.type != FieldType::AutoInc)
            keys.push_back(field.name);
    keys.insert(keys.end(), kPublishKeys.begin(), kPublishKeys.end());
    return keys;
}

} // namespace

size_t EditDistance(std::string_view a, std::string_view b) {
    const std::string x = FoldedProfileName(a), y = FoldedProfileName(b);
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] != y[j - 1])});
            diagonal = above;
        }
    }
    return row[y.size()];
}

bool LooksLikeSetup(std::string_view section) {
    return EditDistance(section, "SETUP") == 1;
}

std::vector<ConfigNote> SetupNotes(const ProfileText& text) {
    std::vector<ConfigNote> notes;
    const std::vector<const ProfileText::Section*> sections = sectionsNamed(text, "SETUP");
    if (sections.empty())
        return notes;
    sectionTwice(notes, sections);
    std::vector<std::string> known(kSetupKeys.begin(), kSetupKeys.end());
    known.insert(known.end(), kPublishKeys.begin(), kPublishKeys.end());
    keyNotes(notes, *sections.front(), known);
    if (const std::optional<std::string> page = valueOf(text, *sections.front(), "codepage");
        page && !readInt(*page))
        notes.push_back({"codepage", "codepage=" + quoted(*page) +
                                         " ist keine ganze Zahl (ein ; hinter einem Wert "
                                         "geh\u00F6rt zum Wert); Vorlund liest die Datei, als "
                                         "fehlte codepage=."});
    return notes;
}

std::vector<ConfigNote> EntryNotes(const ProfileText& text, std::string_view section) {
    std::vector<ConfigNote> notes;
    const std::vector<const ProfileText::Section*> sections = sectionsNamed(text, section);
    if (sections.empty())
        return notes;
    sectionTwice(notes, sections);
    keyNotes(notes, *sections.front(), knownEntryKeys());
    numberNotes(notes, text, *sections.front());
    quoteNotes(notes, text, *sections.front());
    return notes;
}

} // namespace vorlund::check

#include "generator.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"
#include "data/schema.h"

#include <QDate>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast, and the same sequence on every platform and compiler (the standard
// distributions are not).
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); } // 0 .. n-1
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }    // lo .. hi
    bool chance(int percent) { return below(100) < percent; }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }
    template <typename T, size_t N> const T& pick(const std::array<T, N>& a) {
        return a[size_t(below(int(N)))];
    }

private:
    quint64 m_state;
};

using Words = const char*;

const std::array<Words, 50> surnames = {
    "Müller",   "Schmidt",  "Schneider", "Fischer",    "Weber",  "Meyer",   "Wagner",  "Becker",
    "Schulz",   "Hoffmann", "Schäfer",   "Koch",       "Bauer",  "Richter", "Klein",   "Wolf",
    "Schröder", "Neumann",  "Schwarz",   "Zimmermann", "Braun",  "Krüger",  "Hofmann", "Hartmann",
    "Lange",    "Schmitt",  "Werner",    "Schmitz",    "Krause", "Meier",   "Lehmann", "Schmid",
    "Schulze",  "Maier",    "Köhler",    "Herrmann",   "König",  "Walter",  "Mayer",   "Huber",
    "Kaiser",   "Fuchs",    "Peters",    "Lang",       "Scholz", "Möller",  "Weiß",    "Jung",
    "Hahn",     "Schubert"};
const std::array<Words, 24> firstNames = {
    "Anna",    "Jürgen", "Markus",  "Sabine", "Thomas", "Claudia", "Stefan",   "Petra",
    "Andreas", "Monika", "Michael", "Birgit", "Frank",  "Susanne", "Matthias", "Katrin",
    "Jörg",    "Heike",  "Uwe",     "Nicole", "Björn",  "Jana",    "Sören",    "Özlem"};
const std::array<Words, 20> trades = {
    "Bäckerei",      "Schreinerei", "Autohaus",      "Elektro",        "Sanitär",
    "Dachdeckerei",  "Metzgerei",   "Steuerkanzlei", "Zahnarztpraxis", "Werbeagentur",
    "Ingenieurbüro", "Druckerei",   "Gärtnerei",     "Malerbetrieb",   "Spedition",
    "Hotel",         "Weingut",     "Augenoptik",    "Apotheke",       "Physiotherapie"};
const std::array<Words, 5> legalForms = {"GmbH", "KG", "GmbH & Co. KG", "e.K.", ""};
const std::array<Words, 12> cities = {"Freiburg im Breisgau",
                                      "Offenburg",
                                      "Lahr/Schwarzwald",
                                      "Emmendingen",
                                      "Waldkirch",
                                      "Müllheim",
                                      "Breisach am Rhein",
                                      "Titisee-Neustadt",
                                      "Kehl",
                                      "Lörrach",
                                      "Kenzingen",
                                      "Bad Krozingen"};
const std::array<Words, 12> streets = {"Hauptstraße",     "Bahnhofstraße",  "Lindenstraße",
                                       "Industriestraße", "Schillerstraße", "Gewerbepark",
                                       "Kirchplatz",      "Am Mühlbach",    "Rheinstraße",
                                       "Talstraße",       "Weinbergweg",    "Schwarzwaldstraße"};
const std::array<Words, 12> undertakings = {
    "Einführung", "Relaunch",   "Migration",   "Modernisierung", "Erweiterung", "Wartung",
    "Neuaufbau",  "Umstellung", "Optimierung", "Konzeption",     "Erneuerung",  "Anbindung"};
const std::array<Words, 16> objects = {
    "Webshop",           "Warenwirtschaft", "Netzwerk",         "Telefonanlage",
    "Finanzbuchhaltung", "Kundenportal",    "Zeiterfassung",    "Intranet",
    "Serverlandschaft",  "Lagerverwaltung", "Dokumentenablage", "Kassensystem",
    "Terminbuchung",     "Newsletter",      "Firmenwebsite",    "Datensicherung"};
const std::array<Words, 6> types = {"Kundenprojekt", "Festpreisauftrag", "Wartungsvertrag",
                                    "Beratung",      "Schulung",         "Internes Projekt"};
const std::array<Words, 6> categories = {"Webentwicklung",
                                         "Netzwerk & Infrastruktur",
                                         "Softwareentwicklung",
                                         "Marketing & Gestaltung",
                                         "Schulung",
                                         "IT-Support"};
const std::array<Words, 4> priorities = {"1 - Dringend", "2 - Hoch", "3 - Normal", "4 - Niedrig"};
const std::array<Words, 5> states = {"Angebot", "Beauftragt", "In Arbeit", "Wartet auf Kunde",
                                     "Abgeschlossen"};
const std::array<Words, 20> taskTitles = {
    "Anforderungen aufnehmen",   "Angebot erstellen",      "Konzept abstimmen",
    "Entwurf vorstellen",        "Daten übernehmen",       "Schnittstelle anbinden",
    "Testlauf durchführen",      "Abnahme mit dem Kunden", "Schulung der Mitarbeiter",
    "Dokumentation schreiben",   "Fehler beheben",         "Hardware bestellen",
    "Installation vor Ort",      "Rechnung vorbereiten",   "Rückfragen klären",
    "Datensicherung einrichten", "Zugänge einrichten",     "Statusbericht schreiben",
    "Lizenzen prüfen",           "Übergabe an den Support"};
const std::array<Words, 14> entryTitles = {"Besprechung beim Kunden",
                                           "Telefonat",
                                           "Programmierung",
                                           "Test",
                                           "Installation",
                                           "Fahrtzeit",
                                           "Dokumentation",
                                           "Schulung",
                                           "Fernwartung",
                                           "Abstimmung intern",
                                           "Fehleranalyse",
                                           "Datenpflege",
                                           "Konzeptarbeit",
                                           "Vorbereitung"};
const std::array<Words, 8> notes = {"",
                                    "",
                                    "",
                                    "Kunde informiert",
                                    "Wartet auf Rückmeldung",
                                    "Termin vereinbart",
                                    "Unterlagen angefordert",
                                    "Rückruf erbeten"};
const std::array<Words, 8> remarks = {"",
                                      "",
                                      "",
                                      "",
                                      "Mit dem Kunden telefonisch abgestimmt.",
                                      "Offene Punkte stehen im Protokoll.",
                                      "Weitere Termine folgen nach Rückmeldung.",
                                      "Änderungswünsche aufgenommen und eingeplant."};

constexpr int PersonCount = 20;
constexpr int ClientCount = 400;

class Db {
public:
    explicit Db(const QString& file) {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            fail("Öffnen");
    }
    ~Db() { sqlite3_close(m_db); }
    sqlite3* handle() const { return m_db; }

    void exec(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }
    std::string text(const char* sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK)
            fail(sql);
        std::string result;
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return result;
    }
    [[noreturn]] void fail(const char* what) const {
        throw DataError(QStringLiteral("Die Testdatenbank kann nicht geschrieben werden (%1): %2")
                            .arg(QString::fromUtf8(what), QString::fromUtf8(sqlite3_errmsg(m_db))));
    }

private:
    sqlite3* m_db = nullptr;
};

// One prepared INSERT, bound column by column and run once per row.
class Insert {
public:
    Insert(Db& db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_st, nullptr) != SQLITE_OK)
            db.fail(sql);
    }
    ~Insert() { sqlite3_finalize(m_st); }

    Insert& integer(qint64 v) {
        sqlite3_bind_int64(m_st, ++m_col, v);
        return *this;
    }
    Insert& real(double v) {
        sqlite3_bind_double(m_st, ++m_col, v);
        return *this;
    }
    Insert& null() {
        sqlite3_bind_null(m_st, ++m_col);
        return *this;
    }
    // Empty text is stored as empty (null), as the program stores it.
    Insert& text(const std::string& v) {
        if (v.empty())
            sqlite3_bind_null(m_st, ++m_col);
        else
            sqlite3_bind_text(m_st, ++m_col, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& text(const char* v) { return text(std::string(v)); }
    Insert& realOrNull(bool present, double v) { return present ? real(v) : null(); }

    void run() {
        if (sqlite3_step(m_st) != SQLITE_DONE)
            m_db.fail("Einfügen");
        sqlite3_reset(m_st);
        m_col = 0;
    }

private:
    Db& m_db;
    sqlite3_stmt* m_st = nullptr;
    int m_col = 0;
};

// Splits `total` among `parts` unevenly but reproducibly; the shares add up to total exactly.
std::vector<int> shares(Random& random, int parts, int total) {
    std::vector<double> weights(size_t(std::max(parts, 0)));
    double sum = 0;
    for (double& w : weights) {
        w = 0.3 + 1.4 * random.unit();
        sum += w;
    }
    std::vector<int> result(weights.size());
    double running = 0;
    qint64 given = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        running += weights[i];
        const qint64 upTo = i + 1 == weights.size() ? total : qint64(total * (running / sum) + 0.5);
        result[i] = int(upTo - given);
        given = upTo;
    }
    return result;
}

struct TaskRow {
    qint64 anr;
    std::string title;
    double total = 0;
    bool hasEntries = false;
};

std::string personName(int i) {
    return std::string(firstNames[size_t(i) % firstNames.size()]) + " " +
           surnames[size_t(i * 7 + 3) % surnames.size()];
}

struct Client {
    std::string name;
    std::string surname;
};

Client makeClient(Random& random) {
    Client c;
    c.surname = random.pick(surnames);
    c.name = std::string(random.pick(trades)) + " " + c.surname;
    const std::string form = random.pick(legalForms);
    if (!form.empty())
        c.name += " " + form;
    return c;
}

std::string money(Random& random, int maxEuros) {
    return std::to_string(random.between(1, maxEuros));
}

} // namespace

void generateBenchDatabase(const QString& file, const BenchSize& size, quint64 seed) {
    createDatabase(file);

    Db db(file);
    Random random(seed);

    // Speed over safety while the file is being made: a broken run leaves a file nobody uses.
    const std::string journalMode = db.text("PRAGMA journal_mode");
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("PRAGMA cache_size=-131072");
    db.exec("BEGIN IMMEDIATE");

    std::vector<std::string> people;
    {
        Insert hr(db, "INSERT INTO HumanResources (Bezeichnung, Ort, Email, Telefon) "
                      "VALUES (?, ?, ?, ?)");
        for (int i = 0; i < PersonCount; ++i) {
            people.push_back(personName(i));
            hr.text(people.back())
                .text(random.pick(cities))
                .text("mitarbeiter" + std::to_string(i + 1) + "@example.de")
                .text("0761 4589-" + std::to_string(20 + i))
                .run();
        }
    }
    std::vector<Client> clients;
    {
        Insert client(db, "INSERT INTO Auftraggeber (Bezeichnung, StrasseNr, PLZ, Ort) "
                          "VALUES (?, ?, ?, ?)");
        for (int i = 0; i < ClientCount; ++i) {
            clients.push_back(makeClient(random));
            client.text(clients.back().name)
                .text(std::string(random.pick(streets)) + " " +
                      std::to_string(random.between(1, 120)))
                .text(std::to_string(random.between(77600, 79999)))
                .text(random.pick(cities))
                .run();
        }
        Insert type(db, "INSERT INTO Typen (Bezeichnung, zuord) VALUES (?, 1)");
        for (const char* t : types)
            type.text(t).run();
        Insert category(db, "INSERT INTO Kategorien (Bezeichnung, pos) VALUES (?, ?)");
        int pos = 1;
        for (const char* c : categories)
            category.text(c).integer(pos++).run();
        Insert prio(db, "INSERT INTO Prio (Prio, pos) VALUES (?, ?)");
        pos = 1;
        for (const char* p : priorities)
            prio.text(p).integer(pos++).run();
        Insert state(db, "INSERT INTO Status (Bezeichnung) VALUES (?)");
        for (const char* s : states)
            state.text(s).run();
        db.exec("INSERT INTO Optionen (ARefresh, Tabstop, FarbSchema) VALUES (0, 4, 0)");
    }

    Insert project(db, "INSERT INTO Projects (Nr, Pojektnummer, Bezeichnung, Typ, Auftraggeber, "
                       "KatBez, PrioBez, Status, Verantw, Von, Bis, Erledigt, ErledigtP, Archiv, "
                       "Beschreibung, Budget, benBudget, Pauschalpreis, Gesamtkm, GesamtZeit) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Insert task(db, "INSERT INTO Aufgaben (Anr, AProjectnr, ABezeichnung, ADelegiert, APrioBez, "
                    "AVon, ABis, AWV, AErledigt, AErledigtP, AVermerk, ABeschreibung, AGesamtZeit) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Insert entry(db, "INSERT INTO PRZeiten (ID, PRID, AID, ABezeichnung, Bezeichnung, "
                     "Beschreibung, Bearbeiter, VonDatum, VonUhrzeit, BisDatum, BisUhrzeit, "
                     "Aufwand) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

    const int firstDay = int(DateTimeValue::fromDate(QDate(2016, 1, 1)));
    const int lastDay = int(DateTimeValue::fromDate(QDate(2025, 12, 31)));
    const std::vector<int> tasksOf = shares(random, size.projects, size.tasks);
    const std::vector<int> entriesOf = shares(random, size.projects, size.entries);

    qint64 nextAnr = 1;
    qint64 nextId = 1;
    std::vector<TaskRow> rows;
    for (int p = 0; p < size.projects; ++p) {
        const qint64 nr = p + 1;
        const int from = random.between(firstDay, lastDay - 30);
        const int to = std::min(lastDay, from + random.between(14, 400));
        const bool projectDone = to < lastDay - 120 && random.chance(85);
        const Client& client = clients[size_t(random.below(ClientCount))];
        const std::string year = std::to_string(QDate(1899, 12, 30).addDays(from).year());

        // The tasks and entries come first: the project row carries their total.
        rows.clear();
        double projectTotal = 0;
        for (int t = 0; t < tasksOf[size_t(p)]; ++t) {
            TaskRow row;
            row.anr = nextAnr++;
            row.title = random.pick(taskTitles);
            if (random.chance(20))
                row.title += " (Teil " + std::to_string(random.between(2, 4)) + ")";
            rows.push_back(std::move(row));
        }
        struct EntryRow {
            int task; // index into rows, -1: AID 0, -2: AID empty
            int day;
            int fromSlot; // quarter hours since midnight
            int toSlot;   // may pass midnight
        };
        std::vector<EntryRow> entries;
        entries.reserve(size_t(entriesOf[size_t(p)]));
        for (int e = 0; e < entriesOf[size_t(p)]; ++e) {
            EntryRow row;
            const int roll = random.below(100);
            row.task =
                rows.empty() || roll >= 85 ? (roll % 2 ? -1 : -2) : random.below(int(rows.size()));
            row.day = random.between(from, to);
            if (random.chance(1)) {
                row.fromSlot = random.between(84, 91); // night work past midnight
                row.toSlot = row.fromSlot + random.between(8, 20);
            } else {
                row.fromSlot = random.between(28, 64);
                row.toSlot = row.fromSlot + random.between(1, 32);
            }
            entries.push_back(row);
        }

        for (const EntryRow& e : entries) {
            const double vonDatum = e.day;
            const double vonUhrzeit = e.fromSlot / 96.0;
            const double bisDatum = e.day + e.toSlot / 96;
            const double bisUhrzeit = (e.toSlot % 96) / 96.0;
            const double aufwand = (bisDatum + bisUhrzeit) - (vonDatum + vonUhrzeit);
            projectTotal += aufwand;
            entry.integer(nextId++).integer(nr);
            if (e.task >= 0) {
                TaskRow& t = rows[size_t(e.task)];
                t.total += aufwand;
                t.hasEntries = true;
                entry.integer(t.anr).text(t.title);
            } else {
                if (e.task == -1)
                    entry.integer(0);
                else
                    entry.null();
                entry.null();
            }
            entry.text(random.pick(entryTitles))
                .text(random.pick(remarks))
                .text(people[size_t(random.below(PersonCount))])
                .real(vonDatum)
                .real(vonUhrzeit)
                .real(bisDatum)
                .real(bisUhrzeit)
                .real(aufwand)
                .run();
        }

        for (const TaskRow& t : rows) {
            const int aVon = random.between(from, to);
            const int aBis = std::min(to, aVon + random.between(0, 30));
            const bool done = projectDone || random.chance(45);
            const bool followUp = random.chance(60);
            task.integer(t.anr)
                .integer(nr)
                .text(t.title)
                .text(people[size_t(random.below(PersonCount))])
                .text(random.pick(priorities))
                .real(aVon)
                .real(aBis)
                .realOrNull(followUp, aVon + random.between(1, 45))
                .realOrNull(done, aBis + random.between(0, 5))
                .integer(done ? 100 : random.between(0, 9) * 10)
                .text(random.pick(notes))
                .text(random.pick(remarks))
                .realOrNull(t.hasEntries, t.total)
                .run();
        }

        const int percent = projectDone ? 100 : random.between(0, 19) * 5;
        const int budget = random.between(10, 600) * 100;
        project.integer(nr)
            .text("P" + year + "-" + std::to_string(nr))
            .text(std::string(random.pick(undertakings)) + " " + random.pick(objects) + " " +
                  client.surname)
            .text(random.pick(types))
            .text(client.name)
            .text(random.pick(categories))
            .text(random.pick(priorities))
            .text(projectDone ? "Abgeschlossen" : states[size_t(random.below(4))])
            .text(people[size_t(random.below(PersonCount))])
            .real(from)
            .real(to)
            .realOrNull(projectDone, to + random.between(0, 10))
            .integer(percent)
            .integer(projectDone && random.chance(70) ? 1 : 0)
            .text(random.pick(remarks))
            .integer(qint64(budget) * 10000)
            .integer(qint64(budget) * percent * 100 + random.between(0, 9999) * 100);
        if (random.chance(30))
            project.integer(qint64(budget) * 10000);
        else
            project.null();
        project.text(money(random, 800)).text(showtime(projectTotal).toStdString()).run();
    }

    db.exec("COMMIT");
    db.exec(("PRAGMA journal_mode=" + journalMode).c_str());
}

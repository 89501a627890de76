#include "appfixture.h"

#include "app/mainwindow.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "projects/projecteditor.h"
#include "timerec/timeentryeditor.h"

#include <QDate>

namespace {

void set(Dataset& data, const char* column, const QString& text) {
    data.fieldByName(QLatin1String(column)).setAsString(text);
}

void setDate(Dataset& data, const char* column, const QDate& date) {
    data.fieldByName(QLatin1String(column)).setAsDateTime(DateTimeValue::fromDate(date));
}

int addProject(Dataset& p, const QString& number, const QString& title, int done, int archived,
               const QString& remarks) {
    p.append();
    set(p, "Pojektnummer", number);
    set(p, "Bezeichnung", title);
    set(p, "Typ", QStringLiteral("Intern"));
    set(p, "Auftraggeber", QStringLiteral("Müller GmbH"));
    set(p, "KatBez", QStringLiteral("Entwicklung"));
    set(p, "PrioBez", QStringLiteral("hoch"));
    set(p, "Status", QStringLiteral("in Arbeit"));
    set(p, "Verantw", QStringLiteral("Anna Schmidt"));
    setDate(p, "Von", QDate(2009, 3, 1));
    setDate(p, "Bis", QDate(2009, 12, 31));
    p.fieldByName(QStringLiteral("ErledigtP")).setAsInteger(done);
    p.fieldByName(QStringLiteral("Archiv")).setAsInteger(archived);
    set(p, "Budget", QStringLiteral("1500,5"));
    set(p, "benBudget", QStringLiteral("300"));
    set(p, "Pauschalpreis", QStringLiteral("999,99"));
    set(p, "Gesamtkm", QStringLiteral("120 km"));
    set(p, "GesamtZeit", QStringLiteral("12:30"));
    set(p, "Beschreibung", remarks);
    p.post();
    return p.fieldByName(QStringLiteral("Nr")).asInteger();
}

void addTask(Dataset& a, int project, const QString& title, bool done) {
    a.append();
    a.fieldByName(QStringLiteral("AProjectnr")).setAsInteger(project);
    set(a, "ABezeichnung", title);
    set(a, "ABeschreibung", title + QStringLiteral(":\n\tDetails"));
    setDate(a, "AVon", QDate(2009, 3, 2));
    if (done)
        setDate(a, "AErledigt", QDate(2009, 3, 20));
    a.post();
}

void addTime(Dataset& t, int project, const QString& title) {
    t.append();
    t.fieldByName(QStringLiteral("PRID")).setAsInteger(project);
    set(t, "Bezeichnung", title);
    set(t, "Beschreibung", title + QStringLiteral(" erledigt"));
    setDate(t, "VonDatum", QDate(2009, 3, 5));
    setDate(t, "BisDatum", QDate(2009, 3, 5));
    t.post();
}

} // namespace

FixtureKeys writeFixture(TestEnvironment& env) {
    const QString folder = env.createDatabase();
    Tdm fill(env.rootFolder() + QStringLiteral("/"));
    fill.ADOConnection1.setConnectionString(Tdm::connectionStringFor(folder));
    fill.ADOConnection1.open();

    FixtureKeys keys;
    Dataset& p = fill.Projekte;
    p.setSql(QStringLiteral("Select * from Projects"));
    p.open();
    keys.webProject = addProject(p, QStringLiteral("P-100"), QStringLiteral("Webseite Relaunch"),
                                 40, 0, QStringLiteral("Erste Zeile\n\tEingerückt"));
    keys.closingProject = addProject(p, QString(), QStringLiteral("Jahresabschluss"), 75, 0,
                                     QStringLiteral("Belege sammeln"));
    keys.oldProject =
        addProject(p, QStringLiteral("A-1"), QStringLiteral("Altprojekt"), 100, 1, QString());

    Dataset& a = fill.Aufgaben;
    a.setSql(QStringLiteral("Select * From Aufgaben"));
    a.open();
    addTask(a, keys.webProject, QStringLiteral("Entwurf"), false);
    addTask(a, keys.webProject, QStringLiteral("Umsetzung"), false);
    addTask(a, keys.webProject, QStringLiteral("Angebot"), true);
    addTask(a, keys.closingProject, QStringLiteral("Belege"), false);

    Dataset& t = fill.Time;
    t.open();
    addTime(t, keys.webProject, QStringLiteral("Besprechung"));
    addTime(t, keys.webProject, QStringLiteral("Programmierung"));
    addTime(t, keys.closingProject, QStringLiteral("Sichtung"));
    return keys;
}

void addRowElsewhere(const QString& databaseFolder, const QString& table, const QString& column,
                     const QString& text, const QString& keyColumn, int key) {
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(databaseFolder));
    connection.open();
    Dataset data(connection, QStringLiteral("elsewhere"));
    data.setSql(QStringLiteral("Select * From ") + table);
    data.open();
    data.append();
    data.fieldByName(column).setAsString(text);
    if (!keyColumn.isEmpty())
        data.fieldByName(keyColumn).setAsInteger(key);
    data.post();
}

void storeDbPath(const QString& folder) {
    SettingsStore machine(SettingsStore::Scope::Machine);
    machine.writeString(OrbentaKey, QStringLiteral("DBPath"), folder);
}

RunningProgram::RunningProgram(TestEnvironment& env)
    : m_programFolder(env.rootFolder() + QStringLiteral("/Programm/")) {
    m_window = std::make_unique<TTMSForm1>(m_programFolder);
    m_dm = std::make_unique<Tdm>(m_window->programFolder());
    m_editor = new TForm3(*m_dm, m_window.get());
    Dialogs dialogs;
    dialogs.projectEditor = m_editor;
    m_timeEditor = new TForm6(*m_dm, m_window.get());
    dialogs.timeEditor = m_timeEditor;
    m_window->attach(*m_dm, dialogs);
}

RunningProgram::~RunningProgram() {
    m_window.reset();
}

bool RunningProgram::show() {
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window.get());
}

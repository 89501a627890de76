#pragma once

#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "testsupport.h"
#include "timerec/timeentryeditor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <memory>
#include <optional>

// One project "Haus 'Süd'" (01.06.2009 to 30.06.2009) with the open tasks "Entwurf"
// (22.06.2009 to 24.06.2009) and "Umsetzung" (no dates), the done task "Abnahme"
// (01.06.2009 to 10.06.2009) and a second project; the time entry editor over a shown main
// window, the project current, its time entries and open tasks loaded.
struct TimeFixture {
    TestEnvironment env;
    Tdm dm{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    QWidget mainWindow;
    std::unique_ptr<TForm6> form;
    int project = 0;
    int otherProject = 0;
    int entwurf = 0;
    int umsetzung = 0;
    int abnahme = 0;

    static double day(int y, int m, int d) { return DateTimeValue::fromDate(QDate(y, m, d)); }

    int insert(const QString& table, const QList<QPair<QString, QVariant>>& values) {
        Dataset data(dm.ADOConnection1, QStringLiteral("fill"));
        data.setSql(QStringLiteral("Select * From ") + table);
        data.open();
        data.append();
        for (const auto& [column, value] : values) {
            if (value.typeId() == QMetaType::Double)
                data.fieldByName(column).setAsDateTime(value.toDouble());
            else if (value.typeId() == QMetaType::Int)
                data.fieldByName(column).setAsInteger(value.toInt());
            else
                data.fieldByName(column).setAsString(value.toString());
        }
        data.post();
        return data.field(0).asInteger();
    }
    int addProject(const QString& title, std::optional<double> von, std::optional<double> bis) {
        QList<QPair<QString, QVariant>> values{{QStringLiteral("Bezeichnung"), title},
                                               {QStringLiteral("Archiv"), 0}};
        if (von)
            values.append({QStringLiteral("Von"), *von});
        if (bis)
            values.append({QStringLiteral("Bis"), *bis});
        return insert(QStringLiteral("Projects"), values);
    }
    int addTask(int nr, const QString& title, std::optional<double> von, std::optional<double> bis,
                bool done = false) {
        QList<QPair<QString, QVariant>> values{{QStringLiteral("AProjectnr"), nr},
                                               {QStringLiteral("ABezeichnung"), title}};
        if (von)
            values.append({QStringLiteral("AVon"), *von});
        if (bis)
            values.append({QStringLiteral("ABis"), *bis});
        if (done)
            values.append({QStringLiteral("AErledigt"), day(2009, 6, 10)});
        return insert(QStringLiteral("Aufgaben"), values);
    }
    // A stored entry of the project; an effort of NaN leaves it empty.
    int addEntry(int task, double effort, const QString& title = QStringLiteral("Eintrag")) {
        QList<QPair<QString, QVariant>> values{{QStringLiteral("PRID"), project},
                                               {QStringLiteral("Bezeichnung"), title},
                                               {QStringLiteral("VonDatum"), day(2009, 6, 23)},
                                               {QStringLiteral("BisDatum"), day(2009, 6, 23)}};
        if (task != 0)
            values.append({QStringLiteral("AID"), task});
        if (effort == effort)
            values.append({QStringLiteral("Aufwand"), effort});
        return insert(QStringLiteral("PRZeiten"), values);
    }

    bool start(bool projectPeriod = true) {
        env.connectDataModule(dm);
        insert(QStringLiteral("HumanResources"),
               {{QStringLiteral("Bezeichnung"), QStringLiteral("Anna Schmidt")}});
        insert(QStringLiteral("HumanResources"),
               {{QStringLiteral("Bezeichnung"), QStringLiteral("Ben Ott")}});
        insert(QStringLiteral("HumanResources"),
               {{QStringLiteral("Bezeichnung"), QStringLiteral("Alt")},
                {QStringLiteral("del"), QStringLiteral("Wahr")}});
        otherProject = addProject(QStringLiteral("Anderes"), day(2009, 1, 1), day(2009, 12, 31));
        project = projectPeriod
                      ? addProject(QStringLiteral("Haus 'Süd'"), day(2009, 6, 1), day(2009, 6, 30))
                      : addProject(QStringLiteral("Haus 'Süd'"), std::nullopt, std::nullopt);
        entwurf = addTask(project, QStringLiteral("Entwurf"), day(2009, 6, 22), day(2009, 6, 24));
        umsetzung = addTask(project, QStringLiteral("Umsetzung"), std::nullopt, std::nullopt);
        abnahme =
            addTask(project, QStringLiteral("Abnahme"), day(2009, 6, 1), day(2009, 6, 10), true);
        addTask(otherProject, QStringLiteral("Fremd"), std::nullopt, std::nullopt);

        dm.Verantw.open();
        dm.Projekte.setSql(QStringLiteral("Select * from Projects where Nr=") +
                           QString::number(project));
        dm.Projekte.open();
        loadTasks();
        loadTimes();

        mainWindow.resize(1000, 700);
        mainWindow.show();
        env.dialogs().setMainWindow(&mainWindow);
        form = std::make_unique<TForm6>(dm, &mainWindow);
        // As the task list re-runs for the open project.
        form->effortTotals().setTaskListRerun([this] { loadTasks(); });
        return QTest::qWaitForWindowActive(&mainWindow);
    }
    void loadTasks() {
        dm.Aufgaben.close();
        dm.Aufgaben.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") +
                           QString::number(project) + QStringLiteral(" and aerledigt is null"));
        dm.Aufgaben.open();
    }
    void loadTimes() {
        dm.Time.close();
        dm.Time.setSql(QStringLiteral("Select * From PRZeiten where PRID=") +
                       QString::number(project));
        dm.Time.open();
    }
    bool shown() {
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); });
    }

    template <typename W = QWidget> W* get(const char* name) {
        return form->findChild<W*>(QLatin1String(name));
    }
    QString text(const char* name) { return get<QLineEdit>(name)->text(); }
    QString effortShown() { return get<QLabel>("Label3")->text(); }
    void typeInto(const char* name, const QString& text) {
        QWidget* field = get(name);
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    // A time field as the user types it when tabbing in: "HHmmss", from the hours on.
    void typeTime(const char* name, const QString& digits) {
        QWidget* field = get(name);
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, digits);
    }
    void leave() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    void save() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier); }
    void cancel() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier); }

    // What the database holds, read afresh.
    std::unique_ptr<Dataset> stored(const QString& sql) {
        auto check = std::make_unique<Dataset>(dm.ADOConnection1, QStringLiteral("check"));
        check->setSql(sql);
        check->open();
        return check;
    }
    std::unique_ptr<Dataset> entry(int id) {
        return stored(QStringLiteral("Select * From PRZeiten where ID=") + QString::number(id));
    }
    std::unique_ptr<Dataset> lastEntry() {
        return stored(QStringLiteral("Select * From PRZeiten order by ID desc"));
    }
    int entryCount() { return stored(QStringLiteral("Select * From PRZeiten"))->recordCount(); }
    std::optional<double> taskTotal(int anr) {
        auto task =
            stored(QStringLiteral("Select * From Aufgaben where Anr=") + QString::number(anr));
        Field total = task->fieldByName(QStringLiteral("AGesamtZeit"));
        if (total.isNull())
            return std::nullopt;
        return total.asDateTime();
    }
    QString projectTotal() {
        return stored(QStringLiteral("Select * From Projects where Nr=") + QString::number(project))
            ->fieldByName(QStringLiteral("GesamtZeit"))
            .asString();
    }
};

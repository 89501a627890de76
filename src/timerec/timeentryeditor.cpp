#include "timerec/timeentryeditor.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "masterdata/entryfocus.h"
#include "masterdata/lookupfield.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "timerec/periodfields.h"
#include "timerec/taskchoice.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 560;
constexpr int ClientHeight = 430;

template <typename W> W* named(QWidget* parent, const char* name) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* label(QWidget* parent, const QString& text) {
    auto* caption = new QLabel(text, parent);
    caption->setTextFormat(Qt::PlainText);
    return caption;
}

std::optional<double> dateOf(Dataset& data, const QString& column) {
    Field field = data.fieldByName(column);
    if (field.isNull())
        return std::nullopt;
    return field.asDateTime();
}

QDate readDate(const QString& text) {
    const auto date = DateTimeValue::parseShortDate(text);
    if (!date)
        throw DataError(QStringLiteral("'%1' ist kein gültiges Datum.").arg(text));
    return *date;
}

// "Zeiterfassung zu Projekt: 'Titel'", a quote inside the title doubled.
QString captionFor(const QString& projectTitle) {
    QString title = projectTitle;
    title.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("Zeiterfassung zu Projekt: '") + title + QLatin1Char('\'');
}

} // namespace

TForm6::TForm6(Tdm& dm, QWidget* mainWindow)
    : EntryDialog(mainWindow, "AdvGlowButton2", "AdvGlowButton1"), m_dm(dm), m_totals(dm) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Zeiterfassung"));
    buildWindow();
    setTabOrder();
    setClientSize(ClientWidth, ClientHeight);
}

void TForm6::buildWindow() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->setSpacing(8);

    auto* panel = named<QFrame>(this, "AdvPanel1");
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    outer->addWidget(panel, 1);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    DataSource* source = m_dm.TimeDS();

    DBLUEdit1 = named<BoundLineEdit>(panel, "DBLUEdit1");
    DBLUEdit1->bind(source, QStringLiteral("Bezeichnung"));
    grid->addWidget(label(panel, QStringLiteral("Bezeichnung:")), 0, 0);
    grid->addWidget(DBLUEdit1, 0, 1, 1, 4);

    DBLookupComboBox1 = named<TaskChoice>(panel, "DBLookupComboBox1");
    DBLookupComboBox1->setList(m_dm.Aufgaben, QStringLiteral("Anr"),
                               QStringLiteral("ABezeichnung"));
    DBLookupComboBox1->bind(source, QStringLiteral("AID"));
    AdvGlowButton3 = named<QToolButton>(panel, "AdvGlowButton3");
    AdvGlowButton3->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    AdvGlowButton3->setToolTip(QStringLiteral("Aufgabe entfernen"));
    AdvGlowButton3->setAutoRaise(true);
    auto* task = new QHBoxLayout;
    task->setSpacing(2);
    task->addWidget(DBLookupComboBox1, 1);
    task->addWidget(AdvGlowButton3);
    grid->addWidget(label(panel, QStringLiteral("Zur Aufgabe:")), 1, 0);
    grid->addLayout(task, 1, 1, 1, 4);

    Durchgef = named<LookupField>(panel, "Durchgef");
    Durchgef->bind(source, QStringLiteral("Bearbeiter"));
    grid->addWidget(label(panel, QStringLiteral("Durchgeführt von:")), 2, 0);
    grid->addWidget(Durchgef, 2, 1, 1, 4);

    DatumVon = named<PeriodDateField>(panel, "DatumVon");
    AdvDateTimePicker1 = named<PeriodTimeField>(panel, "AdvDateTimePicker1");
    grid->addWidget(label(panel, QStringLiteral("Von:")), 3, 0);
    grid->addWidget(DatumVon, 3, 1);
    grid->addWidget(AdvDateTimePicker1, 3, 2);

    DatumBis = named<PeriodDateField>(panel, "DatumBis");
    AdvDateTimePicker2 = named<PeriodTimeField>(panel, "AdvDateTimePicker2");
    Label3 = named<QLabel>(panel, "Label3");
    Label3->setTextFormat(Qt::PlainText);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setMinimumWidth(60);
    grid->addWidget(label(panel, QStringLiteral("Bis:")), 4, 0);
    grid->addWidget(DatumBis, 4, 1);
    grid->addWidget(AdvDateTimePicker2, 4, 2);
    grid->addWidget(label(panel, QStringLiteral("Zeitaufwand:")), 4, 3, Qt::AlignRight);
    grid->addWidget(Label3, 4, 4);

    DBAdvMemo1 = named<BoundMemo>(panel, "DBAdvMemo1");
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    DBAdvMemo1->setFont(fixed);
    DBAdvMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    DBAdvMemo1->setTabWidthChars(4);
    DBAdvMemo1->bind(source, QStringLiteral("Beschreibung"));
    grid->addWidget(label(panel, QStringLiteral("Bemerkungen:")), 5, 0, 1, 5);
    grid->addWidget(DBAdvMemo1, 6, 0, 1, 5);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);

    outer->addLayout(buttonRow());

    const auto recompute = [this] { runGuarded([this] { DatumVonExit(); }); };
    for (PeriodDateField* date : {DatumVon, DatumBis}) {
        connect(date, &PeriodDateField::left, this, recompute);
        connect(date, &QLineEdit::textChanged, this, [this] {
            if (!m_filling)
                m_datePending = true;
        });
    }
    for (PeriodTimeField* time : {AdvDateTimePicker1, AdvDateTimePicker2}) {
        connect(time, &PeriodTimeField::left, this, recompute);
        connect(time, &QTimeEdit::timeChanged, this, recompute);
    }
    connect(AdvGlowButton3, &QToolButton::clicked, this,
            [this] { runGuarded([this] { AdvGlowButton3Click(); }); });
}

void TForm6::setTabOrder() {
    const QList<QWidget*> order{DBLUEdit1,          DBLookupComboBox1,  Durchgef,
                                DatumVon,           AdvDateTimePicker1, DatumBis,
                                AdvDateTimePicker2, AdvGlowButton3,     DBAdvMemo1,
                                saveButton(),       cancelButton()};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    AdvGlowButton3->setFocusPolicy(Qt::TabFocus);
    Label3->setFocusPolicy(Qt::NoFocus);
}

void TForm6::setRemarkTabWidth(int chars) {
    DBAdvMemo1->setTabWidthChars(chars);
}

void TForm6::showEffort(const QString& text) {
    Label3->setText(text);
}

void TForm6::newEntry() {
    Dataset& projects = m_dm.Projekte;
    const int nr = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    const QString title = projects.fieldByName(QStringLiteral("Bezeichnung")).asString();

    // The open tasks of the project are what a new entry may be booked on.
    Dataset& tasks = m_dm.Aufgaben;
    tasks.close();
    tasks.setSql(QStringLiteral("Select * From Aufgaben where AProjectnr=") + QString::number(nr) +
                 QStringLiteral(" and aerledigt is null"));
    tasks.open();
    m_removedTask = 0;
    m_openedTask = 0;
    m_datePending = false;
    setWindowTitle(captionFor(title));

    Dataset& times = m_dm.Time;
    times.append();
    times.fieldByName(QStringLiteral("PRID")).setAsInteger(nr);
    {
        QScopedValueRollback<bool> filling(m_filling, true);
        const QString today = DateTimeValue::shortDateText(QDate::currentDate());
        DatumVon->setText(today);
        DatumBis->setText(today);
        AdvDateTimePicker1->setDayFraction(0);
        AdvDateTimePicker2->setDayFraction(0);
        showEffort(QStringLiteral("00:00"));
    }
    showOverMainWindow();
    DBLUEdit1->setFocus(Qt::OtherFocusReason);
}

void TForm6::editEntry() {
    Dataset& times = m_dm.Time;
    if (!times.active() || times.isEmpty())
        return;
    m_removedTask = 0;
    m_datePending = false;
    times.edit();
    Field task = times.fieldByName(QStringLiteral("AID"));
    m_openedTask = task.isNull() ? 0 : task.asInteger();
    if (m_dm.Projekte.active() && m_dm.Projekte.recNo() >= 0)
        setWindowTitle(
            captionFor(m_dm.Projekte.fieldByName(QStringLiteral("Bezeichnung")).asString()));
    fillPeriod();
    showOverMainWindow();
    DBLUEdit1->setFocus(Qt::OtherFocusReason);
}

// The stored period as it is: the effort is not recomputed while the fields are filled.
void TForm6::fillPeriod() {
    QScopedValueRollback<bool> filling(m_filling, true);
    Dataset& times = m_dm.Time;
    const auto dateText = [&](const QString& column) {
        const auto value = dateOf(times, column);
        return value ? DateTimeValue::shortDateText(*value) : QString();
    };
    DatumVon->setText(dateText(QStringLiteral("VonDatum")));
    DatumBis->setText(dateText(QStringLiteral("BisDatum")));
    AdvDateTimePicker1->setDayFraction(dateOf(times, QStringLiteral("VonUhrzeit")).value_or(0));
    AdvDateTimePicker2->setDayFraction(dateOf(times, QStringLiteral("BisUhrzeit")).value_or(0));
    const auto effort = dateOf(times, QStringLiteral("Aufwand"));
    showEffort(effort ? showtime(*effort) : QStringLiteral("00:00"));
}

void TForm6::FormShow() {
    Durchgef->setChoicesFrom(m_dm.Verantw, QStringLiteral("Bezeichnung"));
}

void TForm6::AdvGlowButton3Click() {
    Dataset& times = m_dm.Time;
    Field task = times.fieldByName(QStringLiteral("AID"));
    m_removedTask = task.isNull() ? 0 : task.asInteger();
    task.clear();
}

void TForm6::DatumVonExit() {
    if (m_filling)
        return;
    m_datePending = false;
    // Either date missing, or a text that is no date (the date rule deals with it): the effort
    // stays as it is.
    if (DatumVon->text().isEmpty() || DatumBis->text().isEmpty())
        return;
    const auto von = DateTimeValue::parseShortDate(DatumVon->text());
    const auto bis = DateTimeValue::parseShortDate(DatumBis->text());
    if (!von || !bis)
        return;
    const double endTime = AdvDateTimePicker2->dayFraction();
    // Whole days and the times of day apart, so that no rounding of large day numbers creeps in.
    const double difference = double(bis->toJulianDay() - von->toJulianDay()) + endTime -
                              AdvDateTimePicker1->dayFraction();

    Dataset& times = m_dm.Time;
    const bool editing =
        times.state() == Dataset::State::Edit || times.state() == Dataset::State::Insert;
    if (difference >= 0 || endTime == 0) {
        if (editing)
            times.fieldByName(QStringLiteral("Aufwand")).setAsDateTime(difference);
        showEffort(showtime(difference));
        return;
    }
    MessageDialogs::instance().error(
        QStringLiteral("Fehler!"),
        QStringLiteral("Das Ende des eingegebenen Zeitraums kann nicht vor dem Begin sein!"));
    EntryFocus::regainWindow(this);
    if (editing)
        times.fieldByName(QStringLiteral("Aufwand")).setAsDateTime(0);
    showEffort(QStringLiteral("00:00"));
}

TForm6::TaskPeriod TForm6::chosenTask(int anr) {
    TaskPeriod task;
    const auto read = [&](Dataset& tasks) {
        task.found = true;
        task.title = tasks.fieldByName(QStringLiteral("ABezeichnung")).asString();
        task.von = dateOf(tasks, QStringLiteral("AVon"));
        task.bis = dateOf(tasks, QStringLiteral("ABis"));
    };
    // The task choice stands on the chosen task.
    Dataset& tasks = m_dm.Aufgaben;
    if (tasks.active()) {
        const int key = tasks.fieldIndex(QStringLiteral("Anr"));
        for (int row = 0; key >= 0 && row < tasks.recordCount(); ++row) {
            if (!tasks.isNull(row, key) && tasks.value(row, key).toInt() == anr) {
                tasks.moveTo(row);
                read(tasks);
                return task;
            }
        }
    }
    // A task done since the entry was booked is not among the choices: its own row counts.
    Dataset one(m_dm.ADOConnection1, QStringLiteral("ZeitAufgabe"));
    one.setSql(QStringLiteral("Select * From Aufgaben where Anr=") + QString::number(anr));
    one.open();
    if (!one.isEmpty())
        read(one);
    return task;
}

bool TForm6::periodAccepted(const QString& title, const QString& firstLine,
                            PeriodDateField* field) {
    const auto answer = MessageDialogs::instance().yesNoQuestion(
        title, firstLine + QStringLiteral("\nSoll die Zeit trotzdem übernommen werden?"));
    EntryFocus::regainWindow(this);
    if (answer == MessageDialogs::Answer::Yes)
        return true;
    EntryFocus::returnFocus(field);
    return false;
}

bool TForm6::storeEntry() {
    Dataset& times = m_dm.Time;
    // A total that failed after the entry was stored: saving again stores it and the totals.
    if (times.state() == Dataset::State::Browse)
        times.edit();
    // Saved straight from a changed date field: the effort must belong to the period stored.
    if (m_datePending)
        DatumVonExit();

    Field taskField = times.fieldByName(QStringLiteral("AID"));
    const int anr = taskField.isNull() ? 0 : taskField.asInteger();
    const TaskPeriod task = anr != 0 ? chosenTask(anr) : TaskPeriod{};
    std::optional<double> limitVon;
    std::optional<double> limitBis;
    if (anr != 0) {
        limitVon = task.von;
        limitBis = task.bis;
    } else if (m_dm.Projekte.active() && m_dm.Projekte.recNo() >= 0) {
        limitVon = dateOf(m_dm.Projekte, QStringLiteral("Von"));
        limitBis = dateOf(m_dm.Projekte, QStringLiteral("Bis"));
    }
    const QString title = QStringLiteral("Projektfehler!");

    // Only the dates take part in the checks; a period without a limit is not checked.
    if (const QString text = DatumVon->text(); !text.isEmpty()) {
        const QDate date = readDate(text);
        if (limitVon && date < DateTimeValue::toDate(*limitVon) &&
            !periodAccepted(title,
                            anr != 0
                                ? QStringLiteral("Die Anfangszeit der Zeiterfassung liegt vor dem "
                                                 "Beginn der Aufgabe.")
                                : QStringLiteral("Die Anfangszeit der Zeiterfassung liegt vor dem "
                                                 "Startdatums des Projektes."),
                            DatumVon))
            return false;
        times.fieldByName(QStringLiteral("VonDatum")).setAsDateTime(DateTimeValue::fromDate(date));
    } else {
        times.fieldByName(QStringLiteral("VonDatum")).clear();
    }
    if (const QString text = DatumBis->text(); !text.isEmpty()) {
        const QDate date = readDate(text);
        if (limitBis && date > DateTimeValue::toDate(*limitBis) &&
            !periodAccepted(
                title,
                anr != 0
                    ? QStringLiteral("Das Ende der Zeiterfassung liegt nach dem Ende der Aufgabe.")
                    : QStringLiteral("Das Ende der Zeiterfassung liegt nach dem Projektende."),
                DatumBis))
            return false;
        times.fieldByName(QStringLiteral("BisDatum")).setAsDateTime(DateTimeValue::fromDate(date));
    } else {
        times.fieldByName(QStringLiteral("BisDatum")).clear();
    }

    // 00:00:00 and no time are the same: such a time is stored empty.
    const auto storeTime = [&](const QString& column, const PeriodTimeField* field) {
        const double time = field->dayFraction();
        if (time == 0)
            times.fieldByName(column).clear();
        else
            times.fieldByName(column).setAsDateTime(time);
    };
    storeTime(QStringLiteral("VonUhrzeit"), AdvDateTimePicker1);
    storeTime(QStringLiteral("BisUhrzeit"), AdvDateTimePicker2);

    // Without a task the entry carries no task title; a task found nowhere (deleted since)
    // leaves the title the entry copied.
    Field taskTitle = times.fieldByName(QStringLiteral("ABezeichnung"));
    if (anr == 0)
        taskTitle.clear();
    else if (task.found)
        taskTitle.setAsString(task.title);

    times.post();
    m_totals.update({anr, m_removedTask, m_openedTask});
    return true;
}

void TForm6::save() {
    bool stored = false;
    if (!runGuarded([&] { stored = storeEntry(); })) {
        stayAfterError();
        return;
    }
    if (stored)
        finish();
}

void TForm6::cancel() {
    if (!runGuarded([&] { m_dm.Time.cancel(); })) {
        stayAfterError();
        return;
    }
    finish();
}

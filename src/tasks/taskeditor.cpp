#include "tasks/taskeditor.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "lists/donebar.h"
#include "masterdata/datefield.h"
#include "masterdata/entryfocus.h"
#include "masterdata/lookupfield.h"
#include "platform/guarded.h"
#include "platform/messagedialogs.h"
#include "tasks/linkhighlighter.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 729;
constexpr int ClientHeight = 511;
constexpr int TextWidth = 590;
constexpr int ChoiceWidth = 232;
constexpr int DateWidth = 112;
constexpr int PercentWidth = 47;
constexpr int BarWidth = 90;

template <typename W> W* named(QWidget* parent, const char* name) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QFrame* panel(QWidget* parent, const char* name) {
    auto* frame = named<QFrame>(parent, name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel* label(QWidget* parent, const QString& text) {
    auto* caption = new QLabel(text, parent);
    caption->setTextFormat(Qt::PlainText);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    return caption;
}

QString dateText(Dataset& data, const QString& column) {
    Field field = data.fieldByName(column);
    return field.isNull() ? QString() : DateTimeValue::shortDateText(field.asDateTime());
}

// The date a field's text denotes; a text that is no date stops the save.
double dateOf(const QString& text) {
    const auto date = DateTimeValue::parseShortDate(text);
    if (!date)
        throw DataError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
    return DateTimeValue::fromDate(*date);
}

void storeDate(Dataset& tasks, const QString& column, const QString& text) {
    Field field = tasks.fieldByName(column);
    if (text.isEmpty())
        field.clear();
    else
        field.setAsDateTime(dateOf(text));
}

std::optional<double> optionalDate(Dataset& data, const QString& column) {
    Field field = data.fieldByName(column);
    if (field.isNull())
        return std::nullopt;
    return field.asDateTime();
}

// Each distinct non-empty text of the column once, in the dataset's order.
QStringList choicesOf(Dataset& master, const QString& column) {
    QStringList texts;
    if (!master.active())
        return texts;
    const int index = master.fieldIndex(column);
    if (index < 0)
        return texts;
    for (int row = 0; row < master.recordCount(); ++row) {
        const QString text = master.text(row, index);
        if (!text.isEmpty() && !texts.contains(text))
            texts << text;
    }
    return texts;
}

void fillChoices(LookupField* field, const QStringList& texts) {
    // The text from the bound row stays, whether or not it is among the choices.
    const QString typed = field->currentText();
    field->clear();
    field->addItems(texts);
    field->setCurrentIndex(field->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (field->currentText() != typed)
        field->setEditText(typed);
}

} // namespace

TaskProject TaskProject::fromCurrentRow(Dataset& projects) {
    TaskProject project;
    if (!projects.active() || projects.recNo() < 0)
        return project;
    project.nr = projects.fieldByName(QStringLiteral("Nr")).asInteger();
    project.title = projects.fieldByName(QStringLiteral("Bezeichnung")).asString();
    project.from = optionalDate(projects, QStringLiteral("Von"));
    project.to = optionalDate(projects, QStringLiteral("Bis"));
    return project;
}

TForm5::TForm5(Tdm& dm, QWidget* mainWindow)
    : EntryDialog(mainWindow, "AdvGlowButton2", "AdvGlowButton1"), m_dm(dm) {
    setObjectName(QStringLiteral("Form5"));
    buildWindow();
    setTabOrder();
    setClientSize(ClientWidth, ClientHeight);
}

void TForm5::buildWindow() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    QFrame* fields = panel(this, "PN_Aufgabe");
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    DataSource* source = m_dm.AufgabenDS();
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field) {
        grid->addWidget(label(fields, caption), row, 0);
        grid->addWidget(field, row, 1, Qt::AlignLeft);
        ++row;
    };
    // The two long text fields take their design width where the font leaves room for it.
    const auto textField = [&](BoundLineEdit* field) {
        field->setMaximumWidth(TextWidth);
        field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        field->setMaxLength(255);
    };

    ABezeichnung = named<BoundLineEdit>(fields, "ABezeichnung");
    textField(ABezeichnung);
    ABezeichnung->bind(source, QStringLiteral("ABezeichnung"));
    grid->addWidget(label(fields, QStringLiteral("Bezeichnung:")), row, 0);
    grid->addWidget(ABezeichnung, row++, 1);

    APrio = named<LookupField>(fields, "APrio");
    APrio->setFixedWidth(ChoiceWidth);
    APrio->lineEdit()->setMaxLength(255);
    APrio->bind(source, QStringLiteral("APrioBez"));
    APrio->setMasterRule(m_dm.Prioquery, QStringLiteral("Prio"),
                         {MasterRefresh::Reopen, {}, {}, {}});
    addRow(QStringLiteral("Priorität:"), APrio);

    // The column holds 50 characters: a longer name could never be stored.
    ADelegiert = named<LookupField>(fields, "ADelegiert");
    ADelegiert->setFixedWidth(ChoiceWidth);
    ADelegiert->lineEdit()->setMaxLength(50);
    ADelegiert->bind(source, QStringLiteral("ADelegiert"));
    ADelegiert->setMasterRule(m_dm.Verantw, QStringLiteral("Bezeichnung"),
                              {MasterRefresh::OpenIfClosed, {}, {}, {}});
    addRow(QStringLiteral("Delegiert an:"), ADelegiert);

    AVermerk = named<BoundLineEdit>(fields, "AVermerk");
    textField(AVermerk);
    AVermerk->bind(source, QStringLiteral("AVermerk"));
    grid->addWidget(label(fields, QStringLiteral("Vermerk:")), row, 0);
    grid->addWidget(AVermerk, row++, 1);

    AVon = named<DateField>(fields, "AVon");
    ABis = named<DateField>(fields, "ABis");
    AWV = named<DateField>(fields, "AWV");
    AErledigt = named<DateField>(fields, "AErledigt");
    for (DateField* date : {AVon, ABis, AWV, AErledigt})
        date->setFixedWidth(DateWidth);
    auto* period = new QHBoxLayout;
    period->setSpacing(10);
    period->addWidget(AVon);
    period->addWidget(label(fields, QStringLiteral("Bis:")));
    period->addWidget(ABis);
    period->addStretch(1);
    grid->addWidget(label(fields, QStringLiteral("Von:")), row, 0);
    grid->addLayout(period, row, 1);
    ++row;

    addRow(QStringLiteral("Wiedervorlage:"), AWV);

    AerledigtP = named<BoundSpinBox>(fields, "AerledigtP");
    AerledigtP->setRange(0, 100);
    AerledigtP->setSingleStep(1);
    AerledigtP->setFixedWidth(PercentWidth);
    AerledigtP->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    AerledigtP->bind(source, QStringLiteral("AErledigtP"));
    AdvProgressBar1 = named<DoneBar>(fields, "AdvProgressBar1");
    AdvProgressBar1->setRange(0, 100);
    AdvProgressBar1->setFixedWidth(BarWidth);
    AdvProgressBar1->setValue(AerledigtP->value());
    auto* done = new QHBoxLayout;
    done->setSpacing(6);
    done->addWidget(AerledigtP);
    done->addWidget(new QLabel(QStringLiteral("%"), fields));
    done->addWidget(AdvProgressBar1);
    done->addStretch(1);
    grid->addWidget(label(fields, QStringLiteral("Erledigt:")), row, 0);
    grid->addLayout(done, row, 1);
    ++row;
    connect(AerledigtP, &QSpinBox::valueChanged, this, [this] {
        if (!m_opening)
            m_percentageChanged = true;
        AerledigtPChange();
    });

    addRow(QStringLiteral("Erledigt am:"), AErledigt);
    grid->setColumnStretch(1, 1);
    outer->addWidget(fields);

    QFrame* remarks = panel(this, "PN_Bemerkungen");
    auto* remarksLayout = new QVBoxLayout(remarks);
    remarksLayout->setContentsMargins(10, 6, 10, 8);
    remarksLayout->setSpacing(3);
    remarksLayout->addWidget(label(remarks, QStringLiteral("Bemerkungen:")));
    ABeschreibung = named<BoundMemo>(remarks, "ABeschreibung");
    applyRemarksLook(ABeschreibung);
    ABeschreibung->setTabWidthChars(4);
    ABeschreibung->setMinimumHeight(120);
    ABeschreibung->bind(source, QStringLiteral("ABeschreibung"));
    remarksLayout->addWidget(ABeschreibung, 1);
    outer->addWidget(remarks, 1);

    outer->addLayout(buttonRow());
}

void TForm5::setTabOrder() {
    const QList<QWidget*> order{ABezeichnung, APrio,         ADelegiert,   AVermerk,
                                AVon,         ABis,          AWV,          AerledigtP,
                                AErledigt,    ABeschreibung, saveButton(), cancelButton()};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    AdvProgressBar1->setFocusPolicy(Qt::NoFocus);
}

void TForm5::setRemarkTabWidth(int chars) {
    ABeschreibung->setTabWidthChars(chars);
}

QString TForm5::captionFor(const QString& projectTitle) {
    QString title = projectTitle;
    title.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral("Aufgabe zu Projekt: '") + title + QLatin1Char('\'');
}

void TForm5::newTask(const TaskProject& project) {
    Dataset& tasks = m_dm.Aufgaben;
    QScopedValueRollback<bool> opening(m_opening, true);
    tasks.append();
    try {
        tasks.fieldByName(QStringLiteral("AProjectnr")).setAsInteger(project.nr);
        // The spinner is bound: a new task is stored with 0 percent.
        tasks.fieldByName(QStringLiteral("AErledigtP")).setAsInteger(0);
    } catch (...) {
        tasks.cancel();
        throw;
    }
    AerledigtP->setValue(0);
    AVon->setText(DateTimeValue::shortDateText(DateTimeValue::today()));
    ABis->clear();
    AWV->clear();
    AErledigt->clear();
    open(project);
}

void TForm5::editTask(const TaskProject& project) {
    Dataset& tasks = m_dm.Aufgaben;
    QScopedValueRollback<bool> opening(m_opening, true);
    // With no row an edit would start a new task of no project, which no list would show.
    if (!tasks.active() || tasks.isEmpty())
        return;
    tasks.edit();
    try {
        AerledigtP->reload();
        AVon->setText(dateText(tasks, QStringLiteral("AVon")));
        ABis->setText(dateText(tasks, QStringLiteral("ABis")));
        AWV->setText(dateText(tasks, QStringLiteral("AWV")));
        AErledigt->setText(dateText(tasks, QStringLiteral("AErledigt")));
    } catch (...) {
        tasks.cancel();
        throw;
    }
    open(project);
}

void TForm5::open(const TaskProject& project) {
    m_project = project;
    m_percentageChanged = false;
    AdvProgressBar1->setValue(AerledigtP->value());
    setWindowTitle(captionFor(project.title));
    showOverMainWindow();
    ABezeichnung->setFocus(Qt::OtherFocusReason);
}

void TForm5::FormShow() {
    fillChoices(APrio, choicesOf(m_dm.Prioquery, QStringLiteral("Prio")));
    fillChoices(ADelegiert, choicesOf(m_dm.Verantw, QStringLiteral("Bezeichnung")));
}

bool TForm5::storePeriodDate(DateField* field, const QString& column, bool start) {
    Dataset& tasks = m_dm.Aufgaben;
    const QString text = field->text();
    if (text.isEmpty()) {
        tasks.fieldByName(column).clear();
        return true;
    }
    const double date = dateOf(text);
    // A project without a start or an end sets no limit on that side.
    const std::optional<double>& limit = start ? m_project.from : m_project.to;
    if (limit && (start ? date < *limit : date > *limit)) {
        const QString question =
            start ? QStringLiteral("Die Anfangszeit der Aufgabe liegt vor des Startdatums des "
                                   "Projektes.")
                  : QStringLiteral("Das Ende der Aufgabe liegt nach dem Projektende.");
        const auto answer = MessageDialogs::instance().yesNoQuestion(
            QStringLiteral("Projektfehler!"),
            question + QStringLiteral("\nSoll die Zeit trotzdem übernommen werden?"));
        EntryFocus::regainWindow(this);
        if (answer != MessageDialogs::Answer::Yes) {
            EntryFocus::returnFocus(field);
            return false;
        }
    }
    tasks.fieldByName(column).setAsDateTime(date);
    return true;
}

void TForm5::save() {
    Dataset& tasks = m_dm.Aufgaben;
    bool posted = false;
    bool changed = false;
    // A date that cannot be read or a row the engine refuses keeps the editor open with the
    // row pending, so the user can correct it or cancel.
    const bool ran = runGuarded([&] {
        if (!storePeriodDate(AVon, QStringLiteral("AVon"), true))
            return;
        if (!storePeriodDate(ABis, QStringLiteral("ABis"), false))
            return;
        storeDate(tasks, QStringLiteral("AErledigt"), AErledigt->text());
        storeDate(tasks, QStringLiteral("AWV"), AWV->text());
        changed = m_percentageChanged;
        tasks.post();
        posted = true;
    });
    if (!posted) {
        if (!ran)
            stayAfterError();
        return;
    }
    finish();
    Q_EMIT saved(changed);
}

void TForm5::cancel() {
    if (!runGuarded([&] { m_dm.Aufgaben.cancel(); })) {
        stayAfterError();
        return;
    }
    finish();
}

void TForm5::AerledigtPChange() {
    AdvProgressBar1->setValue(AerledigtP->value());
}

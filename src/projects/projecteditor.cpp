#include "projects/projecteditor.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "lists/donebar.h"
#include "masterdata/datefield.h"
#include "masterdata/lookupfield.h"
#include "platform/guarded.h"

#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 745;
constexpr int ClientHeight = 497;

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
    return caption;
}

// An empty date field leaves its column as it is; a text that is no date stops the save.
void storeDate(Dataset& projects, const QString& column, const QString& text) {
    if (text.isEmpty())
        return;
    const auto date = DateTimeValue::parseShortDate(text);
    if (!date)
        throw DataError(QStringLiteral("'%1' ist kein gültiges Datum.").arg(text));
    projects.fieldByName(column).setAsDateTime(DateTimeValue::fromDate(*date));
}

QString dateText(Dataset& projects, const QString& column) {
    Field field = projects.fieldByName(column);
    return field.isNull() ? QString() : DateTimeValue::shortDateText(field.asDateTime());
}

} // namespace

TForm3::TForm3(Tdm& dm, QWidget* mainWindow)
    : EntryDialog(mainWindow, "AdvGlowButton2", "AdvGlowButton1"), m_dm(dm) {
    setObjectName(QStringLiteral("Form3"));
    buildWindow();
    configureLookups();
    setTabOrder();
    setClientSize(ClientWidth, ClientHeight);
}

void TForm3::buildWindow() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setSpacing(8);

    m_masterPanel = panel(this, "PN_Stammdaten");
    m_remarksPanel = panel(this, "PN_Bemerkungen");
    m_periodPanel = panel(this, "PN_Zeitraum");
    buildMasterPanel(m_masterPanel);
    buildPeriodPanel(m_periodPanel);

    auto* remarks = new QVBoxLayout(m_remarksPanel);
    remarks->setContentsMargins(8, 6, 8, 8);
    remarks->addWidget(label(m_remarksPanel, QStringLiteral("Bemerkungen:")));
    DBAdvMemo1 = named<BoundMemo>(m_remarksPanel, "DBAdvMemo1");
    DBAdvMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    DBAdvMemo1->setTabWidthChars(4);
    DBAdvMemo1->bind(m_dm.ProjekteDS(), QStringLiteral("Beschreibung"));
    remarks->addWidget(DBAdvMemo1);

    grid->addWidget(m_masterPanel, 0, 0);
    grid->addWidget(m_remarksPanel, 1, 0);
    grid->addWidget(m_periodPanel, 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    grid->addLayout(buttonRow(), 2, 0, 1, 2);
}

void TForm3::buildMasterPanel(QFrame* frame) {
    auto* form = new QFormLayout(frame);
    form->setContentsMargins(8, 8, 8, 8);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    DataSource* source = m_dm.ProjekteDS();

    PrNummer = named<BoundLineEdit>(frame, "PrNummer");
    PrNummer->bind(source, QStringLiteral("Pojektnummer"));
    form->addRow(label(frame, QStringLiteral("Projektnummer:")), PrNummer);

    PRBezeichnung = named<BoundLineEdit>(frame, "PRBezeichnung");
    PRBezeichnung->bind(source, QStringLiteral("Bezeichnung"));
    form->addRow(label(frame, QStringLiteral("Projektbezeichnung:")), PRBezeichnung);

    const auto lookup = [&](LookupField*& field, const char* name, const char* column,
                            const QString& caption) {
        field = named<LookupField>(frame, name);
        field->bind(source, QLatin1String(column));
        form->addRow(label(frame, caption), field);
    };
    lookup(PrTyp, "PrTyp", "Typ", QStringLiteral("Projekttyp:"));
    lookup(PrAuftraggeber, "PrAuftraggeber", "Auftraggeber", QStringLiteral("Auftraggeber:"));
    lookup(PrKatBez, "PrKatBez", "KatBez", QStringLiteral("Kategorie:"));
    lookup(PrPrio, "PrPrio", "PrioBez", QStringLiteral("Priorität:"));
    lookup(PrStatus, "PrStatus", "Status", QStringLiteral("Status:"));
    lookup(PrVerantw, "PrVerantw", "Verantw", QStringLiteral("Verantwortlicher:"));
}

void TForm3::buildPeriodPanel(QFrame* frame) {
    auto* form = new QFormLayout(frame);
    form->setContentsMargins(8, 8, 8, 8);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    DataSource* source = m_dm.ProjekteDS();

    Zeitvon = named<DateField>(frame, "Zeitvon");
    ZeitBis = named<DateField>(frame, "ZeitBis");
    form->addRow(label(frame, QStringLiteral("Zeitraum:")), Zeitvon);
    form->addRow(QString(), ZeitBis);

    const auto text = [&](BoundLineEdit*& field, const char* name, const char* column,
                          const QString& caption) {
        field = named<BoundLineEdit>(frame, name);
        field->bind(source, QLatin1String(column));
        form->addRow(label(frame, caption), field);
    };
    text(PrGesamtZeit, "PrGesamtZeit", "GesamtZeit", QStringLiteral("Gesamt. Zeitaufwand:"));
    text(PrBudget, "PrBudget", "Budget", QStringLiteral("Budget:"));
    text(PrbenBudget, "PrbenBudget", "benBudget", QStringLiteral("verbrauchtes Budget:"));
    text(PrKM, "PrKM", "Gesamtkm", QStringLiteral("Kilometer Gesamt:"));

    PrerledigtP = named<BoundSpinBox>(frame, "PrerledigtP");
    PrerledigtP->setRange(0, 100);
    PrerledigtP->bind(source, QStringLiteral("ErledigtP"));
    PrerledigtPBar = named<DoneBar>(frame, "PrerledigtPBar");
    PrerledigtPBar->setValue(PrerledigtP->value());
    auto* done = new QHBoxLayout;
    done->addWidget(PrerledigtP);
    done->addWidget(PrerledigtPBar, 1);
    form->addRow(label(frame, QStringLiteral("Erledigt:")), done);
    connect(PrerledigtP, &QSpinBox::valueChanged, this, [this] { PrerledigtPChange(); });

    PRErledigt = named<DateField>(frame, "PRErledigt");
    form->addRow(label(frame, QStringLiteral("Erledigt am:")), PRErledigt);

    text(PrPreis, "PrPreis", "Pauschalpreis", QStringLiteral("Pauschalpreis:"));
}

void TForm3::configureLookups() {
    PrTyp->setMasterRule(m_dm.Typen, QStringLiteral("Bezeichnung"),
                         {MasterRefresh::ReplaceQuery,
                          QStringLiteral("Select * From Typen where zuord=1"),
                          QStringLiteral("zuord"), QStringLiteral("1")});
    PrAuftraggeber->setMasterRule(m_dm.Auftraggeber, QStringLiteral("Bezeichnung"),
                                  {MasterRefresh::ReplaceQuery,
                                   QStringLiteral("Select * From auftraggeber where not del"),
                                   {},
                                   {}});
    PrKatBez->setMasterRule(
        m_dm.Kategorien, QStringLiteral("Bezeichnung"),
        {MasterRefresh::ReplaceQuery, QStringLiteral("Select * From Kategorien"), {}, {}});
    PrPrio->setMasterRule(m_dm.Prioquery, QStringLiteral("Prio"),
                          {MasterRefresh::Reopen, {}, {}, {}});
    PrStatus->setMasterRule(m_dm.Status, QStringLiteral("Bezeichnung"),
                            {MasterRefresh::Reopen, {}, {}, {}});
    PrVerantw->setMasterRule(m_dm.Verantw, QStringLiteral("Bezeichnung"),
                             {MasterRefresh::OpenIfClosed, {}, {}, {}});
}

void TForm3::setTabOrder() {
    const QList<QWidget*> order{
        saveButton(), cancelButton(), PrNummer,    PRBezeichnung, PrTyp,   PrAuftraggeber, PrKatBez,
        PrPrio,       PrStatus,       PrVerantw,   Zeitvon,       ZeitBis, PrGesamtZeit,   PrBudget,
        PrbenBudget,  PrKM,           PrerledigtP, PRErledigt,    PrPreis, DBAdvMemo1};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    PrerledigtPBar->setFocusPolicy(Qt::NoFocus);
}

void TForm3::setRemarkTabWidth(int chars) {
    DBAdvMemo1->setTabWidthChars(chars);
}

void TForm3::newProject() {
    Dataset& projects = m_dm.Projekte;
    projects.append();
    Zeitvon->setText(DateTimeValue::shortDateText(QDate::currentDate()));
    ZeitBis->clear();
    PRErledigt->clear();
    // The spinner is bound: a new project is stored with 0 percent.
    projects.fieldByName(QStringLiteral("ErledigtP")).setAsInteger(0);
    PrerledigtP->setValue(0);
    setWindowTitle(QStringLiteral("Neues Projekt"));
    showOverMainWindow();
    PrNummer->setFocus(Qt::OtherFocusReason);
}

void TForm3::editProject() {
    Dataset& projects = m_dm.Projekte;
    projects.edit();
    Zeitvon->setText(dateText(projects, QStringLiteral("Von")));
    ZeitBis->setText(dateText(projects, QStringLiteral("Bis")));
    PRErledigt->setText(dateText(projects, QStringLiteral("Erledigt")));
    PrerledigtP->reload();
    setWindowTitle(QStringLiteral("Projekt bearbeiten"));
    showOverMainWindow();
}

void TForm3::FormShow() {
    PrTyp->setChoicesFrom(m_dm.Typen, QStringLiteral("Bezeichnung"));
    PrAuftraggeber->setChoicesFrom(m_dm.Auftraggeber, QStringLiteral("Bezeichnung"));
    PrKatBez->setChoicesFrom(m_dm.Kategorien, QStringLiteral("Bezeichnung"));
    PrPrio->setChoicesFrom(m_dm.Prioquery, QStringLiteral("Prio"));
    PrStatus->setChoicesFrom(m_dm.Status, QStringLiteral("Bezeichnung"));
    PrVerantw->setChoicesFrom(m_dm.Verantw, QStringLiteral("Bezeichnung"));
}

void TForm3::save() {
    Dataset& projects = m_dm.Projekte;
    // A date that cannot be read or a value the engine refuses keeps the editor open in its
    // state, so the user can correct it or cancel.
    const bool posted = runGuarded([&] {
        storeDate(projects, QStringLiteral("Von"), Zeitvon->text());
        storeDate(projects, QStringLiteral("Bis"), ZeitBis->text());
        storeDate(projects, QStringLiteral("Erledigt"), PRErledigt->text());
        projects.post();
    });
    if (!posted) {
        stayAfterError();
        return;
    }
    runGuarded([&] {
        Field done = projects.fieldByName(QStringLiteral("ErledigtP"));
        if (!done.isNull())
            Q_EMIT saved(done.asInteger());
    });
    finish();
}

void TForm3::cancel() {
    if (!runGuarded([&] { m_dm.Projekte.cancel(); })) {
        stayAfterError();
        return;
    }
    finish();
}

void TForm3::PrerledigtPChange() {
    PrerledigtPBar->setValue(PrerledigtP->value());
}

#include "app/projectdetailspage.h"

#include "app/remarkspanel.h"
#include "data/tdm.h"
#include "lists/boundcontrols.h"
#include "lists/donebar.h"

#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

QFrame* makePanel(const QString& name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    return panel;
}

QFormLayout* makeForm(QFrame* panel) {
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(8, 8, 8, 8);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(6);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    return form;
}

} // namespace

ProjectDetailsPage::ProjectDetailsPage(Tdm& dm, QWidget* parent) : QWidget(parent), m_dm(dm) {
    setObjectName(QStringLiteral("ProjectDetailsPage"));

    m_data1 = makePanel(QStringLiteral("PN_PRData1"), this);
    QFormLayout* form = makeForm(m_data1);
    addValue(form, QStringLiteral("Projektnummer:"), QStringLiteral("Pojektnummer"));
    addValue(form, QStringLiteral("Projektbezeichnung:"), QStringLiteral("Bezeichnung"));
    addValue(form, QStringLiteral("Projekttyp:"), QStringLiteral("Typ"));
    addValue(form, QStringLiteral("Auftraggeber:"), QStringLiteral("Auftraggeber"));
    addValue(form, QStringLiteral("Kategorie:"), QStringLiteral("KatBez"));
    addValue(form, QStringLiteral("Priorität:"), QStringLiteral("PrioBez"));
    addValue(form, QStringLiteral("Status:"), QStringLiteral("Status"));
    addValue(form, QStringLiteral("Verantwortlicher:"), QStringLiteral("Verantw"));

    m_data2 = makePanel(QStringLiteral("PN_PRData2"), this);
    form = makeForm(m_data2);
    // The period: its start, and below it its end.
    auto* period = new QWidget(m_data2);
    auto* periodLines = new QVBoxLayout(period);
    periodLines->setContentsMargins(0, 0, 0, 0);
    periodLines->setSpacing(2);
    for (const QString& field : {QStringLiteral("Von"), QStringLiteral("Bis")}) {
        auto* value = new BoundLabel(period);
        value->setObjectName(QStringLiteral("DB") + field);
        value->bind(dm.ProjekteDS(), field);
        periodLines->addWidget(value);
    }
    form->addRow(new QLabel(QStringLiteral("Zeitraum:"), m_data2), period);
    addValue(form, QStringLiteral("Gesamt. Zeitaufwand:"), QStringLiteral("GesamtZeit"));
    addValue(form, QStringLiteral("Budget:"), QStringLiteral("Budget"));
    addValue(form, QStringLiteral("verbrauchtes Budget:"), QStringLiteral("benBudget"));
    addValue(form, QStringLiteral("Kilometer Gesamt:"), QStringLiteral("Gesamtkm"));
    // One colour over the whole range, as the lists draw it.
    m_doneBar = new DoneBar(m_data2);
    m_doneBar->setObjectName(QStringLiteral("PRErledigtBar"));
    form->addRow(new QLabel(QStringLiteral("Erledigt:"), m_data2), m_doneBar);
    addValue(form, QStringLiteral("Erledigt am:"), QStringLiteral("Erledigt"));
    addValue(form, QStringLiteral("Pauschalpreis:"), QStringLiteral("Pauschalpreis"));

    m_remarks = new RemarksPanel(QStringLiteral("PN_PRBemerkungen"), dm.ProjekteDS(),
                                 QStringLiteral("Beschreibung"), this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    grid->addWidget(m_data1, 0, 0);
    grid->addWidget(m_remarks, 1, 0);
    grid->addWidget(m_data2, 0, 1, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(1, 1);
}

BoundLabel* ProjectDetailsPage::addValue(QFormLayout* form, const QString& label,
                                         const QString& field) {
    QWidget* panel = form->parentWidget();
    auto* value = new BoundLabel(panel);
    value->setObjectName(QStringLiteral("DB") + field);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->bind(m_dm.ProjekteDS(), field);
    form->addRow(new QLabel(label, panel), value);
    return value;
}

void ProjectDetailsPage::enter() {
    setDonePercentage(m_dm.Projekte.fieldByName(QStringLiteral("ErledigtP")).asInteger());
}

void ProjectDetailsPage::setDonePercentage(int percentage) {
    m_doneBar->setValue(qBound(0, percentage, 100));
}

#include "data/tdm.h"

#include "data/datetimevalue.h"

Tdm::Tdm(const QString& programFolder, QObject* parent)
    : QObject(parent), Projekte(ADOConnection1, QStringLiteral("Projekte"), this),
      Typen(ADOConnection1, QStringLiteral("Typen"), this),
      Auftraggeber(ADOConnection1, QStringLiteral("Auftraggeber"), this),
      Kategorien(ADOConnection1, QStringLiteral("Kategorien"), this),
      Prioquery(ADOConnection1, QStringLiteral("Prioquery"), this),
      Status(ADOConnection1, QStringLiteral("Status"), this),
      Verantw(ADOConnection1, QStringLiteral("Verantw"), this),
      Aufgaben(ADOConnection1, QStringLiteral("Aufgaben"), this),
      Time(ADOConnection1, QStringLiteral("Time"), this),
      AWV(ADOConnection1, QStringLiteral("AWV"), this),
      SumQuery(ADOConnection1, QStringLiteral("SumQuery"), this),
      Optionen(ADOConnection1, QStringLiteral("Optionen"), this),
      m_reportProjectFile(programFolder + QStringLiteral("reports/orbt.rav")) {
    Projekte.setSql(
        QStringList{QStringLiteral("Select * From Projects"), QStringLiteral("where archiv=0")});
    Typen.setSql(
        QStringList{QStringLiteral("Select * From Typen"), QStringLiteral("where not del")});
    Auftraggeber.setSql(
        QStringList{QStringLiteral("Select * From Auftraggeber"), QStringLiteral("where not del")});
    Kategorien.setSql(
        QStringList{QStringLiteral("Select * From Kategorien"), QStringLiteral("where not del")});
    Prioquery.setTable(QStringLiteral("Prio"), true);
    Status.setTable(QStringLiteral("Status"), true);
    Verantw.setTable(QStringLiteral("HumanResources"), true);

    Aufgaben.setSql(QStringLiteral("Select * From Aufgaben"));
    // A task without time entries shows no total at all, not "00:00".
    Aufgaben.addCalculatedField(QStringLiteral("AGZeitBez"), 50, QStringLiteral("AGesamtZeit"),
                                [](const QVariant& total) -> QVariant {
                                    if (total.isNull() || total.toDouble() == 0)
                                        return QString();
                                    return showtime(total.toDouble());
                                });

    Time.setSql(QStringLiteral("Select * From PRZeiten"));
    // An entry of no effort shows "00:00"; only an empty effort shows nothing.
    Time.addCalculatedField(QStringLiteral("AufwandBez"), 20, QStringLiteral("Aufwand"),
                            [](const QVariant& effort) -> QVariant {
                                if (effort.isNull())
                                    return QString();
                                return showtime(effort.toDouble());
                            });
    Time.setDisplayFormat(QStringLiteral("VonDatum"), QStringLiteral("dd:mm:yyyy"));
    Time.setDisplayFormat(QStringLiteral("BisDatum"), QStringLiteral("dd:mm:yyyy"));
    Time.setDisplayFormat(QStringLiteral("VonUhrzeit"), QStringLiteral("HH:mm"));
    Time.setDisplayFormat(QStringLiteral("BisUhrzeit"), QStringLiteral("HH:mm"));

    AWV.setSql(QStringList{
        QStringLiteral("SELECT Projects.Bezeichnung, Aufgaben.*"),
        QStringLiteral("FROM Projects INNER JOIN Aufgaben ON Projects.Nr = Aufgaben.AProjectnr;")});

    Optionen.setTable(QStringLiteral("Optionen"), false);

    connect(&Projekte, &Dataset::afterScroll, this, &Tdm::ProjekteAfterScroll);
}

QString Tdm::connectionStringFor(const QString& databaseFolder) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + databaseFolder +
           QStringLiteral("ORBTData.mdb;Persist Security Info=False");
}

void Tdm::ProjekteAfterScroll() {
    if (m_firstShow)
        return;
    emit projectRowChanged();
}

void Tdm::openTimeWithoutProject() {
    Time.close();
    // The counter is never empty: all the fields, no row.
    Time.setSql(QStringLiteral("Select * From PRZeiten where ID is null"));
    Time.open();
}

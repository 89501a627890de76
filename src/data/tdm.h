#pragma once

#include "data/connection.h"
#include "data/dataset.h"

#include <QObject>
#include <QString>

// The data module: the one connection and every dataset of the program, created once at start
// and kept until the end. Controls bind through the datasets' data sources (ProjekteDS ...).
class Tdm : public QObject {
    Q_OBJECT
public:
    // programFolder ends in "/"; the report project is programFolder + "reports/orbt.rav".
    explicit Tdm(const QString& programFolder, QObject* parent = nullptr);

    // The connection text for the database file in the given folder (empty or ending in "/").
    static QString connectionStringFor(const QString& databaseFolder);

    Connection ADOConnection1;

    Dataset Projekte;
    Dataset Typen;
    Dataset Auftraggeber;
    Dataset Kategorien;
    Dataset Prioquery;
    Dataset Status;
    Dataset Verantw;
    Dataset Aufgaben; // with the calculated AGZeitBez
    Dataset Time;     // with the calculated AufwandBez
    Dataset AWV;
    Dataset SumQuery;
    Dataset Optionen;

    DataSource* ProjekteDS() const { return Projekte.dataSource(); }
    DataSource* AufgabenDS() const { return Aufgaben.dataSource(); }
    DataSource* TimeDS() const { return Time.dataSource(); }
    DataSource* AWVDS() const { return AWV.dataSource(); }

    QString reportProjectFile() const { return m_reportProjectFile; }

    // Opens `Time` on the entries of no project, as the first showing needs it: only a
    // project's time page fills it, with that project's entries, so start-up does not read
    // every entry of the database.
    void openTimeWithoutProject();

    // While the main window's first-show flag is set the row-change handler does nothing.
    void setFirstShow(bool firstShow) { m_firstShow = firstShow; }

Q_SIGNALS:
    // The current project changed (after the first showing): the archive menu captions follow.
    void projectRowChanged();

private:
    void ProjekteAfterScroll();

    QString m_reportProjectFile;
    bool m_firstShow = true;
};

-- ORBTData.mdb: every table and column of the program.
--
-- The declared type names tell the data layer each column's type; SQLite stores them so:
--   counter    INTEGER PRIMARY KEY AUTOINCREMENT   numbered by the engine, never reused
--   integer    INTEGER                             may be empty
--   text(n)    TEXT(n) COLLATE GERMAN              UTF-8; the data layer refuses more than n
--                                                  characters; sorted case-insensitively in
--                                                  German order (Ä with A, ß as ss)
--   memo       LONGTEXT COLLATE GERMAN             UTF-8 of any length
--   date-time  DATETIME                            REAL days since 30.12.1899 (whole days may
--                                                  come back as INTEGER; both read alike)
--   currency   CURRENCY                            INTEGER count of ten-thousandths, so sums
--                                                  stay exact (1,5 is stored as 15000)
--   yes/no     YESNO NOT NULL DEFAULT 0            0 or 1
--
-- The references between the tables (AProjectnr, PRID, AID) are not enforced: deleting a
-- task keeps its time entries, deleting a project is done by explicit statements.
-- The GERMAN collation is registered by the program; other tools reading this file must
-- register one of that name before they sort or compare texts.

CREATE TABLE Projects (
    Nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Pojektnummer TEXT(255) COLLATE GERMAN,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    Typ TEXT(255) COLLATE GERMAN,
    TypID INTEGER,
    Auftraggeber TEXT(255) COLLATE GERMAN,
    AuftraggeberID INTEGER,
    KatBez TEXT(255) COLLATE GERMAN,
    Kat INTEGER,
    PrioBez TEXT(255) COLLATE GERMAN,
    Prio INTEGER,
    Status TEXT(255) COLLATE GERMAN,
    StatusID INTEGER,
    Verantw TEXT(255) COLLATE GERMAN,
    VerantwID INTEGER,
    Von DATETIME,
    Bis DATETIME,
    Erledigt DATETIME,
    ErledigtP INTEGER,
    WV DATETIME,
    Archiv INTEGER DEFAULT 0,
    Beschreibung LONGTEXT COLLATE GERMAN,
    anzahlaufgaben INTEGER,
    Budget CURRENCY,
    benBudget CURRENCY,
    Pauschalpreis CURRENCY,
    Gesamtkm TEXT(50) COLLATE GERMAN,
    GesamtZeit TEXT(50) COLLATE GERMAN
);

CREATE TABLE Aufgaben (
    Anr INTEGER PRIMARY KEY AUTOINCREMENT,
    AProjectnr INTEGER,
    ABezeichnung TEXT(255) COLLATE GERMAN,
    ADelegiert TEXT(50) COLLATE GERMAN,
    ADelegiertID INTEGER,
    APrioBez TEXT(255) COLLATE GERMAN,
    APrio INTEGER,
    AVon DATETIME,
    ABis DATETIME,
    AWV DATETIME,
    AErledigt DATETIME,
    AErledigtP INTEGER,
    AVermerk TEXT(255) COLLATE GERMAN,
    ABeschreibung LONGTEXT COLLATE GERMAN,
    AGesamtZeit DATETIME,
    AArchiv INTEGER
);

CREATE TABLE PRZeiten (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    PRID INTEGER,
    AID INTEGER,
    ABezeichnung TEXT(255) COLLATE GERMAN,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    Beschreibung LONGTEXT COLLATE GERMAN,
    Bearbeiter TEXT(255) COLLATE GERMAN,
    VonDatum DATETIME,
    VonUhrzeit DATETIME,
    BisDatum DATETIME,
    BisUhrzeit DATETIME,
    Aufwand DATETIME
);

CREATE TABLE Typen (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    zuord INTEGER,
    Beschreibung LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Auftraggeber (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    StrasseNr TEXT(255) COLLATE GERMAN,
    PLZ TEXT(50) COLLATE GERMAN,
    Ort TEXT(255) COLLATE GERMAN,
    Bemerkungen LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Kategorien (
    nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    pos INTEGER,
    Bemerkungen LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Prio (
    nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Prio TEXT(255) COLLATE GERMAN,
    pos INTEGER,
    Bemerkungen LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Status (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    Bemerkungen LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE HumanResources (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255) COLLATE GERMAN,
    StrasseNr TEXT(255) COLLATE GERMAN,
    PLZ TEXT(50) COLLATE GERMAN,
    Ort TEXT(255) COLLATE GERMAN,
    Email TEXT(255) COLLATE GERMAN,
    Telefon TEXT(255) COLLATE GERMAN,
    Fax TEXT(255) COLLATE GERMAN,
    Bemerkungen LONGTEXT COLLATE GERMAN,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Optionen (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    ARefresh INTEGER,
    Tabstop INTEGER,
    FarbSchema INTEGER
);

-- The task list of a project, the follow-up list and the effort totals.
CREATE INDEX AufgabenProjekt ON Aufgaben (AProjectnr);
CREATE INDEX AufgabenWiedervorlage ON Aufgaben (AWV);
CREATE INDEX ZeitenProjekt ON PRZeiten (PRID);
CREATE INDEX ZeitenAufgabe ON PRZeiten (AID);

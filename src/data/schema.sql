-- ORBTData.mdb: every table and column of the program.
--
-- The declared type names tell the data layer each column's type; SQLite stores them so:
--   counter    INTEGER PRIMARY KEY AUTOINCREMENT   numbered by the engine, never reused
--   integer    INTEGER                             may be empty
--   text(n)    TEXT(n)                             UTF-8; the data layer refuses more than n
--                                                  characters
--   memo       LONGTEXT                            UTF-8 of any length
--   date-time  DATETIME                            REAL days since 30.12.1899 (whole days may
--                                                  come back as INTEGER; both read alike)
--   currency   CURRENCY                            INTEGER count of ten-thousandths, so sums
--                                                  stay exact (1,5 is stored as 15000)
--   yes/no     YESNO NOT NULL DEFAULT 0            0 or 1
--
-- The references between the tables (AProjectnr, PRID, AID) are not enforced: deleting a
-- task keeps its time entries, deleting a project is done by explicit statements.
-- The tables declare no collation, so that any SQLite tool reads and queries the file. The
-- program sorts and compares texts case-insensitively in German order (Ä with A, ß as ss) by
-- applying its collation GERMAN in its own statements.
-- The file's PRAGMA user_version is the schema version (SchemaVersion in schema.h); the
-- program sets it when it writes a new database and upgrades older ones when opening them.

CREATE TABLE Projects (
    Nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Pojektnummer TEXT(255),
    Bezeichnung TEXT(255),
    Typ TEXT(255),
    TypID INTEGER,
    Auftraggeber TEXT(255),
    AuftraggeberID INTEGER,
    KatBez TEXT(255),
    Kat INTEGER,
    PrioBez TEXT(255),
    Prio INTEGER,
    Status TEXT(255),
    StatusID INTEGER,
    Verantw TEXT(255),
    VerantwID INTEGER,
    Von DATETIME,
    Bis DATETIME,
    Erledigt DATETIME,
    ErledigtP INTEGER,
    WV DATETIME,
    Archiv INTEGER DEFAULT 0,
    Beschreibung LONGTEXT,
    anzahlaufgaben INTEGER,
    Budget CURRENCY,
    benBudget CURRENCY,
    Pauschalpreis CURRENCY,
    Gesamtkm TEXT(50),
    GesamtZeit TEXT(50)
);

CREATE TABLE Aufgaben (
    Anr INTEGER PRIMARY KEY AUTOINCREMENT,
    AProjectnr INTEGER,
    ABezeichnung TEXT(255),
    ADelegiert TEXT(50),
    ADelegiertID INTEGER,
    APrioBez TEXT(255),
    APrio INTEGER,
    AVon DATETIME,
    ABis DATETIME,
    AWV DATETIME,
    AErledigt DATETIME,
    AErledigtP INTEGER,
    AVermerk TEXT(255),
    ABeschreibung LONGTEXT,
    AGesamtZeit DATETIME,
    AArchiv INTEGER
);

CREATE TABLE PRZeiten (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    PRID INTEGER,
    AID INTEGER,
    ABezeichnung TEXT(255),
    Bezeichnung TEXT(255),
    Beschreibung LONGTEXT,
    Bearbeiter TEXT(255),
    VonDatum DATETIME,
    VonUhrzeit DATETIME,
    BisDatum DATETIME,
    BisUhrzeit DATETIME,
    Aufwand DATETIME
);

CREATE TABLE Typen (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255),
    zuord INTEGER,
    Beschreibung LONGTEXT,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Auftraggeber (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255),
    StrasseNr TEXT(255),
    PLZ TEXT(50),
    Ort TEXT(255),
    Bemerkungen LONGTEXT,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Kategorien (
    nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255),
    pos INTEGER,
    Bemerkungen LONGTEXT,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Prio (
    nr INTEGER PRIMARY KEY AUTOINCREMENT,
    Prio TEXT(255),
    pos INTEGER,
    Bemerkungen LONGTEXT,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Status (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255),
    Bemerkungen LONGTEXT,
    del YESNO NOT NULL DEFAULT 0
);

CREATE TABLE HumanResources (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Bezeichnung TEXT(255),
    StrasseNr TEXT(255),
    PLZ TEXT(50),
    Ort TEXT(255),
    Email TEXT(255),
    Telefon TEXT(255),
    Fax TEXT(255),
    Bemerkungen LONGTEXT,
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
-- The follow-up list reads the due dates of the open tasks only, not those of every done one.
CREATE INDEX AufgabenFaellig ON Aufgaben (AWV) WHERE AErledigt IS NULL;
CREATE INDEX ZeitenProjekt ON PRZeiten (PRID);
CREATE INDEX ZeitenAufgabe ON PRZeiten (AID);

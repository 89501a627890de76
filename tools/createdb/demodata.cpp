#include "demodata.h"

#include "data/currency.h"
#include "data/datetimevalue.h"
#include "data/tdm.h"

#include <QTime>
#include <QVector>
#include <climits>
#include <optional>

namespace {

// A day relative to today; None leaves the field empty.
constexpr int None = INT_MIN;

// Time entries without a task: AidZero stores 0, AidEmpty leaves AID empty; the program
// treats both alike.
constexpr int AidZero = -1;
constexpr int AidEmpty = -2;

struct Person {
    const char* name;
    const char* street;
    const char* zip;
    const char* city;
    const char* email;
    const char* phone;
    const char* remarks;
    bool deleted;
};

const Person persons[] = {
    {"Anna Schneider", "Wiesenweg 4", "79100", "Freiburg im Breisgau", "a.schneider@example.de",
     "0761 4589-21", "Projektleitung Web", false},
    {"Jürgen Weiß", "Talstraße 17", "79211", "Denzlingen", "j.weiss@example.de", "0761 4589-23",
     "Schulungen und Anwendungsbetreuung", false},
    {"Markus Öztürk", "Schillerstraße 8", "77652", "Offenburg", "m.oeztuerk@example.de",
     "0761 4589-25", "Netzwerk und Server", false},
    {"Sabine Groß", "Münsterplatz 2", "79098", "Freiburg im Breisgau", "s.gross@example.de",
     "0761 4589-27", "Beratung, Gestaltung", false},
    {"Thomas Krämer", "Eschholzstraße 51", "79106", "Freiburg im Breisgau", "t.kraemer@example.de",
     "0761 4589-29", "Softwareentwicklung", false},
    {"Peter Lehmann", "Bahnhofstraße 3", "77933", "Lahr/Schwarzwald", "p.lehmann@example.de", "",
     "Zum Jahresende ausgeschieden", true},
};

struct Client {
    const char* name;
    const char* street;
    const char* zip;
    const char* city;
    const char* remarks;
    bool deleted;
};

const Client clients[] = {
    {"Bäckerei Hoffmann GmbH", "Lindenstraße 12", "79098", "Freiburg im Breisgau",
     "Filialbetrieb mit 14 Standorten", false},
    {"Schreinerei Maier & Söhne", "Am Sägewerk 3", "77709", "Wolfach", "", false},
    {"Autohaus Brenner KG", "Industriestraße 48", "77652", "Offenburg",
     "Ansprechpartner: Herr Brenner jun.", false},
    {"Stadtwerke Lahr GmbH", "Rheinstraße 2", "77933", "Lahr/Schwarzwald", "", false},
    {"Blauwerk Werbeagentur", "Kaiser-Joseph-Straße 201", "79098", "Freiburg im Breisgau", "",
     false},
    {"Zahnarztpraxis Dr. Schäfer", "Hauptstraße 77", "79379", "Müllheim",
     "Termine nur mittwochs nachmittags", false},
    {"Elektro Ziegler GmbH", "Gewerbepark 9", "79211", "Denzlingen", "", false},
    {"Weingut Kessler", "Weinbergweg 5", "79235", "Vogtsburg im Kaiserstuhl", "", false},
    {"Hotel Schwarzwaldblick", "Panoramaweg 1", "79856", "Hinterzarten", "", false},
    {"Kanzlei Wagner & Partner", "Bertoldstraße 18", "79098", "Freiburg im Breisgau", "", false},
    {"Druckerei Lange e.K.", "Bahnhofstraße 30", "77654", "Offenburg", "Betrieb eingestellt", true},
};

struct Named {
    const char* name;
    const char* remarks;
    bool deleted;
};

// Project types: zuord 1 marks a type that applies to projects.
const Named types[] = {
    {"Kundenprojekt", "Abrechnung nach Aufwand", false},
    {"Festpreisauftrag", "Pauschalpreis laut Angebot", false},
    {"Wartungsvertrag", "Jährlich verlängert", false},
    {"Beratung", "", false},
    {"Schulung", "", false},
    {"Messeprojekt", "Wird nicht mehr angeboten", true},
};

const Named categories[] = {
    {"Webentwicklung", "", false},
    {"Netzwerk & Infrastruktur", "", false},
    {"Softwareentwicklung", "", false},
    {"Marketing & Gestaltung", "", false},
    {"Schulung", "", false},
    {"IT-Support", "", false},
    {"Hardwareverkauf", "Seit der Umstellung kein eigener Bereich mehr", true},
};

const Named priorities[] = {
    {"1 - Dringend", "Noch heute", false},
    {"2 - Hoch", "Diese Woche", false},
    {"3 - Normal", "", false},
    {"4 - Niedrig", "Bei Gelegenheit", false},
    {"0 - Sofort", "Durch 1 - Dringend ersetzt", true},
};

const Named states[] = {
    {"Angebot", "Angebot verschickt, noch nicht beauftragt", false},
    {"Beauftragt", "", false},
    {"In Arbeit", "", false},
    {"Wartet auf Kunde", "", false},
    {"Abgeschlossen", "", false},
    {"Storniert", "Nicht mehr verwenden", true},
};

struct Task {
    const char* title;
    const char* delegate;
    const char* priority;
    int from;
    int to;
    int followUp; // None: no follow-up
    int done;     // None: open
    int percent;
    const char* note;
    const char* remarks;
};

struct Entry {
    int day;
    const char* from;
    const char* to;
    int task; // index into the project's tasks, AidZero or AidEmpty
    const char* title;
    const char* person;
    const char* remarks;
    int toDay = None; // None: the same day
};

struct Project {
    const char* number; // "%1" stands for this year, "%2" for last year
    const char* title;
    const char* type;
    const char* client;
    const char* category;
    const char* priority;
    const char* state;
    const char* responsible;
    int from;
    int to;
    int done;
    int percent;
    int archived;
    qint64 budget; // whole euros; negative: none
    const char* usedBudget;
    qint64 flatPrice; // whole euros; negative: none
    const char* kilometres;
    const char* remarks;
    QVector<Task> tasks;
    QVector<Entry> entries;
    int deletedTask = -1; // a task removed after its entries were written
};

const QVector<Project>& projects() {
    static const QVector<Project> list = {
        {"P%1-001",
         "Relaunch Online-Shop",
         "Kundenprojekt",
         "Bäckerei Hoffmann GmbH",
         "Webentwicklung",
         "2 - Hoch",
         "In Arbeit",
         "Anna Schneider",
         -75,
         45,
         None,
         55,
         0,
         24000,
         "12480,5",
         -1,
         "184",
         "Neuer Shop mit Anbindung an die Warenwirtschaft.\nVorbestellung von Torten und "
         "Festtagsgebäck, Abholung in der Wunschfiliale.",
         {
             {"Anforderungen mit der Filialleitung abstimmen", "Anna Schneider", "2 - Hoch", -75,
              -60, None, -58, 100, "Protokoll im Projektordner", ""},
             {"Entwurf Startseite und Produktseiten", "Sabine Groß", "2 - Hoch", -58, -35, None,
              -33, 100, "", "Zwei Varianten, Kunde hat Variante B gewählt."},
             {"Schnittstelle zur Warenwirtschaft", "Thomas Krämer", "1 - Dringend", -30, 10, 0,
              None, 60, "Testzugang beim Hersteller anfordern",
              "Artikel, Preise und Bestände stündlich abgleichen.\nBestellungen als Lieferschein "
              "zurückschreiben."},
             {"Zahlungsarten PayPal und Kreditkarte einrichten", "Anna Schneider", "3 - Normal", -5,
              15, 5, None, 20, "", ""},
             {"Produktfotos einpflegen", "Jürgen Weiß", "4 - Niedrig", -10, 25, -3, None, 30,
              "Fotos kommen vom Kunden", ""},
         },
         {
             {-74, "09:00", "12:30", 0, "Workshop Filialleitung", "Anna Schneider",
              "Ablauf der Vorbestellung und Abholung besprochen."},
             {-66, "13:00", "15:15", 0, "Anforderungen zusammenfassen", "Anna Schneider", ""},
             {-50, "08:30", "16:45", 1, "Entwürfe gestalten", "Sabine Groß", ""},
             {-36, "10:00", "11:00", 1, "Vorstellung der Entwürfe", "Sabine Groß",
              "Beim Kunden vor Ort."},
             {-21, "08:00", "12:00", 2, "Artikelimport programmieren", "Thomas Krämer", ""},
             {-8, "13:30", "17:30", 2, "Bestandsabgleich testen", "Thomas Krämer",
              "Fehler bei Artikeln ohne EAN behoben."},
             {-4, "09:15", "10:00", AidZero, "Telefonat zum Zeitplan", "Anna Schneider", ""},
             {-1, "14:00", "16:30", 3, "Zahlungsanbieter einrichten", "Anna Schneider", ""},
         }},
        {"P%1-002",
         "Netzwerkmodernisierung Werkstatt und Büro",
         "Festpreisauftrag",
         "Schreinerei Maier & Söhne",
         "Netzwerk & Infrastruktur",
         "3 - Normal",
         "In Arbeit",
         "Markus Öztürk",
         -40,
         20,
         None,
         70,
         0,
         9800,
         "6150",
         9500,
         "312,5",
         "Austausch der Switches, WLAN für Werkstatt und Ausstellungsraum, Firewall mit "
         "VPN-Zugang für den Außendienst.",
         {
             {"Bestandsaufnahme vor Ort", "Markus Öztürk", "3 - Normal", -40, -38, None, -38, 100,
              "", "Verkabelung in der Werkstatt teilweise erneuern."},
             {"Switches und Access Points bestellen", "Markus Öztürk", "3 - Normal", -35, -30, None,
              -29, 100, "Lieferung vollständig", ""},
             {"WLAN im Ausstellungsraum ausleuchten", "Markus Öztürk", "2 - Hoch", -10, 5, -1, None,
              50, "", ""},
             {"Firewall und VPN für den Außendienst", "Thomas Krämer", "3 - Normal", -3, 15, 7,
              None, 10, "", ""},
         },
         {
             {-39, "08:00", "11:30", 0, "Begehung und Netzplan", "Markus Öztürk", ""},
             {-33, "14:00", "14:45", 1, "Bestellung aufgeben", "Markus Öztürk", ""},
             {-12, "07:30", "16:00", 2, "Access Points montieren", "Markus Öztürk",
              "Zwei Geräte an der Hallendecke, Hubsteiger vom Kunden."},
             {-2, "08:00", "10:30", 2, "Ausleuchtung messen", "Markus Öztürk", ""},
             {-2, "11:00", "12:00", AidEmpty, "Fahrtzeit und Materialabholung", "Markus Öztürk",
              ""},
         }},
        {"P%1-003",
         "CRM-Einführung Verkauf und Service",
         "Kundenprojekt",
         "Autohaus Brenner KG",
         "Softwareentwicklung",
         "2 - Hoch",
         "In Arbeit",
         "Thomas Krämer",
         -120,
         60,
         None,
         35,
         0,
         48500,
         "17320",
         -1,
         "96",
         "Kundenkontakte, Probefahrten und Werkstatttermine in einem System.",
         {
             {"Workshop Vertriebsprozesse", "Thomas Krämer", "2 - Hoch", -120, -110, None, -110,
              100, "", ""},
             {"Datenmigration aus dem Altsystem", "Thomas Krämer", "1 - Dringend", -60, 20, -7,
              None, 40, "Dubletten bereinigen",
              "Rund 18.000 Kundensätze, davon etwa 2.000 doppelt."},
             {"Anbindung der Werkstattplanung", "Jürgen Weiß", "3 - Normal", -20, 40, 14, None, 15,
              "", ""},
             {"Schulungskonzept für den Verkauf", "Sabine Groß", "3 - Normal", 10, 45, 30, None, 0,
              "", ""},
         },
         {
             {-119, "09:00", "16:00", 0, "Workshop beim Kunden", "Thomas Krämer", ""},
             {-112, "08:30", "12:00", 0, "Prozessbeschreibung", "Sabine Groß", ""},
             {-45, "08:00", "17:00", 1, "Migrationsskripte", "Thomas Krämer", ""},
             {-30, "08:00", "12:15", 1, "Testmigration", "Thomas Krämer",
              "Dubletten nach Name und Anschrift."},
             {-15, "13:00", "15:30", 2, "Schnittstelle analysieren", "Jürgen Weiß", ""},
             {-6, "10:00", "11:30", AidZero, "Statusbesprechung", "Thomas Krämer", ""},
         }},
        {"P%1-004",
         "Kundenportal für Zählerstände",
         "Kundenprojekt",
         "Stadtwerke Lahr GmbH",
         "Webentwicklung",
         "1 - Dringend",
         "In Arbeit",
         "Anna Schneider",
         -30,
         14,
         None,
         80,
         0,
         36000,
         "29870,25",
         -1,
         "48",
         "Ablesung durch die Kunden selbst, mit Fotoupload des Zählers.",
         {
             {"Konzept und Datenschutzprüfung", "Anna Schneider", "2 - Hoch", -30, -20, None, -19,
              100, "", ""},
             {"Anmeldung mit Kunden- und Zählernummer", "Thomas Krämer", "1 - Dringend", -18, 2, 0,
              None, 85, "Abnahme durch den Datenschutzbeauftragten", ""},
             {"Plausibilitätsprüfung der Zählerstände", "Jürgen Weiß", "2 - Hoch", -10, 8, -2, None,
              60, "", "Abweichung über 30 % zum Vorjahr markieren."},
             {"Lasttest vor dem Stichtag", "Markus Öztürk", "2 - Hoch", 3, 12, 3, None, 0, "", ""},
         },
         {
             {-29, "08:00", "12:00", 0, "Konzept schreiben", "Anna Schneider", ""},
             {-22, "13:00", "14:30", 0, "Abstimmung Datenschutz", "Anna Schneider", ""},
             {-16, "08:00", "16:30", 1, "Anmeldung umsetzen", "Thomas Krämer", ""},
             {-9, "08:00", "12:00", 2, "Prüfregeln umsetzen", "Jürgen Weiß", ""},
             {-3, "09:00", "09:45", AidZero, "Wochentermin Stadtwerke", "Anna Schneider",
              "Telefonkonferenz."},
             {0, "08:00", "10:00", 1, "Korrekturen nach Abnahme", "Thomas Krämer", ""},
         }},
        {"P%1-005",
         "Frühjahrskampagne Social Media",
         "Festpreisauftrag",
         "Blauwerk Werbeagentur",
         "Marketing & Gestaltung",
         "3 - Normal",
         "Abgeschlossen",
         "Sabine Groß",
         -90,
         -20,
         -18,
         100,
         0,
         7500,
         "7125",
         7500,
         "0",
         "Redaktionsplan, Bildmaterial und Auswertung für drei Monate.",
         {
             {"Redaktionsplan März bis Mai", "Sabine Groß", "3 - Normal", -90, -80, None, -80, 100,
              "", ""},
             {"Bildmaterial und Kurzvideos", "Sabine Groß", "3 - Normal", -80, -40, None, -38, 100,
              "", ""},
             {"Auswertung der Reichweite", "Anna Schneider", "4 - Niedrig", -25, -20, -22, -18, 100,
              "Bericht an die Agentur verschickt", ""},
         },
         {
             {-89, "09:00", "13:00", 0, "Redaktionsplan", "Sabine Groß", ""},
             {-70, "08:00", "17:00", 1, "Fotoshooting", "Sabine Groß", "Mit Fotograf der Agentur."},
             {-55, "08:30", "12:30", 1, "Videoschnitt", "Sabine Groß", ""},
             {-21, "13:00", "16:00", 2, "Auswertung", "Anna Schneider", ""},
         }},
        {"P%1-006",
         "IT-Wartungsvertrag Praxis",
         "Wartungsvertrag",
         "Zahnarztpraxis Dr. Schäfer",
         "IT-Support",
         "3 - Normal",
         "In Arbeit",
         "Markus Öztürk",
         -200,
         165,
         None,
         50,
         0,
         4800,
         "2350",
         4800,
         "420",
         "Vierteljährliche Wartung von Server, Arbeitsplätzen und Röntgenrechner.",
         {
             {"Quartalswartung Server und Sicherung", "Markus Öztürk", "3 - Normal", -200, 165, -5,
              None, 50, "Nächsten Termin mit der Praxis abstimmen", ""},
             {"Update der Praxissoftware", "Markus Öztürk", "2 - Hoch", -60, -55, None, -55, 100,
              "", ""},
             {"Externe Datensicherung prüfen", "Jürgen Weiß", "3 - Normal", -15, -10, -10, None, 0,
              "", ""},
         },
         {
             {-180, "14:00", "17:30", 0, "Wartung 1. Quartal", "Markus Öztürk", ""},
             {-90, "14:00", "18:15", 0, "Wartung 2. Quartal", "Markus Öztürk",
              "Festplatte im Server getauscht."},
             {-57, "13:00", "16:00", 1, "Update eingespielt", "Markus Öztürk", ""},
             {-11, "15:00", "15:20", AidEmpty, "Fernwartung Drucker", "Jürgen Weiß", ""},
         }},
        {"P%1-007",
         "Schulung Microsoft 365 für Büro und Lager",
         "Schulung",
         "Elektro Ziegler GmbH",
         "Schulung",
         "4 - Niedrig",
         "Beauftragt",
         "Jürgen Weiß",
         -5,
         21,
         None,
         10,
         0,
         2400,
         "300",
         2400,
         "0",
         "Zwei Schulungstage zu Outlook, Teams und OneDrive.",
         {
             {"Schulungsunterlagen erstellen", "Jürgen Weiß", "3 - Normal", -5, 5, 2, None, 40, "",
              ""},
             {"Schulungsraum und Testkonten vorbereiten", "Markus Öztürk", "3 - Normal", 4, 6, 4,
              None, 0, "", ""},
             {"Schulungstag Büro", "Jürgen Weiß", "3 - Normal", 7, 7, None, None, 0, "", ""},
             {"Schulungstag Lager", "Jürgen Weiß", "3 - Normal", 21, 21, None, None, 0, "", ""},
         },
         {
             {-4, "08:00", "12:00", 0, "Unterlagen Outlook und Teams", "Jürgen Weiß", ""},
             {-1, "13:00", "15:30", 0, "Unterlagen OneDrive", "Jürgen Weiß", ""},
         }},
        {"P%1-008",
         "Online-Weinverkauf mit Versand",
         "Kundenprojekt",
         "Weingut Kessler",
         "Webentwicklung",
         "3 - Normal",
         "Angebot",
         "Anna Schneider",
         -10,
         90,
         None,
         5,
         0,
         15000,
         "450",
         -1,
         "62",
         "",
         {
             {"Angebot ausarbeiten", "Anna Schneider", "3 - Normal", -10, -3, None, -4, 100, "",
              ""},
             {"Rückfragen zum Versand klären", "Anna Schneider", "2 - Hoch", -2, 5, 0, None, 0,
              "Kunde ruft zurück", "Versand nur innerhalb Deutschlands, Altersprüfung nötig."},
         },
         {
             {-9, "10:00", "12:30", AidZero, "Erstgespräch auf dem Weingut", "Anna Schneider", ""},
             {-5, "08:00", "11:00", 0, "Angebot schreiben", "Anna Schneider", ""},
         }},
        {"P%1-009",
         "Buchungssystem und Zimmerverwaltung",
         "Kundenprojekt",
         "Hotel Schwarzwaldblick",
         "Softwareentwicklung",
         "2 - Hoch",
         "Wartet auf Kunde",
         "Thomas Krämer",
         -60,
         75,
         None,
         40,
         0,
         28000,
         "11900",
         -1,
         "238",
         "",
         {
             {"Anforderungen der Rezeption", "Thomas Krämer", "2 - Hoch", -60, -50, None, -50, 100,
              "", ""},
             {"Prototyp Zimmerplan", "Thomas Krämer", "2 - Hoch", -45, -15, None, -14, 100, "", ""},
             {"Freigabe des Prototyps durch die Hotelleitung", "Thomas Krämer", "1 - Dringend", -14,
              -1, -12, None, 0, "Wartet auf Rückmeldung der Hotelleitung", ""},
             {"Schnittstelle zum Channel-Manager", "Jürgen Weiß", "3 - Normal", 5, 50, 20, None, 0,
              "", ""},
         },
         {
             {-59, "09:00", "15:00", 0, "Termin an der Rezeption", "Thomas Krämer", ""},
             {-40, "08:00", "17:00", 1, "Zimmerplan programmieren", "Thomas Krämer", ""},
             {-26, "08:00", "12:30", 1, "Zimmerplan überarbeiten", "Thomas Krämer", ""},
             {-14, "14:00", "15:00", 2, "Vorführung im Hotel", "Thomas Krämer", ""},
         }},
        {"P%1-010",
         "Dokumentenmanagement und Scan-Arbeitsplätze",
         "Beratung",
         "Kanzlei Wagner & Partner",
         "IT-Support",
         "3 - Normal",
         "In Arbeit",
         "Sabine Groß",
         -25,
         35,
         None,
         25,
         0,
         12500,
         "3100",
         -1,
         "22",
         "Papierakten ablösen, revisionssichere Ablage.",
         {
             {"Ist-Analyse der Papierablage", "Sabine Groß", "3 - Normal", -25, -18, None, -18, 100,
              "", ""},
             {"Auswahl der DMS-Software", "Sabine Groß", "2 - Hoch", -17, 3, -4, None, 50,
              "Zwei Anbieter in der engeren Wahl", ""},
             {"Scan-Arbeitsplätze einrichten", "Markus Öztürk", "3 - Normal", 5, 20, 9, None, 0, "",
              ""},
         },
         {
             {-24, "09:00", "12:00", 0, "Aktenablage aufnehmen", "Sabine Groß", ""},
             {-19, "13:00", "15:45", 0, "Bericht Ist-Analyse", "Sabine Groß", ""},
             {-10, "10:00", "12:00", 1, "Produktvorführung Anbieter A", "Sabine Groß", ""},
             {-3, "10:00", "11:45", 1, "Produktvorführung Anbieter B", "Sabine Groß", ""},
         }},
        {"",
         "Serverumzug ins Rechenzentrum",
         "Kundenprojekt",
         "Autohaus Brenner KG",
         "Netzwerk & Infrastruktur",
         "1 - Dringend",
         "In Arbeit",
         "Markus Öztürk",
         -14,
         10,
         None,
         60,
         0,
         6000,
         "3480",
         -1,
         "96",
         "Projektnummer folgt mit der Auftragsbestätigung.",
         {
             {"Umzugsplan und Wartungsfenster", "Markus Öztürk", "2 - Hoch", -14, -10, None, -10,
              100, "", ""},
             {"Migration der virtuellen Maschinen", "Markus Öztürk", "1 - Dringend", -7, 3, -1,
              None, 70, "", ""},
             {"Abschlusstest und Dokumentation", "Thomas Krämer", "3 - Normal", 3, 10, 6, None, 0,
              "", ""},
             {"Altgeräte entsorgen", "Markus Öztürk", "4 - Niedrig", -7, -6, None, None, 0, "", ""},
         },
         {
             {-13, "08:00", "11:00", 0, "Umzugsplan", "Markus Öztürk", ""},
             {-6, "22:00", "02:30", 1, "Migration in der Nacht", "Markus Öztürk",
              "Wartungsfenster außerhalb der Öffnungszeiten.", -5},
             {-6, "13:00", "14:30", 3, "Altgeräte abgeholt", "Markus Öztürk",
              "Die Aufgabe wurde danach gelöscht; der Eintrag behält ihren Titel."},
         },
         3},
        {"P%2-014",
         "Messestand Druck & Medien",
         "Messeprojekt",
         "Druckerei Lange e.K.",
         "Marketing & Gestaltung",
         "3 - Normal",
         "Abgeschlossen",
         "Peter Lehmann",
         -400,
         -330,
         -328,
         100,
         1,
         11000,
         "10640",
         10500,
         "156",
         "Messestand 24 m² mit Druckmustern und Bildschirmpräsentation.",
         {
             {"Standkonzept und Grafik", "Peter Lehmann", "3 - Normal", -400, -380, None, -380, 100,
              "", ""},
             {"Aufbau und Abbau des Messestands", "Sabine Groß", "2 - Hoch", -335, -332, None, -331,
              100, "", ""},
             {"Nachbereitung der Kontakte", "Peter Lehmann", "3 - Normal", -331, -329, -330, -328,
              100, "", ""},
         },
         {
             {-398, "08:00", "16:00", 0, "Standkonzept", "Peter Lehmann", ""},
             {-335, "07:00", "19:30", 1, "Aufbau", "Sabine Groß", ""},
             {-332, "16:00", "20:00", 1, "Abbau", "Sabine Groß", ""},
             {-329, "09:00", "11:00", 2, "Kontakte erfassen", "Peter Lehmann", ""},
         }},
    };
    return list;
}

QString text(const char* s) {
    return QString::fromUtf8(s);
}

double timeOfDay(const char* hhmm) {
    const QTime time = QTime::fromString(text(hhmm), QStringLiteral("HH:mm"));
    return time.msecsSinceStartOfDay() / 86400000.0;
}

// Work is booked on working days: a weekend day moves back to the Friday.
QDate workday(const QDate& date) {
    const int dow = date.dayOfWeek();
    return dow > 5 ? date.addDays(5 - dow) : date;
}

class Writer {
public:
    Writer(Tdm& dm, const QDate& today) : m_dm(dm), m_today(today) {}

    void run() {
        writeMasterTables();
        reopen(m_dm.Projekte, QStringLiteral("Select * From Projects"));
        for (const Project& project : projects())
            writeProject(project);
        writeTotals();
        writeOptions();
    }

private:
    static void reopen(Dataset& ds, const QString& sql) {
        ds.close();
        ds.setSql(sql);
        ds.open();
    }
    static void reopenTable(Dataset& ds, const QString& table) {
        ds.close();
        ds.setTable(table, false);
        ds.open();
    }
    static void setText(Dataset& ds, const char* field, const char* value) {
        if (*value)
            ds.fieldByName(text(field)).setAsString(text(value));
    }
    static void setText(Dataset& ds, const char* field, const QString& value) {
        if (!value.isEmpty())
            ds.fieldByName(text(field)).setAsString(value);
    }
    static void setInt(Dataset& ds, const char* field, int value) {
        ds.fieldByName(text(field)).setAsInteger(value);
    }
    static void setMoney(Dataset& ds, const char* field, qint64 euros) {
        if (euros >= 0)
            ds.fieldByName(text(field))
                .setAsCurrency(Currency::fromScaled(euros * Currency::Scale));
    }
    void setDay(Dataset& ds, const char* field, int offset) const {
        if (offset != None)
            ds.fieldByName(text(field)).setAsDateTime(DateTimeValue::fromDate(day(offset)));
    }
    QDate day(int offset) const { return m_today.addDays(offset); }

    void writeMasterTables() {
        Dataset& typen = m_dm.Typen;
        reopen(typen, QStringLiteral("Select * From Typen"));
        for (const Named& t : types) {
            typen.append();
            setText(typen, "Bezeichnung", t.name);
            setText(typen, "Beschreibung", t.remarks);
            setInt(typen, "zuord", 1);
            typen.fieldByName(QStringLiteral("del")).setAsBoolean(t.deleted);
            typen.post();
        }

        Dataset& auftraggeber = m_dm.Auftraggeber;
        reopen(auftraggeber, QStringLiteral("Select * From Auftraggeber"));
        for (const Client& c : clients) {
            auftraggeber.append();
            setText(auftraggeber, "Bezeichnung", c.name);
            setText(auftraggeber, "StrasseNr", c.street);
            setText(auftraggeber, "PLZ", c.zip);
            setText(auftraggeber, "Ort", c.city);
            setText(auftraggeber, "Bemerkungen", c.remarks);
            auftraggeber.fieldByName(QStringLiteral("del")).setAsBoolean(c.deleted);
            auftraggeber.post();
        }

        Dataset& kategorien = m_dm.Kategorien;
        reopen(kategorien, QStringLiteral("Select * From Kategorien"));
        int pos = 1;
        for (const Named& k : categories) {
            kategorien.append();
            setText(kategorien, "Bezeichnung", k.name);
            setInt(kategorien, "pos", pos++);
            setText(kategorien, "Bemerkungen", k.remarks);
            kategorien.fieldByName(QStringLiteral("del")).setAsBoolean(k.deleted);
            kategorien.post();
        }

        Dataset& prio = m_dm.Prioquery;
        reopenTable(prio, QStringLiteral("Prio"));
        pos = 1;
        for (const Named& p : priorities) {
            prio.append();
            setText(prio, "Prio", p.name);
            setInt(prio, "pos", pos++);
            setText(prio, "Bemerkungen", p.remarks);
            prio.fieldByName(QStringLiteral("del")).setAsBoolean(p.deleted);
            prio.post();
        }

        Dataset& status = m_dm.Status;
        reopenTable(status, QStringLiteral("Status"));
        for (const Named& s : states) {
            status.append();
            setText(status, "Bezeichnung", s.name);
            setText(status, "Bemerkungen", s.remarks);
            status.fieldByName(QStringLiteral("del")).setAsBoolean(s.deleted);
            status.post();
        }

        Dataset& verantw = m_dm.Verantw;
        reopenTable(verantw, QStringLiteral("HumanResources"));
        for (const Person& p : persons) {
            verantw.append();
            setText(verantw, "Bezeichnung", p.name);
            setText(verantw, "StrasseNr", p.street);
            setText(verantw, "PLZ", p.zip);
            setText(verantw, "Ort", p.city);
            setText(verantw, "Email", p.email);
            setText(verantw, "Telefon", p.phone);
            setText(verantw, "Bemerkungen", p.remarks);
            verantw.fieldByName(QStringLiteral("del")).setAsBoolean(p.deleted);
            verantw.post();
        }
    }

    void writeProject(const Project& p) {
        Dataset& pr = m_dm.Projekte;
        pr.append();
        const int year = m_today.year();
        setText(pr, "Pojektnummer",
                text(p.number)
                    .replace(QLatin1String("%1"), QString::number(year))
                    .replace(QLatin1String("%2"), QString::number(year - 1)));
        setText(pr, "Bezeichnung", p.title);
        setText(pr, "Typ", p.type);
        setText(pr, "Auftraggeber", p.client);
        setText(pr, "KatBez", p.category);
        setText(pr, "PrioBez", p.priority);
        setText(pr, "Status", p.state);
        setText(pr, "Verantw", p.responsible);
        setDay(pr, "Von", p.from);
        setDay(pr, "Bis", p.to);
        setDay(pr, "Erledigt", p.done);
        setInt(pr, "ErledigtP", p.percent);
        if (p.archived)
            setInt(pr, "Archiv", p.archived); // new rows default to 0
        setText(pr, "Beschreibung", p.remarks);
        setMoney(pr, "Budget", p.budget);
        pr.fieldByName(QStringLiteral("benBudget")).setAsString(text(p.usedBudget));
        setMoney(pr, "Pauschalpreis", p.flatPrice);
        setText(pr, "Gesamtkm", p.kilometres);
        pr.post();
        const int projectNr = pr.fieldByName(QStringLiteral("Nr")).asInteger();

        Dataset& tasks = m_dm.Aufgaben;
        reopen(tasks, QStringLiteral("Select * From Aufgaben where AProjectnr=%1").arg(projectNr));
        QVector<int> taskNrs;
        for (const Task& t : p.tasks) {
            tasks.append();
            setInt(tasks, "AProjectnr", projectNr);
            setText(tasks, "ABezeichnung", t.title);
            setText(tasks, "ADelegiert", t.delegate);
            setText(tasks, "APrioBez", t.priority);
            setDay(tasks, "AVon", t.from);
            setDay(tasks, "ABis", t.to);
            setDay(tasks, "AWV", t.followUp);
            setDay(tasks, "AErledigt", t.done);
            setInt(tasks, "AErledigtP", t.percent);
            setText(tasks, "AVermerk", t.note);
            setText(tasks, "ABeschreibung", t.remarks);
            tasks.post();
            taskNrs.append(tasks.fieldByName(QStringLiteral("Anr")).asInteger());
        }

        Dataset& time = m_dm.Time;
        reopen(time, QStringLiteral("Select * From PRZeiten where PRID=%1").arg(projectNr));
        for (const Entry& e : p.entries) {
            const QDate fromDate = workday(day(e.day));
            const QDate toDate = e.toDay == None ? fromDate : fromDate.addDays(e.toDay - e.day);
            const double vonDatum = DateTimeValue::fromDate(fromDate);
            const double bisDatum = DateTimeValue::fromDate(toDate);
            const double vonUhrzeit = timeOfDay(e.from);
            const double bisUhrzeit = timeOfDay(e.to);

            time.append();
            setInt(time, "PRID", projectNr);
            if (e.task >= 0) {
                setInt(time, "AID", taskNrs.at(e.task));
                setText(time, "ABezeichnung", p.tasks.at(e.task).title);
            } else if (e.task == AidZero) {
                setInt(time, "AID", 0);
            }
            setText(time, "Bezeichnung", e.title);
            setText(time, "Beschreibung", e.remarks);
            setText(time, "Bearbeiter", e.person);
            time.fieldByName(QStringLiteral("VonDatum")).setAsDateTime(vonDatum);
            time.fieldByName(QStringLiteral("VonUhrzeit")).setAsDateTime(vonUhrzeit);
            time.fieldByName(QStringLiteral("BisDatum")).setAsDateTime(bisDatum);
            time.fieldByName(QStringLiteral("BisUhrzeit")).setAsDateTime(bisUhrzeit);
            time.fieldByName(QStringLiteral("Aufwand"))
                .setAsDateTime((bisDatum + bisUhrzeit) - (vonDatum + vonUhrzeit));
            time.post();
        }

        // Deleting a task keeps its time entries, which still show the title they copied.
        if (p.deletedTask >= 0) {
            reopen(tasks, QStringLiteral("Select * From Aufgaben where Anr=%1")
                              .arg(taskNrs.at(p.deletedTask)));
            tasks.deleteRecord();
        }
    }

    // The same sums as the effort totals after a time entry is saved: taken in the database.
    std::optional<double> sumOfEfforts(const QString& condition) {
        Dataset& sum = m_dm.SumQuery;
        reopen(sum, QStringLiteral("Select SUM(Aufwand) as summeaufwand from PRZeiten where ") +
                        condition);
        const Field field = sum.fieldByName(QStringLiteral("summeaufwand"));
        std::optional<double> result;
        if (!field.isNull())
            result = field.asFloat();
        sum.close();
        return result;
    }

    void writeTotals() {
        Dataset& tasks = m_dm.Aufgaben;
        reopen(tasks, QStringLiteral("Select * From Aufgaben"));
        for (tasks.first(); !tasks.eof(); tasks.next()) {
            const int anr = tasks.fieldByName(QStringLiteral("Anr")).asInteger();
            if (const auto total = sumOfEfforts(QStringLiteral("AID=%1").arg(anr))) {
                tasks.edit();
                tasks.fieldByName(QStringLiteral("AGesamtZeit")).setAsDateTime(*total);
                tasks.post();
            }
        }
        tasks.close();

        Dataset& pr = m_dm.Projekte;
        reopen(pr, QStringLiteral("Select * From Projects"));
        for (pr.first(); !pr.eof(); pr.next()) {
            const int nr = pr.fieldByName(QStringLiteral("Nr")).asInteger();
            const double total = sumOfEfforts(QStringLiteral("PRID=%1").arg(nr)).value_or(0.0);
            pr.edit();
            pr.fieldByName(QStringLiteral("GesamtZeit")).setAsString(showtime(total));
            pr.post();
        }
        pr.close();
        m_dm.Time.close();
    }

    void writeOptions() {
        Dataset& options = m_dm.Optionen;
        reopenTable(options, QStringLiteral("Optionen"));
        options.append();
        setInt(options, "ARefresh", 0);
        setInt(options, "Tabstop", 4);
        setInt(options, "FarbSchema", 0);
        options.post();
        options.close();
    }

    Tdm& m_dm;
    QDate m_today;
};

} // namespace

void fillDemoData(Tdm& dm, const QDate& today) {
    Writer(dm, today).run();
}

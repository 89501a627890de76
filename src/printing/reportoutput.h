#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QLabel;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;
struct RenderedReport;

// Where a report goes: the output dialog "Output Options" (printer, preview or PDF file, the
// printer chosen at first), the desktop's print dialog, the preview "Report Vorschau" and the
// status window "Report Status".
//
// Tests switch it to scripted mode: no window is shown, the output dialog takes its answer
// from a queue filled beforehand, and every destination writes a PDF file of that name through
// the same painting as the real one, so a test can read back what would have been printed.
class ReportOutput {
public:
    enum class Destination { Printer, Preview, File };

    struct Choice {
        Destination destination = Destination::Printer;
        QString fileName; // File; in scripted mode the PDF every destination writes
    };

    struct Delivery {
        QString report;
        Destination destination;
        QString fileName;
        int pages = 0;
    };

    static ReportOutput& instance();

    // The output dialog. std::nullopt when the user cancels.
    std::optional<Choice> chooseOutput(QWidget* parent, const QString& report);
    // The output dialog chooseOutput shows, not yet shown; the caller owns it. Lets tests look
    // at the real dialog without blocking on it.
    static QDialog* createOutputDialog(QWidget* parent, const QString& defaultFile);
    // The preview "Report Vorschau" on the printer, maximised at 100 %, not yet shown; the
    // caller owns it.
    static QPrintPreviewDialog* createPreviewDialog(QPrinter* printer, QWidget* parent);

    // The status window with its line ("Erstelle Seite 3"); closeStatus() hides it.
    void status(QWidget* parent, const QString& text);
    void closeStatus();

    // Hands the pages to the chosen destination. Throws OrbentaError when a file cannot be
    // written.
    void deliver(const Choice& choice, const RenderedReport& report, QWidget* parent);

    void setScripted(bool scripted);
    bool scripted() const { return m_scripted; }
    // A std::nullopt in the queue cancels the dialog; an empty queue cancels too.
    void scriptChoices(const QList<std::optional<Choice>>& choices);
    int pendingChoices() const { return int(m_choices.size()); }
    int dialogsShown() const { return m_dialogsShown; }
    const QList<Delivery>& deliveries() const { return m_deliveries; }
    const QStringList& statusTexts() const { return m_statusTexts; }
    void clearRecords();

private:
    ReportOutput() = default;
    void writePdf(const QString& fileName, const RenderedReport& report, QWidget* parent);
    void print(const RenderedReport& report, QWidget* parent, const QString& scriptedFile);
    void preview(const RenderedReport& report, QWidget* parent, const QString& scriptedFile);

    bool m_scripted = false;
    QList<std::optional<Choice>> m_choices;
    int m_dialogsShown = 0;
    QList<Delivery> m_deliveries;
    QStringList m_statusTexts;
    QPointer<QWidget> m_statusWindow;
    QPointer<QLabel> m_statusLabel;
};

#include "printing/reportoutput.h"

#include "platform/messagedialogs.h"
#include "platform/orbentaerror.h"
#include "printing/reportrenderer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <memory>

namespace {

const QString OutputTitle = QStringLiteral("Output Options");
const QString StatusTitle = QStringLiteral("Report Status");
const QString PreviewTitle = QStringLiteral("Report Vorschau");

QString defaultFolder() {
    static QString folder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QDir::homePath();
    }
    return folder;
}

// The folder of the last PDF written stays the suggestion for this run of the program.
QString& lastFolder() {
    static QString folder;
    return folder;
}

class OutputOptionsDialog : public QDialog {
public:
    OutputOptionsDialog(QWidget* parent, const QString& defaultFile) : QDialog(parent) {
        setObjectName(QStringLiteral("OutputOptions"));
        setWindowTitle(OutputTitle);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto* layout = new QVBoxLayout(this);

        auto* group = new QGroupBox(QStringLiteral("Ausgabe an"), this);
        auto* choices = new QVBoxLayout(group);
        m_printer = new QRadioButton(QStringLiteral("&Drucker"), group);
        m_printer->setObjectName(QStringLiteral("RB_Printer"));
        m_preview = new QRadioButton(QStringLiteral("&Vorschau"), group);
        m_preview->setObjectName(QStringLiteral("RB_Preview"));
        m_file = new QRadioButton(QStringLiteral("Datei (&PDF)"), group);
        m_file->setObjectName(QStringLiteral("RB_File"));
        choices->addWidget(m_printer);
        choices->addWidget(m_preview);
        choices->addWidget(m_file);

        auto* fileRow = new QHBoxLayout;
        fileRow->setContentsMargins(20, 0, 0, 0);
        m_fileName = new QLineEdit(defaultFile, group);
        m_fileName->setObjectName(QStringLiteral("ED_FileName"));
        m_fileName->setMinimumWidth(320);
        m_browse = new QPushButton(QStringLiteral("D&urchsuchen …"), group);
        m_browse->setObjectName(QStringLiteral("BTN_Browse"));
        fileRow->addWidget(m_fileName, 1);
        fileRow->addWidget(m_browse);
        choices->addLayout(fileRow);
        layout->addWidget(group);

        auto* buttons = new QDialogButtonBox(this);
        QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("BTN_OK"));
        ok->setDefault(true);
        QPushButton* cancel =
            buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("BTN_Cancel"));
        layout->addWidget(buttons);

        connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryAccept(); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_file, &QRadioButton::toggled, this, [this] { updateFileRow(); });
        connect(m_browse, &QPushButton::clicked, this, [this] { browse(); });
        m_printer->setChecked(true); // the printer by default
        updateFileRow();
        setFixedSize(sizeHint());
    }

    ReportOutput::Choice choice() const {
        ReportOutput::Choice c;
        if (m_preview->isChecked())
            c.destination = ReportOutput::Destination::Preview;
        else if (m_file->isChecked())
            c.destination = ReportOutput::Destination::File;
        c.fileName = pdfName();
        return c;
    }

private:
    QString pdfName() const {
        QString name = m_fileName->text().trimmed();
        if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
            name += QStringLiteral(".pdf");
        return name;
    }

    void updateFileRow() {
        m_fileName->setEnabled(m_file->isChecked());
        m_browse->setEnabled(m_file->isChecked());
    }

    void browse() {
        const QString chosen =
            QFileDialog::getSaveFileName(this, QStringLiteral("PDF-Datei speichern"),
                                         m_fileName->text(), QStringLiteral("PDF-Dateien (*.pdf)"));
        if (!chosen.isEmpty())
            m_fileName->setText(chosen);
    }

    void tryAccept() {
        if (m_file->isChecked()) {
            const QString name = pdfName();
            if (name.isEmpty()) {
                MessageDialogs::instance().message(
                    QStringLiteral("Bitte geben Sie den Namen der PDF-Datei an."));
                m_fileName->setFocus();
                return;
            }
            const QFileInfo info(name);
            if (!info.absoluteDir().exists()) {
                MessageDialogs::instance().message(
                    QStringLiteral("Den Ordner »%1« gibt es nicht.")
                        .arg(QDir::toNativeSeparators(info.absolutePath())));
                m_fileName->setFocus();
                return;
            }
        }
        accept();
    }

    QRadioButton* m_printer;
    QRadioButton* m_preview;
    QRadioButton* m_file;
    QLineEdit* m_fileName;
    QPushButton* m_browse;
};

void preparePrinter(QPrinter& printer, const RenderedReport& report) {
    printer.setFullPage(true);
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(report.title);
    printer.setCreator(QStringLiteral("Orbenta"));
}

} // namespace

ReportOutput& ReportOutput::instance() {
    static ReportOutput output;
    return output;
}

QDialog* ReportOutput::createOutputDialog(QWidget* parent, const QString& defaultFile) {
    return new OutputOptionsDialog(parent, defaultFile);
}

std::optional<ReportOutput::Choice> ReportOutput::chooseOutput(QWidget* parent,
                                                               const QString& report) {
    ++m_dialogsShown;
    if (m_scripted)
        return m_choices.isEmpty() ? std::nullopt : m_choices.takeFirst();
    const QString folder = lastFolder().isEmpty() ? defaultFolder() : lastFolder();
    OutputOptionsDialog dialog(parent, QDir(folder).filePath(report + QStringLiteral(".pdf")));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const Choice choice = dialog.choice();
    if (choice.destination == Destination::File)
        lastFolder() = QFileInfo(choice.fileName).absolutePath();
    return choice;
}

void ReportOutput::status(QWidget* parent, const QString& text) {
    if (m_scripted) {
        m_statusTexts << text;
        return;
    }
    if (!m_statusWindow) {
        auto* window = new QWidget(parent, Qt::Dialog | Qt::WindowTitleHint);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(QStringLiteral("ReportStatus"));
        window->setWindowTitle(StatusTitle);
        window->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(24, 16, 24, 16);
        m_statusLabel = new QLabel(window);
        m_statusLabel->setMinimumWidth(220);
        layout->addWidget(m_statusLabel);
        m_statusWindow = window;
        m_statusLabel->setText(text);
        window->show();
    }
    m_statusLabel->setText(text);
    // Painted at once: the pages are made without returning to the event loop.
    m_statusWindow->repaint();
}

void ReportOutput::closeStatus() {
    if (m_statusWindow)
        m_statusWindow->close();
}

void ReportOutput::deliver(const Choice& choice, const RenderedReport& report, QWidget* parent) {
    switch (choice.destination) {
    case Destination::Printer:
        print(report, parent, m_scripted ? choice.fileName : QString());
        break;
    case Destination::Preview:
        preview(report, parent, m_scripted ? choice.fileName : QString());
        break;
    case Destination::File:
        writePdf(choice.fileName, report, parent);
        break;
    }
    closeStatus();
    if (m_scripted)
        m_deliveries.append({report.name, choice.destination, choice.fileName, report.pageCount()});
}

void ReportOutput::writePdf(const QString& fileName, const RenderedReport& report,
                            QWidget* parent) {
    QPdfWriter writer(fileName);
    writer.setPageLayout(report.pageLayout());
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("Orbenta"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw OrbentaError(QStringLiteral("Die Datei »%1« kann nicht geschrieben werden.")
                               .arg(QDir::toNativeSeparators(fileName)));
    ReportRenderer::paint(report, painter, writer, 0, 0, [&](int page) {
        status(parent, QStringLiteral("Drucke Seite %1").arg(page));
    });
    painter.end();
}

void ReportOutput::print(const RenderedReport& report, QWidget* parent,
                         const QString& scriptedFile) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, report);
    if (!scriptedFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scriptedFile);
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setMinMax(1, report.pageCount());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw OrbentaError(
            QStringLiteral("Der Drucker »%1« kann nicht drucken.").arg(printer.printerName()));
    const bool range = printer.printRange() == QPrinter::PageRange;
    ReportRenderer::paint(
        report, painter, printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0,
        [&](int page) { status(parent, QStringLiteral("Drucke Seite %1").arg(page)); });
    painter.end();
}

void ReportOutput::preview(const RenderedReport& report, QWidget* parent,
                           const QString& scriptedFile) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, report);
    const auto paintOn = [&](QPrinter* target) {
        QPainter painter;
        if (!painter.begin(target))
            return;
        const bool range = target->printRange() == QPrinter::PageRange;
        ReportRenderer::paint(
            report, painter, *target, range ? target->fromPage() : 0, range ? target->toPage() : 0,
            [&](int page) { status(parent, QStringLiteral("Drucke Seite %1").arg(page)); });
        painter.end();
        closeStatus();
    };
    if (!scriptedFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scriptedFile);
        paintOn(&printer);
        return;
    }
    const std::unique_ptr<QPrintPreviewDialog> dialog(createPreviewDialog(&printer, parent));
    QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested, dialog.get(), paintOn);
    dialog->exec();
}

QPrintPreviewDialog* ReportOutput::createPreviewDialog(QPrinter* printer, QWidget* parent) {
    auto* dialog = new QPrintPreviewDialog(printer, parent);
    dialog->setWindowTitle(PreviewTitle);
    if (auto* widget = dialog->findChild<QPrintPreviewWidget*>()) {
        widget->setZoomMode(QPrintPreviewWidget::CustomZoom);
        widget->setZoomFactor(1.0);
    }
    dialog->setWindowState(dialog->windowState() | Qt::WindowMaximized);
    return dialog;
}

void ReportOutput::setScripted(bool scripted) {
    m_scripted = scripted;
}

void ReportOutput::scriptChoices(const QList<std::optional<Choice>>& choices) {
    m_choices = choices;
}

void ReportOutput::clearRecords() {
    m_choices.clear();
    m_dialogsShown = 0;
    m_deliveries.clear();
    m_statusTexts.clear();
}

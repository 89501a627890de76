#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// File choosers of the program (the open-file dialog and, later, folder and multi-file
// choosers). In scripted mode (tests) nothing is shown: each call takes the next scripted
// result, an empty text meaning the user cancelled, and records what it was asked.
class FileDialogs {
public:
    struct Request {
        QString title;
        QString filter; // "Orbenta Datenbank|ORBTData.mdb" style: caption|patterns
        QString initialFolder;
    };

    static FileDialogs& instance();

    // Returns the picked file's full path, or an empty text when cancelled.
    QString openFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& initialFolder);
    // The dialog openFile shows, not yet shown; the caller owns it. Lets tests look at the
    // real dialog without blocking on it.
    static QFileDialog* createOpenFileDialog(QWidget* parent, const QString& title,
                                             const QString& filter, const QString& initialFolder);
    // Several existing files, in the order chosen; an empty list when cancelled. The dialog can
    // be resized.
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter,
                          const QString& initialFolder);
    static QFileDialog* createOpenFilesDialog(QWidget* parent, const QString& title,
                                              const QString& filter, const QString& initialFolder);

    void setScripted(bool scripted);
    bool scripted() const { return m_scripted; }
    void scriptResults(const QStringList& results);
    // The choices of openFiles, one list per call; an empty list is a cancel.
    void scriptFileLists(const QList<QStringList>& choices);
    const QList<Request>& requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Drops scripted results not used yet.
    void clearResults() {
        m_results.clear();
        m_fileLists.clear();
    }

private:
    FileDialogs() = default;

    bool m_scripted = false;
    QStringList m_results;
    QList<QStringList> m_fileLists;
    QList<Request> m_requests;
};

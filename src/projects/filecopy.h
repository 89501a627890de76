#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// Copies files to destinations of their own, one after another, as one operation: a progress
// window once the files together are large, a question before a file of the same name is
// replaced. A copy is written beside its destination and put in place only when complete, so
// a copy that breaks off (an error, the user's "Abbrechen") leaves no partial file under the
// final name and an existing file as it was.
class FileCopy : public QObject {
    Q_OBJECT
public:
    struct Job {
        QString source;
        QString destination;
    };

    // Copies of this many bytes together or more show the progress window.
    static constexpr qint64 LargeCopy = 8 * 1024 * 1024;

    explicit FileCopy(QWidget* owner, QObject* parent = nullptr);

    // Returns the number of files copied. A file the user chose not to replace is left out;
    // "Abbrechen" in the progress window ends the operation quietly. Throws OrbentaError with a
    // German text when a file cannot be copied; the files copied before it stay.
    int run(const QList<Job>& jobs);

    void setProgressThreshold(qint64 bytes) { m_threshold = bytes; }
    void setChunkSize(qint64 bytes) { m_chunk = bytes; }
    // The progress window of the running operation; nullptr when none is shown.
    QProgressDialog* progressDialog() const { return m_progress; }

Q_SIGNALS:
    // After every piece written.
    void progressed(qint64 bytesDone);

private:
    bool copyOne(const Job& job, qint64& done, qint64 total);
    bool cancelled() const;

    QPointer<QWidget> m_owner;
    QProgressDialog* m_progress = nullptr; // owned by run()
    qint64 m_threshold = LargeCopy;
    qint64 m_chunk = 1024 * 1024;
};

// A second program on a database, for the tests that need one in its own process:
//
//   orbenta-testwriter open <folder>           opens the database, prints "ok <journal mode>"
//                                               or the German error text
//   orbenta-testwriter write <folder> <prefix>  writes until it is killed, printing "+<key>"
//                                               when a change's commit starts and "<key>" once
//                                               it has returned
#include "data/connection.h"
#include "data/tdm.h"

#include <QCoreApplication>

#include <unistd.h>

namespace {

void say(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // One unbuffered write: a line on the pipe is whole, and it is there before the next change
    // starts.
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(3);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || (args.at(1) == QLatin1String("write") && args.size() < 4))
        return 2;
    Connection connection;
    connection.setConnectionString(Tdm::connectionStringFor(args.at(2)));
    try {
        connection.open();
        if (args.at(1) == QLatin1String("open")) {
            say(QStringLiteral("ok ") + connection.journalMode());
            return 0;
        }
        // Each change touches several pages: a new row with a long text, and a rewrite of an
        // old row whose text grows and shrinks.
        const QString prefix = args.at(3);
        for (int n = 1;; ++n) {
            const QString key = prefix + QLatin1Char('-') + QString::number(n);
            const QString filler(500 + (n * 7919) % 3000, QLatin1Char('a' + n % 26));
            connection.beginWrite();
            connection.execute(
                QStringLiteral(
                    "insert into Projects (Pojektnummer, Beschreibung) values ('%1', '%2')")
                    .arg(key, filler));
            connection.execute(QStringLiteral("update Projects set Beschreibung = '%1' where Nr = "
                                              "(select min(Nr) from Projects)")
                                   .arg(filler.left(n % 4000)));
            say(QLatin1Char('+') + key); // the commit starts
            connection.commit();
            say(key);
        }
    } catch (const DataError& e) {
        say(e.message());
        return 1;
    }
}

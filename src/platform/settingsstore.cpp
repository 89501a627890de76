#include "platform/settingsstore.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

struct Locations {
    QString machine;
    QString user;
    bool overridden = false;
};

Locations& locations() {
    static Locations l;
    return l;
}

QString defaultMachineFile() {
    return QStringLiteral("/etc/xdg/Selvaner/Orbenta.json");
}

QString defaultUserFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Selvaner/Orbenta.json");
}

// Whether the rights allow replacing the file: the file itself where it exists, and the
// nearest folder above it that exists (the new content is written beside the old).
bool writableHere(const QString& file) {
    const QFileInfo info(file);
    if (info.exists() && !info.isWritable())
        return false;
    QFileInfo folder(info.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder = QFileInfo(folder.absolutePath());
    return !folder.isDir() || folder.isWritable();
}

QString nameKey(const QString& name) {
    return name.toLower();
}

QString& pendingNotice() {
    static QString text;
    return text;
}

// The files QSaveFile writes before it renames one over the settings file ("Orbenta.json." and
// six letters or digits), which a crash can leave behind. One written by another running copy
// this moment is younger than a few seconds and stays.
void removeLeftTemporaries(const QString& file) {
    const QFileInfo info(file);
    const QRegularExpression temporary(QLatin1Char('^') +
                                       QRegularExpression::escape(info.fileName()) +
                                       QStringLiteral(R"(\.[A-Za-z0-9]{6}$)"));
    const QDateTime settled = QDateTime::currentDateTimeUtc().addSecs(-10);
    QDirIterator it(info.absolutePath(), QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (temporary.match(entry.fileName()).hasMatch() && !entry.isSymLink() &&
            entry.lastModified().toUTC() < settled)
            QFile::remove(entry.filePath());
    }
}

} // namespace

void SettingsStore::setLocations(const QString& machineFile, const QString& userFile) {
    locations() = {machineFile, userFile, true};
}

QString SettingsStore::machineFile() {
    return locations().overridden ? locations().machine : defaultMachineFile();
}

QString SettingsStore::userFile() {
    return locations().overridden ? locations().user : defaultUserFile();
}

SettingsStore::SettingsStore(Scope scope)
    : m_scope(scope), m_file(scope == Scope::Machine ? machineFile() : userFile()) {
    load();
}

// "\\SOFTWARE\\\\Selvaner\\Orbenta\\" and "SOFTWARE\\Selvaner\\Orbenta" name the same key.
QString SettingsStore::normalizedKey(const QString& key) {
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

bool SettingsStore::keyExists(const QString& key) const {
    const QString wanted = normalizedKey(key).toLower();
    if (m_keys.contains(wanted))
        return true;
    // A key exists also as the parent of a stored one, as in the registry.
    const QString prefix = wanted + QLatin1Char('\\');
    return std::any_of(m_keys.keyBegin(), m_keys.keyEnd(),
                       [&](const QString& k) { return k.startsWith(prefix); });
}

std::optional<int> SettingsStore::readInteger(const QString& key, const QString& name) const {
    const auto k = m_keys.constFind(normalizedKey(key).toLower());
    if (k == m_keys.constEnd())
        return std::nullopt;
    const auto v = k->values.constFind(nameKey(name));
    if (v == k->values.constEnd() || !v->isInteger)
        return std::nullopt;
    return v->integer;
}

std::optional<QString> SettingsStore::readString(const QString& key, const QString& name) const {
    const auto k = m_keys.constFind(normalizedKey(key).toLower());
    if (k == m_keys.constEnd())
        return std::nullopt;
    const auto v = k->values.constFind(nameKey(name));
    if (v == k->values.constEnd() || v->isInteger)
        return std::nullopt;
    return v->text;
}

QStringList SettingsStore::valueNames(const QString& key) const {
    QStringList names;
    const auto k = m_keys.constFind(normalizedKey(key).toLower());
    if (k != m_keys.constEnd()) {
        for (const Value& v : k->values)
            names << v.name;
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

// Every change starts from the file as it is now, so that no store loses what another wrote
// meanwhile; a change that does not reach the disk is dropped from memory too.
template <typename Change> void SettingsStore::modify(Change&& change) {
    if (m_batchDepth > 0) {
        if (change())
            m_batchChanged = true;
        return;
    }
    load();
    if (!change())
        return;
    try {
        save();
    } catch (...) {
        load();
        throw;
    }
}

void SettingsStore::beginBatch() {
    if (m_batchDepth++ == 0) {
        load();
        m_batchChanged = false;
    }
}

void SettingsStore::endBatch(bool completed) {
    if (--m_batchDepth > 0) // the outermost batch writes
        return;
    const bool changed = std::exchange(m_batchChanged, false);
    if (!completed) {
        load();
        return;
    }
    if (!changed)
        return;
    try {
        save();
    } catch (...) {
        load();
        throw;
    }
}

void SettingsStore::createKey(const QString& key) {
    modify([&] {
        const QString path = normalizedKey(key);
        if (m_keys.contains(path.toLower()))
            return false;
        m_keys.insert(path.toLower(), Key{path, {}});
        return true;
    });
}

SettingsStore::Value& SettingsStore::valueFor(const QString& key, const QString& name) {
    const QString path = normalizedKey(key);
    Key& k = m_keys[path.toLower()];
    if (k.path.isEmpty())
        k.path = path;
    return k.values[nameKey(name)];
}

void SettingsStore::writeInteger(const QString& key, const QString& name, int value) {
    modify([&] {
        Value& v = valueFor(key, name);
        if (v.name == name && v.isInteger && v.integer == value)
            return false;
        v = Value{name, true, value, {}};
        return true;
    });
}

void SettingsStore::writeString(const QString& key, const QString& name, const QString& value) {
    modify([&] {
        Value& v = valueFor(key, name);
        if (v.name == name && !v.isInteger && v.text == value)
            return false;
        v = Value{name, false, 0, value};
        return true;
    });
}

void SettingsStore::deleteValue(const QString& key, const QString& name) {
    modify([&] {
        const auto k = m_keys.find(normalizedKey(key).toLower());
        return k != m_keys.end() && k->values.remove(nameKey(name)) > 0;
    });
}

void SettingsStore::reload() {
    load();
}

QString SettingsStore::takeNotice() {
    return std::exchange(pendingNotice(), QString());
}

// The file holds one object per key, each mapping value names to numbers (integer values)
// or strings (text values). A missing or empty file counts as empty; one that cannot be
// parsed too, after it was kept (keepAside).
void SettingsStore::load() {
    m_keys.clear();
    m_unreadable = false;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly)) {
        // Present but closed to us: it may hold everything, so it is not replaced.
        m_unreadable = m_scope == Scope::User && file.exists();
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject()) {
        if (m_scope == Scope::User && !bytes.trimmed().isEmpty())
            keepAside();
        return;
    }
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (!it.value().isObject())
            continue;
        const QString path = normalizedKey(it.key());
        Key& key = m_keys[path.toLower()];
        if (key.path.isEmpty())
            key.path = path;
        const QJsonObject values = it.value().toObject();
        for (auto v = values.begin(); v != values.end(); ++v) {
            if (v.value().isString()) {
                key.values.insert(nameKey(v.key()), Value{v.key(), false, 0, v.value().toString()});
            } else if (v.value().isDouble()) {
                const double d = v.value().toDouble();
                // Anything but a whole number in range is of another type; the range is tested
                // before the conversion, which would be undefined beyond it (1e21).
                if (!(d >= std::numeric_limits<int>::min() &&
                      d <= std::numeric_limits<int>::max()) ||
                    d != std::trunc(d))
                    continue;
                key.values.insert(nameKey(v.key()), Value{v.key(), true, static_cast<int>(d), {}});
            }
        }
    }
}

// Moves an unreadable settings file out of the way of the next write, under a name that says
// what it is, and leaves a notice for the user.
void SettingsStore::keepAside() {
    const QString base = m_file + QStringLiteral(".unreadable-") +
                         QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(m_file, target)) {
        pendingNotice() =
            QStringLiteral("Die Einstellungsdatei „%1“ war beschädigt und konnte nicht gelesen "
                           "werden. Sie wurde unverändert als „%2“ aufbewahrt; Fensterposition "
                           "und Spalten der Listen beginnen wieder mit den Vorgaben.")
                .arg(QDir::toNativeSeparators(m_file), QDir::toNativeSeparators(target));
        return;
    }
    m_unreadable = true;
    pendingNotice() =
        QStringLiteral("Die Einstellungsdatei „%1“ ist beschädigt und kann nicht gelesen werden. "
                       "Sie bleibt unverändert; bis sie lesbar ist oder entfernt wird, beginnt "
                       "das Programm mit den Vorgaben und speichert keine Einstellungen.")
            .arg(QDir::toNativeSeparators(m_file));
}

void SettingsStore::save() const {
    QJsonObject root;
    for (const Key& key : m_keys) {
        QJsonObject values;
        for (const Value& v : key.values) {
            if (v.isInteger)
                values.insert(v.name, v.integer);
            else
                values.insert(v.name, v.text);
        }
        root.insert(key.path, values);
    }
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (m_unreadable)
        throw SettingsError(QStringLiteral("Die Einstellungsdatei „%1“ kann nicht gelesen werden "
                                           "und wird nicht überschrieben. Die Einstellungen "
                                           "wurden nicht gespeichert.")
                                .arg(QDir::toNativeSeparators(m_file)));

    const QString folder = QFileInfo(m_file).absolutePath();
    auto fail = [&]() {
        if (!writableHere(m_file))
            throw SettingsError(QStringLiteral("Keine Schreibberechtigung für „%1“. Die "
                                               "Einstellungen wurden nicht gespeichert.")
                                    .arg(QDir::toNativeSeparators(m_file)));
        throw SettingsError(QStringLiteral("Die Einstellungsdatei „%1“ konnte nicht geschrieben "
                                           "werden. Die Einstellungen wurden nicht gespeichert.")
                                .arg(QDir::toNativeSeparators(m_file)));
    };
    if (!QDir().mkpath(folder))
        fail();
    removeLeftTemporaries(m_file);
    // The new content goes to a temporary file that replaces the old one only once it is
    // complete on disk, so a crash mid-write leaves the old settings intact.
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        fail();
    }
    if (!file.commit())
        fail();
}

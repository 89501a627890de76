#pragma once

#include "platform/orbentaerror.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// A registry-like hierarchical store of integer and text values with two scopes:
// the machine scope (shared by all users, read-only for the program) and the user scope.
// Key paths use backslashes ("SOFTWARE\\Selvaner\\Orbenta\\MainGrid"); key and value names
// are compared without regard to case, and writing a name in another case replaces the
// stored value instead of adding a twin. Every write reaches the disk atomically.
class SettingsStore {
public:
    enum class Scope { Machine, User };

    // The files behind the two scopes. By default the machine scope lives in the system-wide
    // XDG configuration folder (/etc/xdg/Selvaner/Orbenta.json) and the user scope in the
    // user's one (~/.config/Selvaner/Orbenta.json). Tests point both at temporary folders.
    static void setLocations(const QString& machineFile, const QString& userFile);
    static QString machineFile();
    static QString userFile();

    explicit SettingsStore(Scope scope);

    Scope scope() const { return m_scope; }

    bool keyExists(const QString& key) const;
    // A value that is missing or of another type reads as std::nullopt.
    std::optional<int> readInteger(const QString& key, const QString& name) const;
    std::optional<QString> readString(const QString& key, const QString& name) const;
    QStringList valueNames(const QString& key) const;

    // Writes throw SettingsError when the file cannot be written (for example, no rights).
    void createKey(const QString& key);
    void writeInteger(const QString& key, const QString& name, int value);
    void writeString(const QString& key, const QString& name, const QString& value);
    void deleteValue(const QString& key, const QString& name);

    // Re-reads the file; a store reads its file when constructed and before each write (so a
    // write never drops what another store wrote meanwhile).
    //
    // A user file that cannot be parsed (cut off, not UTF-8, not an object) reads as empty but
    // is never overwritten: it is moved aside as "Orbenta.json.unreadable-<yyyy-MM-dd>" (with
    // "-2", "-3" ... when that name is taken) and a notice for the user says where it went.
    // Where it cannot be moved, writes fail instead of replacing it.
    void reload();

    // The German notice about a settings file kept aside since the last call, or an empty text;
    // taking it clears it, so the user reads it once. The store shows nothing itself.
    static QString takeNotice();

    // Runs the writes of `changes` as one: the file is read before them and written once after,
    // instead of once for each value. An exception from `changes` or from the write drops them
    // all and leaves the file as it was.
    template <typename Changes> void batch(Changes&& changes);

private:
    struct Value {
        QString name; // as last written
        bool isInteger = false;
        int integer = 0;
        QString text;
    };
    struct Key {
        QString path;                 // as first written
        QHash<QString, Value> values; // by lower-case name
    };

    void load();
    void keepAside();
    void save() const;
    template <typename Change> void modify(Change&& change);
    Value& valueFor(const QString& key, const QString& name);
    static QString normalizedKey(const QString& key);

    void beginBatch();
    void endBatch(bool completed);

    Scope m_scope;
    QString m_file;
    QHash<QString, Key> m_keys; // by normalised lower-case path
    bool m_unreadable = false;  // the file could not be read and is still in place
    int m_batchDepth = 0;
    bool m_batchChanged = false;
};

template <typename Changes> void SettingsStore::batch(Changes&& changes) {
    beginBatch();
    try {
        changes();
    } catch (...) {
        endBatch(false);
        throw;
    }
    endBatch(true);
}

class SettingsError : public OrbentaError {
public:
    using OrbentaError::OrbentaError;
};

// The key under which everything of the program lives.
inline const QString OrbentaKey = QStringLiteral("SOFTWARE\\Selvaner\\Orbenta");

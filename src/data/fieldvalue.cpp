#include "data/fieldvalue.h"

#include "data/dataerror.h"
#include "data/datetimevalue.h"

#include <QLocale>

#include <cmath>

namespace {

// text(n) counts characters: one written as a surrogate pair (an emoji) is one, not two.
qsizetype characterCount(const QString& text) {
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
            --count;
    }
    return count;
}

void checkTextSize(const FieldDef& def, const QString& text) {
    if (def.type != FieldType::Text || def.size <= 0 || text.size() <= def.size ||
        characterCount(text) <= def.size)
        return;
    throw DataError(QStringLiteral("Der Text für das Feld »%1« ist zu lang (höchstens %2 Zeichen).")
                        .arg(def.name)
                        .arg(def.size));
}

} // namespace

namespace FieldValue {

QString numberText(double value) {
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

std::optional<double> parseNumber(const QString& input) {
    QString text = input.trimmed();
    if (text.contains(QLatin1Char(','))) {
        text.remove(QLatin1Char('.'));
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const QString& input) {
    bool ok = false;
    const int value = input.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<bool> parseBoolean(const QString& input) {
    const QString text = input.trimmed().toLower();
    if (text == QLatin1String("wahr") || text == QLatin1String("true") ||
        text == QLatin1String("ja") || text == QLatin1String("1") || text == QLatin1String("-1"))
        return true;
    if (text == QLatin1String("falsch") || text == QLatin1String("false") ||
        text == QLatin1String("nein") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString booleanText(bool value) {
    return value ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
}

bool isEmpty(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

bool isCurrency(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<Currency>();
}

QString text(FieldType type, const QVariant& value) {
    if (value.isNull())
        return type == FieldType::YesNo ? booleanText(false) : QString();
    if (isCurrency(value))
        return value.value<Currency>().toText();
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        return value.toString();
    case FieldType::Counter:
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::DateTime:
        return DateTimeValue::displayText(value.toDouble());
    case FieldType::Currency:
        return Currency::fromDouble(value.toDouble()).toText();
    case FieldType::YesNo:
        return booleanText(value.toBool());
    case FieldType::Float:
    case FieldType::Calculated:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    case QMetaType::Bool:
        return booleanText(value.toBool());
    default:
        return value.toString();
    }
}

QVariant forWriting(const FieldDef& def, const QVariant& input) {
    if (def.type == FieldType::Calculated)
        throw DataError(
            QStringLiteral("Das Feld »%1« wird berechnet und kann nicht geändert werden.")
                .arg(def.name));
    if (def.type == FieldType::Counter)
        throw DataError(
            QStringLiteral("Das Feld »%1« wird von der Datenbank gezählt und kann nicht geändert "
                           "werden.")
                .arg(def.name));

    const bool isText = input.typeId() == QMetaType::QString;
    const QString text = isText ? input.toString() : QString();
    const auto refuse = [&](const char* what) -> DataError {
        return DataError(QStringLiteral("»%1« ist %2 für das Feld »%3«.")
                             .arg(text, QString::fromUtf8(what), def.name));
    };

    if (input.isNull())
        return def.type == FieldType::YesNo ? QVariant(false) : QVariant(); // never empty
    QVariant value;
    switch (def.type) {
    case FieldType::Text:
    case FieldType::Memo:
        value = isText ? text : FieldValue::text(FieldType::Float, input);
        checkTextSize(def, value.toString());
        break;
    case FieldType::Integer:
        if (isText) {
            const auto number = parseInteger(text);
            if (!number)
                throw refuse("keine gültige Zahl");
            value = *number;
        } else if (isCurrency(input)) {
            value = int(std::lround(input.value<Currency>().toDouble()));
        } else if (input.typeId() == QMetaType::Double) {
            value = int(std::lround(input.toDouble()));
        } else {
            value = input.toInt();
        }
        break;
    case FieldType::DateTime:
    case FieldType::Float:
        if (isText) {
            const auto number = def.type == FieldType::DateTime ? DateTimeValue::parseDateTime(text)
                                                                : parseNumber(text);
            if (!number)
                throw refuse(def.type == FieldType::DateTime ? "kein gültiges Datum"
                                                             : "keine gültige Zahl");
            value = *number;
        } else if (isCurrency(input)) {
            value = input.value<Currency>().toDouble();
        } else if (std::isfinite(input.toDouble())) {
            value = input.toDouble();
        } // NaN (an invalid date) leaves the field empty, as the engine would store it
        break;
    case FieldType::Currency:
        if (isText) {
            const auto amount = Currency::fromText(text);
            if (!amount)
                throw refuse("kein gültiger Betrag");
            value = QVariant::fromValue(*amount);
        } else if (isCurrency(input)) {
            value = input;
        } else if (input.typeId() == QMetaType::Double) {
            value = QVariant::fromValue(Currency::fromDouble(input.toDouble()));
        } else {
            value = QVariant::fromValue(Currency::fromScaled(input.toLongLong() * Currency::Scale));
        }
        break;
    case FieldType::YesNo:
        if (isText) {
            const auto flag = parseBoolean(text);
            if (!flag)
                throw refuse("kein gültiger Ja/Nein-Wert");
            value = *flag;
        } else {
            value = input.toBool();
        }
        break;
    case FieldType::Counter:
    case FieldType::Calculated:
        break;
    }
    return value;
}

int toInteger(const QVariant& v) {
    if (isEmpty(v))
        return 0;
    if (isCurrency(v))
        return int(std::lround(v.value<Currency>().toDouble()));
    if (v.typeId() == QMetaType::QString) {
        if (const auto number = parseInteger(v.toString()))
            return *number;
        throw DataError(QStringLiteral("»%1« ist keine gültige Zahl.").arg(v.toString()));
    }
    if (v.typeId() == QMetaType::Double)
        return int(std::lround(v.toDouble()));
    return v.toInt();
}

double toDateTime(const QVariant& v) {
    if (isEmpty(v))
        return 0;
    if (v.typeId() == QMetaType::QString) {
        if (const auto date = DateTimeValue::parseDateTime(v.toString()))
            return *date;
        throw DataError(QStringLiteral("»%1« ist kein gültiges Datum.").arg(v.toString()));
    }
    return toFloat(v);
}

double toFloat(const QVariant& v) {
    if (isEmpty(v))
        return 0;
    if (isCurrency(v))
        return v.value<Currency>().toDouble();
    if (v.typeId() == QMetaType::QString) {
        if (const auto number = parseNumber(v.toString()))
            return *number;
        throw DataError(QStringLiteral("»%1« ist keine gültige Zahl.").arg(v.toString()));
    }
    return v.toDouble();
}

bool toBoolean(const QVariant& v) {
    if (isEmpty(v))
        return false;
    if (isCurrency(v))
        return v.value<Currency>().scaled() != 0;
    if (v.typeId() == QMetaType::QString)
        return parseBoolean(v.toString()).value_or(false);
    return v.toBool();
}

Currency toCurrency(const QVariant& v) {
    if (isEmpty(v))
        return {};
    if (isCurrency(v))
        return v.value<Currency>();
    if (v.typeId() == QMetaType::QString) {
        if (const auto amount = Currency::fromText(v.toString()))
            return *amount;
        throw DataError(QStringLiteral("»%1« ist kein gültiger Betrag.").arg(v.toString()));
    }
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return Currency::fromScaled(v.toLongLong() * Currency::Scale);
    return Currency::fromDouble(v.toDouble());
}

} // namespace FieldValue

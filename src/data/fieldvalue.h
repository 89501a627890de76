#pragma once

#include "data/connection.h"
#include "data/currency.h"

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <optional>

Q_DECLARE_METATYPE(Currency)

// A field of a dataset's result, by position.
struct FieldDef {
    QString name; // as the result names it ("Bezeichnung", "summeaufwand")
    FieldType type = FieldType::Text;
    int size = 0;  // text(n)
    QString table; // the stored table and column it comes from; empty for computed values
    QString column;
    QString sourceField;   // calculated fields: the stored field they are computed from
    QString displayFormat; // date-time fields: "dd:mm:yyyy", "HH:mm"; empty for the default
};

// How the values of a field are read from text, shown as text and converted between the types
// a field can be asked for. Numbers are German ("1234,5"); dates are read by DateTimeValue.
namespace FieldValue {

// "1234,5"; 0 and what is no finite number give "0".
QString numberText(double value);
// German notation ("1234,5", "1.234,5"); a point alone counts as the decimal point ("12.5").
std::optional<double> parseNumber(const QString& text);
std::optional<int> parseInteger(const QString& text);
// "Wahr"/"Falsch", "ja"/"nein", "true"/"false", 1, -1 and 0, in any case.
std::optional<bool> parseBoolean(const QString& text);
QString booleanText(bool value); // "Wahr", "Falsch"

// Empty: a null value, or the empty text of a calculated field.
bool isEmpty(const QVariant& value);
bool isCurrency(const QVariant& value);

// The text of a value as a field of the given type shows it (dates as the short date, with the
// time when there is one).
QString text(FieldType type, const QVariant& value);

// The value a field of this definition stores for what is written into it: a text is read in
// the field's type, other values are converted. A null value clears the field (a yes/no field
// becomes false). Throws DataError for a text that is no value of the type, a text longer than
// the field holds, and for counters and calculated fields, which nobody writes.
QVariant forWriting(const FieldDef& def, const QVariant& input);

// A field's value read as another type; an empty value gives 0, false or an empty amount.
// Throws DataError for a text that cannot be read so.
int toInteger(const QVariant& value);
double toDateTime(const QVariant& value);
double toFloat(const QVariant& value);
bool toBoolean(const QVariant& value);
Currency toCurrency(const QVariant& value);

} // namespace FieldValue

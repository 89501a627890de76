#include "data/currency.h"
#include "data/datetimevalue.h"
#include "testsupport.h"

#include <QLocale>
#include <QTest>
#include <cmath>
#include <limits>

namespace {
constexpr double Minute = 1.0 / (24 * 60);
constexpr double Second = Minute / 60;
constexpr double Day5March2009 = 39877;
const double NaN = std::numeric_limits<double>::quiet_NaN();
} // namespace

class TestValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void showtimeText_data();
    void showtimeText();
    void conversion_data();
    void conversion();
    void parseDate_data();
    void parseDate();
    void parseTime_data();
    void parseTime();
    void displayTexts_data();
    void displayTexts();
    void formats_data();
    void formats();
    void currencyText_data();
    void currencyText();
    void currencyExact();
    void storedReal_data();
    void storedReal();
};

void TestValues::initTestCase() {
    // A locale with other date and number habits must change none of the texts.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestValues::showtimeText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "00:00";
    QTest::newRow("quarter day") << 0.25 << "06:00";
    QTest::newRow("one and three quarter days") << 1.75 << "42:00";
    QTest::newRow("100 hours") << 100.0 / 24 << "100:00";
    QTest::newRow("3 min 59 s, seconds dropped") << 3 * Minute + 59 * Second << "00:03";
    QTest::newRow("one and a half days") << 1.5 << "36:00";
    QTest::newRow("59 min 59 s") << 59 * Minute + 59 * Second << "00:59";
    QTest::newRow("65536 hours, no 16-bit wrap") << 65536.0 / 24 << "65536:00";
    QTest::newRow("negative quarter day") << -0.25 << "06:00";
    QTest::newRow("negative adds no days") << -1.25 << "06:00";
    QTest::newRow("a hair under a minute rounds to it") << Minute - 0.0004 / 86400 << "00:01";
    QTest::newRow("NaN") << NaN << "";
}

void TestValues::showtimeText() {
    QFETCH(double, value);
    QTEST(showtime(value), "text");
}

void TestValues::conversion_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QDateTime>("dateTime");
    const auto at = [](int y, int m, int d, int h = 0, int min = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min));
    };
    QTest::newRow("epoch") << 0.0 << at(1899, 12, 30);
    QTest::newRow("day after epoch, noon") << 1.5 << at(1899, 12, 31, 12);
    QTest::newRow("before the epoch, time counts forwards") << -1.25 << at(1899, 12, 29, 6);
    QTest::newRow("5 March 2009 14:07")
        << Day5March2009 + 14.0 / 24 + 7 * Minute << at(2009, 3, 5, 14, 7);
    QTest::newRow("1800") << -36522.75 << at(1800, 1, 1, 18);
}

// Both directions, and reading back rounds to whole milliseconds.
void TestValues::conversion() {
    QFETCH(double, value);
    QFETCH(QDateTime, dateTime);
    QCOMPARE(DateTimeValue::toDateTime(value), dateTime);
    QCOMPARE(DateTimeValue::toDate(value), dateTime.date());
    QCOMPARE(DateTimeValue::fromDateTime(dateTime), value);
    const double off = (value < 0 ? -0.0004 : 0.0004) * Second;
    QCOMPARE(DateTimeValue::toDateTime(value + off), dateTime);
}

void TestValues::parseDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: refused
    const QDate march5(2009, 3, 5);
    QTest::newRow("d.M.yyyy") << "5.3.2009" << march5;
    QTest::newRow("dd.MM.yyyy") << "05.03.2009" << march5;
    QTest::newRow("blanks around") << "  5.3.2009 " << march5;
    QTest::newRow("yy in the past") << "5.3.09" << march5;
    QTest::newRow("yy this year") << "5.3.26" << QDate(2026, 3, 5);
    QTest::newRow("yy 50 years ahead") << "5.3.76" << QDate(2076, 3, 5);
    QTest::newRow("yy beyond 50 years ahead") << "5.3.77" << QDate(1977, 3, 5);
    QTest::newRow("d.M.") << "5.3." << QDate(2026, 3, 5);
    QTest::newRow("d.M") << "05.3" << QDate(2026, 3, 5);
    QTest::newRow("leap day") << "29.2.2024" << QDate(2024, 2, 29);
    QTest::newRow("31 February") << "31.02.2009" << QDate();
    QTest::newRow("29 February, no leap year") << "29.2.2025" << QDate();
    QTest::newRow("month 13") << "1.13.2009" << QDate();
    QTest::newRow("day 0") << "0.1.2009" << QDate();
    QTest::newRow("year 0") << "1.1.0000" << QDate();
    QTest::newRow("text") << "heute" << QDate();
    QTest::newRow("empty") << "" << QDate();
    QTest::newRow("blanks only") << "   " << QDate();
    QTest::newRow("three-digit year") << "1.1.209" << QDate();
    QTest::newRow("one-digit year") << "1.1.9" << QDate();
    QTest::newRow("five-digit year") << "1.1.20091" << QDate();
    QTest::newRow("extra part") << "1.2.3.4" << QDate();
    QTest::newRow("trailing point after year") << "1.1.2009." << QDate();
    QTest::newRow("day alone") << "5" << QDate();
    QTest::newRow("three-digit day") << "005.3.2009" << QDate();
    QTest::newRow("blanks inside") << "5. 3. 2009" << QDate();
    QTest::newRow("slashes") << "5/3/2009" << QDate();
    QTest::newRow("ISO") << "2009-03-05" << QDate();
    QTest::newRow("sign") << "-5.3.2009" << QDate();
}

void TestValues::parseDate() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    const auto parsed = DateTimeValue::parseShortDate(text, QDate(2026, 12, 11));
    QCOMPARE(parsed.value_or(QDate()), date);
}

void TestValues::parseTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds");      // of the day; -1: refused
    QTest::addColumn<QString>("dateTime"); // the same text read as a date-time
    QTest::newRow("H:mm") << "8:30" << 8 * 3600 + 30 * 60 << "30.12.1899 08:30:00";
    QTest::newRow("HH:mm:ss") << "08:30:15" << 8 * 3600 + 30 * 60 + 15 << "30.12.1899 08:30:15";
    QTest::newRow("blanks around") << " 23:59:59 " << 86399 << "30.12.1899 23:59:59";
    QTest::newRow("midnight") << "0:00" << 0 << "30.12.1899";
    QTest::newRow("24:00") << "24:00" << -1 << "";
    QTest::newRow("minute 60") << "9:60" << -1 << "";
    QTest::newRow("second 60") << "9:00:60" << -1 << "";
    QTest::newRow("one-digit minutes") << "9:5" << -1 << "";
    QTest::newRow("hours alone") << "9" << -1 << "";
    QTest::newRow("date first") << "5.3.2009 8:30" << -1 << "05.03.2009 08:30:00";
}

// A time of day to the second, alone or after a date.
void TestValues::parseTime() {
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QFETCH(QString, dateTime);
    const auto time = DateTimeValue::parseTimeOfDay(text);
    QCOMPARE(time.has_value(), seconds >= 0);
    if (time)
        QCOMPARE(std::llround(*time * 86400), seconds);
    const auto value = DateTimeValue::parseDateTime(text, QDate(2026, 12, 11));
    QCOMPARE(value ? DateTimeValue::displayText(*value) : QString(), dateTime);
}

void TestValues::displayTexts_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("display");
    QTest::newRow("midnight") << Day5March2009 << "05.03.2009"
                              << "05.03.2009";
    QTest::newRow("with time") << Day5March2009 + 0.5 + 7 * Minute + 9 * Second << "05.03.2009"
                               << "05.03.2009 12:07:09";
    QTest::newRow("one second past midnight") << Day5March2009 + Second << "05.03.2009"
                                              << "05.03.2009 00:00:01";
    QTest::newRow("time of day alone, on day 0") << 0.75 << "30.12.1899"
                                                 << "30.12.1899 18:00:00";
    QTest::newRow("two-digit year not used") << 46367.0 << "11.12.2026"
                                             << "11.12.2026";
    QTest::newRow("NaN") << NaN << ""
                         << "";
}

void TestValues::displayTexts() {
    QFETCH(double, value);
    QTEST(DateTimeValue::shortDateText(value), "shortDate");
    QTEST(DateTimeValue::displayText(value), "display");
}

void TestValues::formats_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    const double afternoon = Day5March2009 + 14.0 / 24 + 7 * Minute + 9 * Second;
    QTest::newRow("time list date") << Day5March2009 << "dd:mm:yyyy"
                                    << "05:03:2009";
    QTest::newRow("time list time") << 0.5 << "HH:mm"
                                    << "12:00";
    QTest::newRow("m after an hour is minutes") << afternoon << "dd.mm.yyyy hh:mm:ss"
                                                << "05.03.2009 14:07:09";
    QTest::newRow("single letters, yy") << afternoon << "d.m.yy h:n:s"
                                        << "5.3.09 14:7:9";
    QTest::newRow("upper case, nn") << afternoon << "DD.MM.YYYY HH.NN"
                                    << "05.03.2009 14.07";
    QTest::newRow("literals kept") << afternoon << "[dd] Tag; hh"
                                   << "[05] Tag; 14";
}

void TestValues::formats() {
    QFETCH(double, value);
    QFETCH(QString, format);
    QTEST(DateTimeValue::formatted(value, format), "text");
}

void TestValues::currencyText_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("scaled");
    QTest::addColumn<QString>("text");
    const qint64 max = std::numeric_limits<qint64>::max();
    const qint64 min = std::numeric_limits<qint64>::min();
    QTest::newRow("decimal comma") << "1234,5" << true << qint64(12345000) << "1234,5";
    QTest::newRow("negative") << "-0,25" << true << qint64(-2500) << "-0,25";
    QTest::newRow("grouping points") << "1.234,50" << true << qint64(12345000) << "1234,5";
    QTest::newRow("thousands point") << "1.500" << true << qint64(15000000) << "1500";
    QTest::newRow("two thousands points")
        << "1.500.000" << true << qint64(15000000000) << "1500000";
    QTest::newRow("negative, grouped, comma")
        << "-2.000,5" << true << qint64(-20005000) << "-2000,5";
    QTest::newRow("grouped, trailing comma") << "12.345," << true << qint64(123450000) << "12345";
    QTest::newRow("whole number") << " 1234 " << true << qint64(12340000) << "1234";
    QTest::newRow("trailing zeros dropped") << "-3,50" << true << qint64(-35000) << "-3,5";
    QTest::newRow("four places") << "0,0001" << true << qint64(1) << "0,0001";
    QTest::newRow("zeros beyond four places") << "1,000000" << true << qint64(10000) << "1";
    QTest::newRow("no whole part") << ",5" << true << qint64(5000) << "0,5";
    QTest::newRow("zero") << "0" << true << qint64(0) << "0";
    QTest::newRow("largest, 19 digits")
        << "922337203685477,5807" << true << max << "922337203685477,5807";
    QTest::newRow("smallest, 19 digits")
        << "-922337203685477,5808" << true << min << "-922337203685477,5808";
    QTest::newRow("five places") << "1,00001" << false << qint64(0) << "";
    QTest::newRow("overflow by one") << "922337203685477,5808" << false << qint64(0) << "";
    QTest::newRow("overflow, 20 digits") << "99999999999999999999" << false << qint64(0) << "";
    QTest::newRow("empty") << "" << false << qint64(0) << "";
    QTest::newRow("sign alone") << "-" << false << qint64(0) << "";
    QTest::newRow("letters") << "12a" << false << qint64(0) << "";
    QTest::newRow("currency sign") << "12,50 €" << false << qint64(0) << "";
    QTest::newRow("misplaced grouping") << "1.23,5" << false << qint64(0) << "";
    QTest::newRow("two commas") << "1,2,3" << false << qint64(0) << "";
    // A point that groups no three digits is refused, never read as the decimal separator.
    QTest::newRow("point, one place") << "1.5" << false << qint64(0) << "";
    QTest::newRow("point, two places") << "1.50" << false << qint64(0) << "";
    QTest::newRow("point, four places") << "1.5000" << false << qint64(0) << "";
    QTest::newRow("points, uneven groups") << "12.34.5" << false << qint64(0) << "";
    QTest::newRow("point after a zero") << "0.500" << false << qint64(0) << "";
    QTest::newRow("point first") << ".500" << false << qint64(0) << "";
    QTest::newRow("point last") << "1500." << false << qint64(0) << "";
    QTest::newRow("point in the decimals") << "1,500.5" << false << qint64(0) << "";
    QTest::newRow("four-digit first group") << "1500.000" << false << qint64(0) << "";
    QTest::newRow("blank inside") << "1 234,5" << false << qint64(0) << "";
}

void TestValues::currencyText() {
    QFETCH(QString, input);
    QFETCH(bool, valid);
    QFETCH(qint64, scaled);
    const auto value = Currency::fromText(input);
    QCOMPARE(value.has_value(), valid);
    if (valid) {
        QCOMPARE(value->scaled(), scaled);
        QTEST(value->toText(), "text");
    }
}

void TestValues::currencyExact() {
    const auto tenth = Currency::fromText("0,1");
    const auto fifth = Currency::fromText("0,2");
    QVERIFY(tenth && fifth);
    QCOMPARE(*tenth + *fifth, Currency::fromScaled(3000));
    QCOMPARE((*tenth + *fifth).toText(), "0,3");
    QCOMPARE(Currency::fromDouble(0.1) + Currency::fromDouble(0.2), Currency::fromScaled(3000));
    // Rounded from the decimal form, half away from zero.
    QCOMPARE(Currency::fromDouble(1.00005).scaled(), 10001);
    QCOMPARE(Currency::fromDouble(-1.00005).scaled(), -10001);
    QCOMPARE(Currency::fromDouble(0.123449).scaled(), 1234);
    QCOMPARE(Currency::fromDouble(NaN).scaled(), 0);
}

// REALs another tool wrote into a currency column: within the range they are the count of
// ten-thousandths, beyond it they are no amount at all.
void TestValues::storedReal_data() {
    QTest::addColumn<double>("real");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("scaled");
    QTest::newRow("whole count") << 15000.0 << true << qint64(15000);
    QTest::newRow("rounded to a whole count") << -2.5 << true << qint64(-3);
    QTest::newRow("largest below 2^63")
        << 9223372036854774784.0 << true << qint64(9223372036854774784);
    QTest::newRow("smallest") << -9223372036854775808.0 << true
                              << std::numeric_limits<qint64>::min();
    QTest::newRow("2^63") << 9223372036854775808.0 << false << qint64(0);
    QTest::newRow("1e300") << 1e300 << false << qint64(0);
    QTest::newRow("-1e300") << -1e300 << false << qint64(0);
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << qint64(0);
    QTest::newRow("NaN") << NaN << false << qint64(0);
}

void TestValues::storedReal() {
    QFETCH(double, real);
    QFETCH(bool, valid);
    QFETCH(qint64, scaled);
    const auto value = Currency::fromStoredReal(real);
    QCOMPARE(value.has_value(), valid);
    if (valid)
        QCOMPARE(value->scaled(), scaled);
}

ORBENTA_TEST_MAIN(TestValues)
#include "tst_values.moc"

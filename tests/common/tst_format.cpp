#include <format/numberformat.h>
#include <format/oledate.h>

#include <QTest>

#include <cmath>
#include <limits>

using namespace kolvar;

class TestFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The expected results are the decimal digits of the stored double
    // rounded half away from zero, whatever the user's locale.
    void rounding_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        const struct {
            const char *name;
            double x, expected;
        } cases[] = {
            {"2.675 stored below the half", 2.675, 2.67},
            {"exact half", 0.125, 0.13},
            {"negative half", -0.125, -0.13},
            {"millions", 1234567.891, 1234567.89},
            {"1.005 stored below", 1.005, 1.0},
            {"0.005 stored above", 0.005, 0.01},
            {"carry into the integer part", 99.995, 100.0},
            {"carry across digits", 999.995, 1000.0},
            {"negative carry", -999.995, -1000.0},
            {"0.1 + 0.2", 0.1 + 0.2, 0.3},
            {"VAT product", 100 * (18.0 / 100 + 1), 118.0},
            {"below a cent", 0.0025, 0.0},
            {"negative below a cent", -0.001, 0.0},
            {"zero", 0.0, 0.0},
            {"tiny", 1e-20, 0.0},
            {"large", 123456789012.345, 123456789012.35},
        };
        for (const char *locale : {"tr_TR", "en_US"}) {
            for (const auto &c : cases)
                QTest::addRow("%s %s", locale, c.name) << locale << c.x << c.expected;
        }
    }
    void rounding()
    {
        QFETCH(QString, locale);
        QFETCH(double, x);
        QFETCH(double, expected);
        QLocale::setDefault(QLocale(locale));
        const double r = IkiHaneYuvarla(x);
        QCOMPARE(r, expected);
        QVERIFY(!std::signbit(r) || r != 0); // never -0
        // Rounding again changes nothing.
        QCOMPARE(IkiHaneYuvarla(r), r);
    }

    void roundingNonFinite()
    {
        QVERIFY(std::isnan(IkiHaneYuvarla(std::numeric_limits<double>::quiet_NaN())));
        QCOMPARE(IkiHaneYuvarla(std::numeric_limits<double>::infinity()),
                 std::numeric_limits<double>::infinity());
    }

    void formatting_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        const QString amount = kAmountFormat;
        QTest::newRow("tr amount") << "tr_TR" << amount << 1234567.5 << "1.234.567,50";
        QTest::newRow("en amount") << "en_US" << amount << 1234567.5 << "1,234,567.50";
        QTest::newRow("amount zero") << "tr_TR" << amount << 0.0 << "0,00";
        QTest::newRow("amount negative") << "tr_TR" << amount << -1234.5 << "-1.234,50";
        QTest::newRow("amount rounds to zero") << "tr_TR" << amount << -0.001 << "0,00";
        QTest::newRow("amount half up") << "en_US" << amount << 0.125 << "0.13";
        QTest::newRow("amount carry makes a group") << "tr_TR" << amount << 999.995 << "1.000,00";
        QTest::newRow("amount 1e15") << "en_US" << amount << 1e15 << "1,000,000,000,000,000.00";
        QTest::newRow("no leading digit") << "tr_TR"
                                          << "#,###,##.00" << 0.5 << ",50";
        QTest::newRow("no leading digit, zero") << "en_US"
                                                << "#,###,##.00" << 0.0 << ".00";
        QTest::newRow("two integer digits") << "tr_TR"
                                            << "#,###,##00.00" << 5.0 << "05,00";
        QTest::newRow("currency edit positive") << "tr_TR"
                                                << ",0.00 TL;-,0.00 TL" << 1234.5 << "1.234,50 TL";
        QTest::newRow("currency edit negative") << "tr_TR"
                                                << ",0.00 TL;-,0.00 TL" << -1.5 << "-1,50 TL";
        QTest::newRow("no grouping") << "tr_TR"
                                     << "0.00" << 1234567.5 << "1234567,50";
        QTest::newRow("optional decimals") << "en_US"
                                           << "0.##" << 1.5 << "1.5";
        QTest::newRow("optional decimals whole") << "en_US"
                                                 << "0.##" << 2.0 << "2";
        QTest::newRow("integer") << "en_US"
                                 << "0" << 2.5 << "3";
        QTest::newRow("quoted prefix") << "tr_TR"
                                       << "\"Tutar: \"#,##0.00" << 1234.5 << "Tutar: 1.234,50";
        QTest::newRow("zero section") << "tr_TR"
                                      << "0.00;-0.00;'Yok'" << 0.0 << "Yok";
        QTest::newRow("general tr") << "tr_TR"
                                    << "" << 2.5 << "2,5";
        QTest::newRow("general whole") << "tr_TR"
                                       << "" << 1234567.0 << "1234567";
    }
    void formatting()
    {
        QFETCH(QString, locale);
        QFETCH(QString, pattern);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatNumber(value, pattern, QLocale(locale)), expected);
        // The default argument is the default locale.
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(formatNumber(value, pattern), expected);
    }

    void oleDates_data()
    {
        QTest::addColumn<QDateTime>("dateTime");
        QTest::addColumn<double>("days");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
        QTest::newRow("2024-01-01") << QDateTime(QDate(2024, 1, 1), QTime(0, 0)) << 45292.0;
        QTest::newRow("noon") << QDateTime(QDate(2024, 1, 1), QTime(12, 0)) << 45292.5;
        QTest::newRow("day before epoch") << QDateTime(QDate(1899, 12, 29), QTime(0, 0)) << -1.0;
        QTest::newRow("before epoch with time") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
        QTest::newRow("epoch day afternoon") << QDateTime(QDate(1899, 12, 30), QTime(18, 0)) << 0.75;
    }
    void oleDates()
    {
        QFETCH(QDateTime, dateTime);
        QFETCH(double, days);
        QCOMPARE(toOleDateTime(dateTime), days);
        QCOMPARE(oleDateToDateTime(days), dateTime);
        QCOMPARE(oleDateToDate(days), dateTime.date());
        QCOMPARE(toOleDate(dateTime.date()), std::trunc(days));
    }

    void oleDateEdges()
    {
        // Whole days only when the date is asked for.
        QCOMPARE(oleDateToDate(45292.99), QDate(2024, 1, 1));
        // A fraction a hair below midnight rounds to the next day, not to 24:00.
        QCOMPARE(oleDateToDateTime(45292.99999999999), QDateTime(QDate(2024, 1, 2), QTime(0, 0)));
        QVERIFY(!oleDateToDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
        QVERIFY(!oleDateToDate(1e300).isValid());
        QCOMPARE(toOleDate(QDate()), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"

#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>

#include <QSignalSpy>
#include <QTest>

using namespace kolvar;

namespace {

// A basket with the given SEC values; a null entry (-1) leaves SEC null.
Table basket(const QList<int> &sec)
{
    Table t({{"SIRANO", ColumnType::Int32}, {"TUTAR", ColumnType::Double}, {"SEC", ColumnType::Int32}});
    for (int i = 0; i < sec.size(); ++i) {
        const int r = t.appendRow();
        t.setInteger(r, 0, i + 1);
        t.setReal(r, 1, 1234567.5);
        if (sec[i] >= 0)
            t.setInteger(r, 2, sec[i]);
    }
    return t;
}

} // namespace

class TestDataSetHelpers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void ondalikBicimle_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("amount");
        QTest::newRow("tr") << "tr_TR"
                            << "1.234.567,50";
        QTest::newRow("en") << "en_US"
                            << "1,234,567.50";
    }
    void ondalikBicimle()
    {
        QFETCH(QString, locale);
        QFETCH(QString, amount);
        QLocale::setDefault(QLocale(locale));
        Table t({{"ADET", ColumnType::Int32},
                 {"TUTAR", ColumnType::Double},
                 {"ADI", ColumnType::String},
                 {"KDV", ColumnType::Double},
                 {"BUYUK", ColumnType::Int64}});
        t.appendRow();
        t.setInteger(0, 0, 1234567);
        t.setReal(0, 1, 1234567.5);
        t.setString(0, 2, QStringLiteral("1234567.5"));
        t.setReal(0, 3, 18);
        t.setInteger(0, 4, 1234567);
        ClientDataSet ds;
        ds.assignData(t);
        OndalikBicimle(ds);
        QCOMPARE(ds.field(0).displayFormat, QString());
        QCOMPARE(ds.field(1).displayFormat, QStringLiteral("#,###,##0.00"));
        QCOMPARE(ds.field(2).displayFormat, QString());
        QCOMPARE(ds.field(3).displayFormat, QStringLiteral("#,###,##0.00"));
        QCOMPARE(ds.field(4).displayFormat, QString());
        QCOMPARE(ds.displayText(0, 0), QStringLiteral("1234567"));
        QCOMPARE(ds.displayText(0, 1), amount);
        QCOMPARE(ds.displayText(0, 4), QStringLiteral("1234567"));
        QCOMPARE(ds.value(0, 1).toDouble(), 1234567.5); // value untouched
    }

    void selection_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QList<int>>("sec");
        QTest::addColumn<bool>("kayit");
        QTest::addColumn<bool>("secili");
        QTest::addColumn<int>("recNo"); // cursor after SeciliVarmi
        QTest::newRow("closed") << false << QList<int>{1} << false << false << -1;
        QTest::newRow("empty") << true << QList<int>{} << false << false << -1;
        QTest::newRow("none selected") << true << QList<int>{0, 0, 0} << true << false << 2;
        QTest::newRow("null SEC") << true << QList<int>{-1, 0} << true << false << 1;
        QTest::newRow("one selected") << true << QList<int>{0, 1, 0} << true << true << 1;
        QTest::newRow("first selected") << true << QList<int>{1, 1} << true << true << 0;
        QTest::newRow("SEC 2 is not selected") << true << QList<int>{2} << true << false << 0;
    }
    void selection()
    {
        QFETCH(bool, open);
        QFETCH(QList<int>, sec);
        QFETCH(bool, kayit);
        QFETCH(bool, secili);
        QFETCH(int, recNo);
        ClientDataSet ds;
        if (open)
            ds.assignData(basket(sec));
        else {
            ds.assignData(basket(sec));
            ds.close();
        }
        ds.last();
        QSignalSpy moves(&ds, &ClientDataSet::currentChanged);
        QCOMPARE(KayitVarmi(ds), kayit);
        QCOMPARE(SeciliVarmi(ds), secili);
        QVERIFY(moves.size() <= 1); // one move for the views, not one per record
        QCOMPARE(ds.recNo(), recNo);
        if (kayit && !secili)
            QVERIFY(ds.eof());
    }

    void seciliVarmiWithoutSec()
    {
        ClientDataSet ds;
        Table t({{"ADI", ColumnType::String}});
        ds.assignData(t);
        QVERIFY(!SeciliVarmi(ds)); // no records: answered before the field is looked up
        t.appendRow();
        ds.assignData(t);
        QVERIFY_THROWS_EXCEPTION(DataSetError, SeciliVarmi(ds));
    }

    void urlKodla_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain stays") << "https://www.kolvar.com.tr/a/b.html?x=1&y=2#top"
                                     << "https://www.kolvar.com.tr/a/b.html?x=1&y=2#top";
        QTest::newRow("Turkish letters and spaces")
            << "https://www.kolvar.com.tr/nirvokart.html?carino=12&sube=MERKEZ&firmasi=ÖZ ŞAHİN "
               "OTO&bakiye=1.234,50"
            << "https://www.kolvar.com.tr/"
               "nirvokart.html?carino=12&sube=MERKEZ&firmasi=%C3%96Z%20%C5%9EAH%C4%B0N%20"
               "OTO&bakiye=1.234,50";
        QTest::newRow("lower-case Turkish") << "http://h/ğüşıöç"
                                            << "http://h/%C4%9F%C3%BC%C5%9F%C4%B1%C3%B6%C3%A7";
        QTest::newRow("unsafe characters") << "http://h/p?q=\"a\"<b>{c}|d^e`f\\"
                                           << "http://h/p?q=%22a%22%3Cb%3E%7Bc%7D%7Cd%5Ee%60f%5C";
        QTest::newRow("existing escape kept") << "http://h/p?q=a%20b"
                                              << "http://h/p?q=a%20b";
        QTest::newRow("lone percent encoded") << "http://h/p?oran=%5&x=%zz"
                                              << "http://h/p?oran=%255&x=%25zz";
        QTest::newRow("port and user") << "http://u:p@h:8080/x y"
                                       << "http://u:p@h:8080/x%20y";
        QTest::newRow("non-ASCII host") << "http://kolvar-şube.com/a"
                                        << "http://xn--kolvar-ube-k9b.com/a";
        QTest::newRow("no scheme") << "a b/c?d=é"
                                   << "a%20b/c?d=%C3%A9";
        QTest::newRow("empty") << ""
                               << "";
    }
    void urlKodla()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(UrlKodla(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestDataSetHelpers)
#include "tst_datasethelpers.moc"

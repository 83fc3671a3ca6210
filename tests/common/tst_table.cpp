#include <wire/jsonreader.h>
#include <wire/table.h>

#include <QTest>

#include <limits>

using namespace kolvar;

Q_DECLARE_METATYPE(kolvar::ColumnType)

namespace {

Table oneColumn(ColumnType type, const QVariantList &values)
{
    Table t({{QStringLiteral("C"), type, 0}});
    for (const QVariant &v : values)
        t.setValue(t.appendRow(), 0, v);
    return t;
}

} // namespace

class TestTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<ColumnType>("type");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QByteArray>("rows");
        const QVariant null;
        QTest::newRow("string")
            << ColumnType::String
            << QVariantList{"FREN BALATASI",        "", null, "ŞİŞLİ ığüşöç ÇĞÖÜ", "tab\there \"q\" \\ /",
                            QString(QChar(1)) + "🚗"}
            << QByteArray("[[\"FREN BALATASI\"],[\"\"],[null],[\"ŞİŞLİ ığüşöç ÇĞÖÜ\"],"
                          "[\"tab\\there \\\"q\\\" \\\\ /\"],[\"\\u0001🚗\"]]");
        QTest::newRow("int32") << ColumnType::Int32
                               << QVariantList{0, -1, std::numeric_limits<int>::max(),
                                               std::numeric_limits<int>::min(), null}
                               << QByteArray("[[0],[-1],[2147483647],[-2147483648],[null]]");
        QTest::newRow("int64") << ColumnType::Int64
                               << QVariantList{std::numeric_limits<qint64>::max(),
                                               std::numeric_limits<qint64>::min(), null, qint64(5000000000)}
                               << QByteArray(
                                      "[[9223372036854775807],[-9223372036854775808],[null],[5000000000]]");
        QTest::newRow("double") << ColumnType::Double
                                << QVariantList{118.0, 0.1, -12.345, 1e-300, 123456789.125, null}
                                << QByteArray("[[118],[0.1],[-12.345],[1e-300],[123456789.125],[null]]");
        QTest::newRow("bool") << ColumnType::Bool << QVariantList{true, false, null}
                              << QByteArray("[[true],[false],[null]]");
        QTest::newRow("date") << ColumnType::Date
                              << QVariantList{QDate(2026, 12, 1), QDate(1899, 12, 30), QDate(2024, 2, 29),
                                              null}
                              << QByteArray("[[\"2026-12-01\"],[\"1899-12-30\"],[\"2024-02-29\"],[null]]");
        QTest::newRow("datetime") << ColumnType::DateTime
                                  << QVariantList{QDateTime(QDate(2026, 12, 1), QTime(23, 59, 58)),
                                                  QDateTime(QDate(1960, 1, 2), QTime(0, 0, 1)), null}
                                  << QByteArray(
                                         "[[\"2026-12-01T23:59:58\"],[\"1960-01-02T00:00:01\"],[null]]");
        QTest::newRow("blob") << ColumnType::Blob
                              << QVariantList{QByteArray("\x00\x01\xff", 3), QByteArray(""), null,
                                              QByteArray("PDF")}
                              << QByteArray("[[\"AAH/\"],[\"\"],[null],[\"UERG\"]]");
    }
    void roundTrip()
    {
        QFETCH(ColumnType, type);
        QFETCH(QVariantList, values);
        QFETCH(QByteArray, rows);
        const Table table = oneColumn(type, values);
        const QByteArray json = table.toJson();
        QCOMPARE(json, "{\"columns\":[{\"name\":\"C\",\"type\":\"" + QByteArray(columnTypeName(type)) +
                           "\"}],\"rows\":" + rows + "}");
        QString error;
        const auto back = Table::fromJson(json, &error);
        QVERIFY2(back, qPrintable(error));
        QVERIFY(*back == table);
        QCOMPARE(back->rowCount(), values.size());
        for (int r = 0; r < values.size(); ++r) {
            QCOMPARE(back->isNull(r, 0), values[r].isNull());
            if (!values[r].isNull())
                QCOMPARE(back->value(r, 0), values[r]);
        }
    }

    void mixedColumnsAndAccessors()
    {
        const QByteArray json = R"({"rows": [[1, "YAĞ FİLTRESİ", 12.5, true, "2026-12-01", null],
                                             [0, null, 3, false, null, "2026-01-31T08:30:00.250"]],
                                    "extra": {"ignored": [1, 2]},
                                    "columns": [{"name": "SEC", "type": "int32"},
                                                {"name": "STOKADI", "type": "string", "size": 100},
                                                {"name": "FIYAT", "type": "double"},
                                                {"name": "VAR", "type": "bool"},
                                                {"name": "VERILISTARIHI", "type": "date"},
                                                {"name": "ZAMAN", "type": "datetime", "future": "member"}]})";
        QString error;
        const auto t = Table::fromJson(json, &error);
        QVERIFY2(t, qPrintable(error));
        QCOMPARE(t->rowCount(), 2);
        QCOMPARE(t->columnCount(), 6);
        QCOMPARE(t->column(1).size, 100);
        QCOMPARE(t->columnIndex(u"stokadi"), 1);
        QCOMPARE(t->columnIndex(u"VerilisTarihi"), 4);
        QCOMPARE(t->columnIndex(u"YOK"), -1);
        QCOMPARE(t->string(0, 1), QString("YAĞ FİLTRESİ"));
        QCOMPARE(t->real(1, 2), 3.0); // an integer in a double column
        QCOMPARE(t->integer(0, 0), 1);
        QVERIFY(t->boolean(0, 3));
        QCOMPARE(t->date(0, 4), QDate(2026, 12, 1));
        QCOMPARE(t->dateTime(1, 5), QDateTime(QDate(2026, 1, 31), QTime(8, 30, 0, 250)));
        // Null cells answer empty values.
        QCOMPARE(t->string(1, 1), QString());
        QVERIFY(t->stringView(1, 1).isEmpty());
        QVERIFY(!t->date(1, 4).isValid());
        QCOMPARE(t->integer(0, 5), 0);
        QVERIFY(!t->value(1, 1).isValid());
        QCOMPARE(t->value(0, 0).metaType(), QMetaType::fromType<int>());
        // Datetimes travel to the second.
        QVERIFY(t->toJson().contains("\"2026-01-31T08:30:00\""));
    }

    void rejectsMalformed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        const QByteArray cols = R"("columns":[{"name":"A","type":"int32"},{"name":"B","type":"string"}])";
        auto with = [&](const char *rows) { return "{" + cols + ",\"rows\":" + QByteArray(rows) + "}"; };
        QTest::newRow("not an object") << QByteArray("[]") << "must be a JSON object";
        QTest::newRow("short row") << with("[[1,\"a\"],[2]]") << "row 2 has 1 values instead of 2";
        QTest::newRow("long row") << with("[[1,\"a\",3]]") << "row 1 has more than 2 values";
        QTest::newRow("row not an array") << with("[{\"A\":1}]") << "row 1 is not an array";
        QTest::newRow("rows not an array") << with("{}") << "\"rows\" must be an array";
        QTest::newRow("string in int column") << with("[[\"1\",\"a\"]]") << "row 1, column A: expected int32";
        QTest::newRow("number in string column") << with("[[1,2]]") << "column B: expected string";
        QTest::newRow("double in int column") << with("[[1.5,\"a\"]]") << "expected int32";
        QTest::newRow("int32 overflow") << with("[[2147483648,\"a\"]]") << "out of the int32 range";
        QTest::newRow("nested array cell") << with("[[[1],\"a\"]]") << "expected int32";
        QTest::newRow("unknown type") << QByteArray(R"({"columns":[{"name":"A","type":"money"}],"rows":[]})")
                                      << "unknown column type \"money\"";
        QTest::newRow("type not a string")
            << QByteArray(R"({"columns":[{"name":"A","type":3}],"rows":[]})") << "type must be a string";
        QTest::newRow("column without name")
            << QByteArray(R"({"columns":[{"type":"int32"}],"rows":[]})") << "needs a name and a type";
        QTest::newRow("negative size")
            << QByteArray(R"({"columns":[{"name":"A","type":"string","size":-1}],"rows":[]})")
            << "size must be a non-negative integer";
        QTest::newRow("no rows") << QByteArray(R"({"columns":[]})") << "needs \"columns\" and \"rows\"";
        QTest::newRow("no columns") << QByteArray(R"({"rows":[]})") << "needs \"columns\" and \"rows\"";
        QTest::newRow("bad date")
            << QByteArray(R"({"columns":[{"name":"D","type":"date"}],"rows":[["2026-02-30"]]})")
            << "expected date";
        QTest::newRow("date with time")
            << QByteArray(R"({"columns":[{"name":"D","type":"date"}],"rows":[["2026-02-03T10:00:00"]]})")
            << "expected date";
        QTest::newRow("bad datetime")
            << QByteArray(R"({"columns":[{"name":"D","type":"datetime"}],"rows":[["2026-02-03 25:00:00"]]})")
            << "expected datetime";
        QTest::newRow("hour 24")
            << QByteArray(R"({"columns":[{"name":"D","type":"datetime"}],"rows":[["2026-02-03T24:00:00"]]})")
            << "expected datetime";
        QTest::newRow("bool as number")
            << QByteArray(R"({"columns":[{"name":"B","type":"bool"}],"rows":[[1]]})") << "expected bool";
        QTest::newRow("invalid base64")
            << QByteArray(R"({"columns":[{"name":"X","type":"blob"}],"rows":[["@@@"]]})") << "invalid base64";
        QTest::newRow("syntax error in rows") << with("[[1,\"a\"],]") << "unexpected character";
        QTest::newRow("syntax error after rows") << with("[]}") << "unexpected data after the JSON value";
        QTest::newRow("rows first, then bad")
            << QByteArray(R"({"rows":[[1]],"columns":[{"name":"A","type":"string"}]})") << "expected string";
    }
    void rejectsMalformed()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!Table::fromJson(json, &error));
        QVERIFY2(error.contains(message) && error.contains(" at byte "), qPrintable(error));
    }

    // Past the first rows the decoder reserves room from a sample; rows that
    // grow longer than the sample must still come through intact.
    void manyRowsRoundTrip()
    {
        Table t({{"S", ColumnType::String, 0}, {"N", ColumnType::Int64, 0}, {"D", ColumnType::Double, 0}});
        for (int r = 0; r < 3000; ++r) {
            t.appendRow();
            if (r % 7 != 0)
                t.setString(r, 0, QString(r < 64 ? 1 : r % 90, QChar(u'ş')) + QString::number(r));
            t.setInteger(r, 1, qint64(r) * 1000003);
            if (r % 5 != 0)
                t.setReal(r, 2, r / 8.0);
        }
        QString error;
        const auto back = Table::fromJson(t.toJson(), &error);
        QVERIFY2(back, qPrintable(error));
        QVERIFY(*back == t);
        QCOMPARE(back->string(2999, 0), QString(29, QChar(u'ş')) + "2999");
    }

    // The reader stays usable by the caller after a table inside a larger document.
    void readsInsideADocument()
    {
        const QByteArray json = R"([{"columns":[{"name":"A","type":"int64"}],"rows":[[7]]}, 5])";
        JsonReader r(json);
        QCOMPARE(r.next(), JsonReader::Token::BeginArray);
        QString error;
        const auto t = Table::readJson(r, &error);
        QVERIFY2(t, qPrintable(error));
        QCOMPARE(t->integer(0, 0), 7);
        QCOMPARE(r.next(), JsonReader::Token::Integer);
        QCOMPARE(r.integer(), 5);
        QCOMPARE(r.next(), JsonReader::Token::EndArray);
        QCOMPARE(r.next(), JsonReader::Token::End);
    }

    void editing()
    {
        Table t({{"N", ColumnType::Int32, 0}, {"S", ColumnType::String, 0}});
        for (int i = 0; i < 130; ++i) {
            const int r = t.appendRow();
            if (i % 3 != 0) {
                t.setInteger(r, 0, i);
                t.setString(r, 1, QString::number(i));
            }
        }
        // Removing rows shifts the null bits across 64-row words.
        t.removeRow(0);
        t.removeRow(62);
        QCOMPARE(t.rowCount(), 128);
        for (int r = 0; r < t.rowCount(); ++r) {
            const int i = r < 62 ? r + 1 : r + 2;
            QCOMPARE(t.isNull(r, 0), i % 3 == 0);
            QCOMPARE(t.isNull(r, 1), i % 3 == 0);
            if (i % 3 != 0)
                QCOMPARE(t.string(r, 1), QString::number(i));
        }
        while (t.rowCount() > 0)
            t.removeRow(t.rowCount() - 1);
        QCOMPARE(t.appendRow(), 0);
        QVERIFY(t.isNull(0, 0));

        // Rewriting a cell with a view of itself.
        t.setString(0, 1, u"abcdef");
        t.setString(0, 1, t.stringView(0, 1).mid(2));
        QCOMPARE(t.string(0, 1), QString("cdef"));
        t.setNull(0, 1);
        QVERIFY(t.isNull(0, 1));

        t.clear();
        QCOMPARE(t.rowCount(), 0);
        QCOMPARE(t.columnCount(), 2);
    }

    void implicitSharing()
    {
        Table a = oneColumn(ColumnType::String, {"x", "y"});
        Table b = a;
        b.setString(0, 0, u"changed");
        b.appendRow();
        QCOMPARE(a.string(0, 0), QString("x"));
        QCOMPARE(a.rowCount(), 2);
        QCOMPARE(b.rowCount(), 3);
        QVERIFY(!(a == b));
    }

    void conversions_data()
    {
        QTest::addColumn<ColumnType>("type");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("string to int") << ColumnType::Int32 << QVariant("42") << QVariant(42);
        QTest::newRow("garbage to int is null") << ColumnType::Int32 << QVariant("x") << QVariant();
        QTest::newRow("int to double") << ColumnType::Double << QVariant(3) << QVariant(3.0);
        QTest::newRow("double to string") << ColumnType::String << QVariant(1.5) << QVariant("1.5");
        QTest::newRow("datetime to date")
            << ColumnType::Date << QVariant(QDateTime(QDate(2026, 5, 6), QTime(7, 8)))
            << QVariant(QDate(2026, 5, 6));
        QTest::newRow("date to datetime") << ColumnType::DateTime << QVariant(QDate(2026, 5, 6))
                                          << QVariant(QDateTime(QDate(2026, 5, 6), QTime(0, 0)));
        QTest::newRow("invalid date is null") << ColumnType::Date << QVariant(QDate()) << QVariant();
        QTest::newRow("bool stays 0/1") << ColumnType::Bool << QVariant(7) << QVariant(true);
    }
    void conversions()
    {
        QFETCH(ColumnType, type);
        QFETCH(QVariant, input);
        QFETCH(QVariant, stored);
        const Table t = oneColumn(type, {input});
        QCOMPARE(t.value(0, 0), stored);
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"

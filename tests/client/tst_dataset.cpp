#include <platform/clientdataset.h>

#include <QSignalSpy>
#include <QTest>

using namespace kolvar;

namespace {

// A small basket: SIRANO int, STOKADI string, MIKTAR double, SEC int.
Table basket(int rows = 3)
{
    Table t({{"SIRANO", ColumnType::Int32},
             {"STOKADI", ColumnType::String, 60},
             {"MIKTAR", ColumnType::Double},
             {"SEC", ColumnType::Int32}});
    for (int i = 0; i < rows; ++i) {
        const int r = t.appendRow();
        t.setInteger(r, 0, 10 + i);
        t.setString(r, 1, QStringLiteral("Fren balatası %1").arg(i));
        t.setReal(r, 2, 1.5 * (i + 1));
        t.setInteger(r, 3, 0);
    }
    return t;
}

struct Spies {
    explicit Spies(ClientDataSet &ds)
        : reset(&ds, &ClientDataSet::dataReset), row(&ds, &ClientDataSet::rowChanged),
          inserted(&ds, &ClientDataSet::rowsInserted), removed(&ds, &ClientDataSet::rowsRemoved),
          current(&ds, &ClientDataSet::currentChanged)
    {}
    void clear()
    {
        reset.clear();
        row.clear();
        inserted.clear();
        removed.clear();
        current.clear();
    }
    qsizetype total() const
    {
        return reset.size() + row.size() + inserted.size() + removed.size() + current.size();
    }
    QSignalSpy reset, row, inserted, removed, current;
};

} // namespace

class TestDataSet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fieldKinds_data()
    {
        QTest::addColumn<int>("columnType");
        QTest::addColumn<int>("kind");
        QTest::newRow("string") << int(ColumnType::String) << int(FieldKind::String);
        QTest::newRow("int32") << int(ColumnType::Int32) << int(FieldKind::Integer);
        QTest::newRow("int64") << int(ColumnType::Int64) << int(FieldKind::LargeInt);
        QTest::newRow("double") << int(ColumnType::Double) << int(FieldKind::Float);
        QTest::newRow("bool") << int(ColumnType::Bool) << int(FieldKind::Boolean);
        QTest::newRow("date") << int(ColumnType::Date) << int(FieldKind::Date);
        QTest::newRow("datetime") << int(ColumnType::DateTime) << int(FieldKind::DateTime);
        QTest::newRow("blob") << int(ColumnType::Blob) << int(FieldKind::Blob);
    }
    void fieldKinds()
    {
        QFETCH(int, columnType);
        QFETCH(int, kind);
        ClientDataSet ds;
        ds.assignData(Table({{"A", ColumnType(columnType), 12}}));
        QVERIFY(ds.isActive());
        QCOMPARE(ds.fieldCount(), 1);
        QCOMPARE(int(ds.field(0).kind), kind);
        QCOMPARE(ds.field(0).name, QStringLiteral("A"));
        QCOMPARE(ds.field(0).size, 12);
        QVERIFY(ds.field(0).displayFormat.isEmpty());
    }

    void assignAndCopy_data()
    {
        QTest::addColumn<bool>("viaReader");
        QTest::newRow("data packet") << false;
        QTest::newRow("reader") << true;
    }
    void assignAndCopy()
    {
        QFETCH(bool, viaReader);
        ClientDataSet ds;
        Spies spies(ds);
        auto load = [&](const Table &t) { viaReader ? ds.copyReader(t) : ds.assignData(t); };
        load(basket(3));
        ds.setDisplayFormat(u"MIKTAR", QStringLiteral("0.00"));
        ds.last();
        spies.clear();

        // A second load is a reload: same rows once, cursor on the first,
        // formats of the old fields gone.
        load(basket(2));
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.recNo(), 0);
        QVERIFY(ds.bof());
        QVERIFY(!ds.eof());
        QVERIFY(ds.field(2).displayFormat.isEmpty());
        QCOMPARE(spies.reset.size(), 1);
        QCOMPARE(ds.fieldValue(u"stokadi").toString(), QStringLiteral("Fren balatası 0"));
        QCOMPARE(ds.table(), basket(2));

        // The dataset's edits never reach the table it was given.
        const Table source = basket(2);
        load(source);
        ds.edit();
        ds.setFieldValue(u"SIRANO", 77);
        ds.post();
        QCOMPARE(source.integer(0, 0), qint64(10));
        QCOMPARE(ds.value(0, 0).toInt(), 77);

        // Another structure replaces the fields.
        Table other({{"ADI", ColumnType::String}});
        other.setString(other.appendRow(), 0, QStringLiteral("X"));
        load(other);
        QCOMPARE(ds.fieldCount(), 1);
        QCOMPARE(ds.fieldIndex(u"SEC"), -1);
        QCOMPARE(ds.fieldValue(u"ADI").toString(), QStringLiteral("X"));
    }

    void closedAndEmpty()
    {
        ClientDataSet ds;
        QVERIFY(!ds.isActive());
        QVERIFY(ds.isEmpty());
        QCOMPARE(ds.recNo(), -1);
        QVERIFY(ds.eof() && ds.bof());
        QCOMPARE(ds.fieldIndex(u"SEC"), -1);
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldValue(u"SEC"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.edit());
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.append());

        ds.assignData(basket(0));
        QVERIFY(ds.isActive());
        QVERIFY(ds.isEmpty());
        QVERIFY(ds.eof() && ds.bof());
        QVERIFY(!ds.fieldValue(u"SEC").isValid());
        ds.next();
        ds.last();
        QCOMPARE(ds.recNo(), -1);
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.deleteRecord());

        ds.assignData(basket(2));
        ds.close();
        QVERIFY(!ds.isActive());
        QCOMPARE(ds.recordCount(), 0);
        QCOMPARE(ds.fieldCount(), 0);
    }

    // Moves on three records; f first, l last, n next, p prior, 0-9 setRecNo.
    void cursor_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<bool>("bof");
        QTest::addColumn<bool>("eof");
        QTest::newRow("after load") << "" << 0 << true << false;
        QTest::newRow("next") << "n" << 1 << false << false;
        QTest::newRow("to last by next") << "nn" << 2 << false << false;
        QTest::newRow("past last") << "nnn" << 2 << false << true;
        QTest::newRow("last") << "l" << 2 << false << true;
        QTest::newRow("last, prior") << "lp" << 1 << false << false;
        QTest::newRow("before first") << "np p" << 0 << true << false;
        QTest::newRow("first after last") << "lf" << 0 << true << false;
        QTest::newRow("recno beyond") << "9" << 2 << false << false;
    }
    void cursor()
    {
        QFETCH(QString, moves);
        QFETCH(int, recNo);
        QFETCH(bool, bof);
        QFETCH(bool, eof);
        ClientDataSet ds;
        ds.assignData(basket(3));
        for (QChar m : moves) {
            switch (m.unicode()) {
            case 'f': ds.first(); break;
            case 'l': ds.last(); break;
            case 'n': ds.next(); break;
            case 'p': ds.prior(); break;
            case ' ': break;
            default: ds.setRecNo(m.digitValue()); break;
            }
        }
        QCOMPARE(ds.recNo(), recNo);
        QCOMPARE(ds.bof(), bof);
        QCOMPARE(ds.eof(), eof);
        QCOMPARE(ds.fieldValue(u"SIRANO").toInt(), 10 + recNo);
    }

    void locate_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("found"); // -1: not found, cursor unchanged
        QTest::newRow("int") << "SIRANO" << QVariant(12) << 2;
        QTest::newRow("int as text") << "SIRANO" << QVariant(QStringLiteral("11")) << 1;
        QTest::newRow("int field, fraction") << "SIRANO" << QVariant(11.5) << -1;
        QTest::newRow("string exact") << "STOKADI" << QVariant(QStringLiteral("Fren balatası 1")) << 1;
        QTest::newRow("string case differs")
            << "STOKADI" << QVariant(QStringLiteral("fren balatası 1")) << -1;
        QTest::newRow("string prefix") << "STOKADI" << QVariant(QStringLiteral("Fren")) << -1;
        QTest::newRow("double") << "MIKTAR" << QVariant(4.5) << 2;
        QTest::newRow("null") << "MIKTAR" << QVariant() << 3;
        QTest::newRow("field name case-insensitive") << "sirano" << QVariant(10) << 0;
    }
    void locate()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(int, found);
        Table t = basket(4);
        t.setNull(3, 2);
        ClientDataSet ds;
        ds.assignData(t);
        ds.setRecNo(1);
        ds.first();
        QCOMPARE(ds.locate(field, value), found >= 0);
        QCOMPARE(ds.recNo(), found >= 0 ? found : 0);
    }

    void locateUnknownField()
    {
        ClientDataSet ds;
        ds.assignData(basket());
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.locate(u"YOK", 1));
    }

    void editPostCancel()
    {
        ClientDataSet ds;
        ds.assignData(basket(3));
        Spies spies(ds);
        ds.setRecNo(1);
        spies.clear();

        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"MIKTAR", 9.0));
        ds.edit();
        QVERIFY(ds.isEditing());
        ds.setFieldValue(u"MIKTAR", 9.25);
        ds.setFieldValue(u"STOKADI", QStringLiteral("Disk"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"YOK", 1));
        // A value the field cannot hold is refused, not stored as null.
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"SIRANO", QStringLiteral("abc")));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"SIRANO", qint64(1) << 40));
        QCOMPARE(ds.fieldValue(u"SIRANO").toInt(), 11);
        ds.post();
        QVERIFY(!ds.isEditing());
        QCOMPARE(spies.row.size(), 1);
        QCOMPARE(spies.row.at(0).at(0).toInt(), 1);
        QCOMPARE(ds.value(1, 2).toDouble(), 9.25);

        ds.edit();
        ds.setFieldValue(u"MIKTAR", 100.0);
        ds.setFieldValue(u"SEC", QVariant());
        ds.cancel();
        QCOMPARE(ds.fieldValue(u"MIKTAR").toDouble(), 9.25);
        QCOMPARE(ds.fieldValue(u"SEC").toInt(), 0);
        QVERIFY(!ds.table().isNull(1, 3));

        // Moving the cursor posts a pending edit.
        ds.edit();
        ds.setFieldValue(u"SEC", 1);
        ds.next();
        QVERIFY(!ds.isEditing());
        QCOMPARE(ds.value(1, 3).toInt(), 1);
    }

    void appendAndDelete()
    {
        ClientDataSet ds;
        ds.assignData(basket(2));
        Spies spies(ds);

        ds.append();
        QVERIFY(ds.isInserting());
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.recNo(), 2);
        QCOMPARE(spies.inserted.size(), 1);
        ds.cancel();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.recNo(), 0);
        QCOMPARE(spies.removed.size(), 1);

        ds.append();
        ds.setFieldValue(u"SIRANO", 99);
        ds.post();
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.value(2, 0).toInt(), 99);
        QVERIFY(ds.table().isNull(2, 1));

        spies.clear();
        ds.setRecNo(1);
        ds.deleteRecord();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.recNo(), 1);
        QCOMPARE(ds.fieldValue(u"SIRANO").toInt(), 99);
        QCOMPARE(spies.removed.size(), 1);
        QCOMPARE(spies.removed.at(0).at(0).toInt(), 1);
        ds.deleteRecord();
        QCOMPARE(ds.recNo(), 0);
        ds.deleteRecord();
        QVERIFY(ds.isEmpty());
        QCOMPARE(ds.recNo(), -1);

        // Edit on an empty dataset starts an insert.
        ds.edit();
        QVERIFY(ds.isInserting());
        QCOMPARE(ds.recordCount(), 1);

        ds.emptyDataSet();
        QVERIFY(ds.isEmpty());
        QVERIFY(!ds.isEditing());
        QCOMPARE(ds.fieldCount(), 4);
    }

    // While controls are disabled views hear nothing; the outermost enable
    // sends one reset if anything changed.
    void controlsDisabled_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("moveOnly");
        QTest::newRow("changes") << true << false;
        QTest::newRow("cursor only") << false << true;
        QTest::newRow("nothing") << false << false;
    }
    void controlsDisabled()
    {
        QFETCH(bool, change);
        QFETCH(bool, moveOnly);
        ClientDataSet ds;
        ds.assignData(basket(3));
        Spies spies(ds);
        ds.disableControls();
        ds.disableControls();
        QVERIFY(ds.controlsDisabled());
        if (change) {
            ds.assignData(basket(5));
            ds.setDisplayFormat(u"MIKTAR", QStringLiteral("#,###,##0.00"));
            ds.append();
            ds.post();
            ds.first();
            ds.deleteRecord();
        }
        if (moveOnly)
            ds.last();
        ds.enableControls();
        QVERIFY(ds.controlsDisabled());
        QCOMPARE(spies.total(), 0);
        ds.enableControls();
        QVERIFY(!ds.controlsDisabled());
        QCOMPARE(spies.reset.size(), change ? 1 : 0);
        QCOMPARE(spies.row.size() + spies.inserted.size() + spies.removed.size(), 0);
        QCOMPARE(spies.current.size(), change || moveOnly ? 1 : 0);
        // An unbalanced enable does nothing.
        ds.enableControls();
        QVERIFY(!ds.controlsDisabled());
        QCOMPARE(spies.reset.size(), change ? 1 : 0);
    }

    void displayText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("count");
        QTest::newRow("tr grouped") << "tr_TR"
                                    << "#,###,##0.00"
                                    << "1.234.567,50"
                                    << "1234567";
        QTest::newRow("en grouped") << "en_US"
                                    << "#,###,##0.00"
                                    << "1,234,567.50"
                                    << "1234567";
        QTest::newRow("tr plain") << "tr_TR"
                                  << ""
                                  << "1234567,5"
                                  << "1234567";
    }
    void displayText()
    {
        QFETCH(QString, locale);
        QFETCH(QString, format);
        QFETCH(QString, amount);
        QFETCH(QString, count);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        Table t({{"TUTAR", ColumnType::Double}, {"ADET", ColumnType::Int32}});
        t.appendRow();
        t.setReal(0, 0, 1234567.5);
        t.setInteger(0, 1, 1234567);
        t.appendRow();
        ClientDataSet ds;
        ds.assignData(t);
        QSignalSpy formats(&ds, &ClientDataSet::displayFormatChanged);
        ds.setDisplayFormat(u"TUTAR", format);
        QCOMPARE(formats.size(), format.isEmpty() ? 0 : 1);
        QCOMPARE(ds.displayText(0, 0), amount);
        QCOMPARE(ds.displayText(0, 1), count);
        QCOMPARE(ds.displayText(1, 0), QString()); // null
        QCOMPARE(ds.displayText(5, 0), QString()); // no such row
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setDisplayFormat(u"YOK", format));
        QLocale::setDefault(before);
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"

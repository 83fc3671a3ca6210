#include "tst_grid_data.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace kolvar;

namespace {

QByteArray unzip(const QString &file, const QString &member)
{
    QProcess p;
    p.start("unzip", {"-p", file, member});
    if (!p.waitForFinished(10000))
        return {};
    return p.readAllStandardOutput();
}

// The first worksheet of a workbook as cell reference -> text ("A1" -> "Barkod"),
// shared strings resolved, plus each cell's style index.
struct Sheet {
    QHash<QString, QString> cells;
    QHash<QString, int> styles;
    QStringList numberFormats; // by style index: the format code, "" when none

    static Sheet read(const QString &file)
    {
        Sheet s;
        QStringList shared;
        QXmlStreamReader strings(unzip(file, "xl/sharedStrings.xml"));
        while (!strings.atEnd()) {
            if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
                shared << strings.readElementText();
        }
        QHash<int, QString> codes;
        QXmlStreamReader styles(unzip(file, "xl/styles.xml"));
        bool inCellXfs = false;
        while (!styles.atEnd()) {
            const auto token = styles.readNext();
            if (token == QXmlStreamReader::StartElement && styles.name() == u"numFmt")
                codes.insert(styles.attributes().value("numFmtId").toInt(),
                             styles.attributes().value("formatCode").toString());
            if (token == QXmlStreamReader::StartElement && styles.name() == u"cellXfs")
                inCellXfs = true;
            if (token == QXmlStreamReader::EndElement && styles.name() == u"cellXfs")
                inCellXfs = false;
            if (token == QXmlStreamReader::StartElement && inCellXfs && styles.name() == u"xf")
                s.numberFormats << codes.value(styles.attributes().value("numFmtId").toInt());
        }
        QXmlStreamReader xml(unzip(file, "xl/worksheets/sheet1.xml"));
        QString ref, type;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"c") {
                ref = xml.attributes().value("r").toString();
                type = xml.attributes().value("t").toString();
                s.styles.insert(ref, xml.attributes().value("s").toInt());
            } else if (xml.name() == u"v") {
                const QString v = xml.readElementText();
                s.cells.insert(ref, type == u"s" ? shared.value(v.toInt()) : v);
            }
        }
        return s;
    }

    QString format(const QString &ref) const { return numberFormats.value(styles.value(ref)); }
};

} // namespace

class TestGridExport : public QObject
{
    Q_OBJECT

    ClientDataSet *ds = nullptr;
    DataGrid *grid = nullptr;
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(dir.isValid());
    }

    void init()
    {
        ds = new ClientDataSet(this);
        griddata::load(*ds);
        grid = new DataGrid;
        grid->setColumns(griddata::columns());
        grid->setDataSet(ds);
    }

    void cleanup()
    {
        delete grid;
        delete ds;
    }

    void flatListWithFooter()
    {
        grid->setColumnVisible(griddata::Tarih, true);
        grid->setColumnVisible(griddata::Marka, false);
        grid->setSummaries({{"BARKOD", SummaryKind::Count}, {"NETTUTAR", SummaryKind::Sum}});
        QString filterSeen;
        grid->setFileChooser([&](QWidget *, const QString &filter) {
            filterSeen = filter;
            return dir.filePath("sepet"); // no extension typed
        });
        QString error;
        QVERIFY2(grid->exportToExcel(&error), qPrintable(error));
        QCOMPARE(filterSeen, QString("Excel|*.xls*"));
        const QString file = dir.filePath("sepet.xlsx");
        QVERIFY(QFile::exists(file));

        const Sheet s = Sheet::read(file);
        // Visible columns in order: Durum, Barkod, Açıklama, Seç, Net Tutar, Miktar, Tarih.
        const QStringList headers = {"Durum", "Barkod", "Açıklama", "Seç", "Net Tutar", "Miktar", "Tarih"};
        for (int i = 0; i < headers.size(); ++i)
            QCOMPARE(s.cells.value(QString(QChar('A' + i)) + "1"), headers[i]);
        QVERIFY(!s.cells.contains("H1")); // hidden and drawn columns are left out
        QCOMPARE(s.cells.value("B2"), QString("B100"));
        QCOMPARE(s.cells.value("C3"), QString("KEÇE"));
        QCOMPARE(s.cells.value("A3"), QString("5"));         // icon code as a number
        QCOMPARE(s.cells.value("E2").toDouble(), 1234567.5); // a number, not "1,234,567.50"
        QCOMPARE(s.format("E2"), QString("#,##0.00"));
        QCOMPARE(s.cells.value("G2").toDouble(), double(QDate(1899, 12, 30).daysTo(QDate(2026, 1, 5))));
        QVERIFY(s.format("G2").contains("yyyy"));
        QCOMPARE(s.cells.value("B7"), QString("5"));          // footer: count
        QCOMPARE(s.cells.value("E7").toDouble(), 1234687.25); // footer: sum
    }

    void groupsExpandedEvenWhenCollapsed()
    {
        grid->setSummaries({{"NETTUTAR", SummaryKind::Sum}});
        grid->setGrouping("SATICIADI");
        grid->collapseAll();
        const QString file = dir.filePath("rapor.xlsx");
        QString error;
        QVERIFY2(grid->exportToExcel(file, &error), qPrintable(error));
        const Sheet s = Sheet::read(file);
        QStringList column;
        for (int r = 2; r <= 13; ++r)
            column << s.cells.value(QString("B%1").arg(r));
        // Header row, lines and footer of each group, then the grid footer.
        QCOMPARE(column, QStringList({"", "B400", "", "", "B100", "B300", "", "", "B200", "B500", "", ""}));
        QVERIFY(s.cells.value("A2").endsWith("ALİ"));
        QCOMPARE(s.cells.value("F4").toDouble(), 100.0);
        QCOMPARE(s.cells.value("F8").toDouble(), 1234577.75);
        QCOMPARE(s.cells.value("F13").toDouble(), 1234687.25);
    }

    void cancelAndFailure_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("expectError");
        QTest::newRow("dialog cancelled") << QString() << false;
        QTest::newRow("folder does not exist") << QString("/nonexistent-folder/x.xlsx") << true;
    }

    void cancelAndFailure()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, expectError);
        grid->setFileChooser([&](QWidget *, const QString &) { return chosen; });
        QString error;
        QVERIFY(!grid->exportToExcel(&error)); // never reported as written
        QCOMPARE(!error.isEmpty(), expectError);
    }
};

QTEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"

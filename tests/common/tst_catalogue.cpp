#include <catalogue/methodcatalogue.h>

#include <QProcess>
#include <QSet>
#include <QTest>

using namespace kolvar;

class TestCatalogue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void counts()
    {
        int client = 0, serverOnly = 0, extension = 0;
        QSet<QString> names;
        for (const auto &m : methodCatalogue()) {
            names.insert(QLatin1StringView(m.name));
            client += m.use == MethodUse::Client;
            serverOnly += m.use == MethodUse::ServerOnly;
            extension += m.use == MethodUse::Extension;
        }
        QCOMPARE(client, 49);
        QCOMPARE(serverOnly, 58);
        QCOMPARE(extension, 1);
        QCOMPARE(names.size(), 108);
    }

    void signatures_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("outputs");
        QTest::addColumn<int>("result");
        QTest::newRow("SepetEkle2") << "SepetEkle2" << 14 << 0 << int(ValueKind::Int32);
        QTest::newRow("RaporGetir") << "TServerMethods1.RaporGetir" << 7 << 1 << int(ValueKind::Stream);
        QTest::newRow("BelgeIndir2 outs in the middle") << "BelgeIndir2" << 2 << 2 << int(ValueKind::Stream);
        QTest::newRow("BalonGetir2") << "BalonGetir2" << 1 << 6 << int(ValueKind::Int32);
        QTest::newRow("SepetSecimGuncelle") << "SepetSecimGuncelle" << 2 << 0 << int(ValueKind::None);
        QTest::newRow("GirisDogrula") << "GirisDogrula" << 3 << 0 << int(ValueKind::Object);
    }
    void signatures()
    {
        QFETCH(QString, method);
        const MethodDef *m = findMethod(method);
        QVERIFY(m);
        QFETCH(int, inputs);
        QFETCH(int, outputs);
        QFETCH(int, result);
        QCOMPARE(m->inputCount(), inputs);
        QCOMPARE(m->outputCount(), outputs);
        QCOMPARE(int(m->result), result);
    }

    void unknownMethod() { QVERIFY(!findMethod(u"Yok")); }

    void generatedFilesUpToDate()
    {
        QProcess py;
        py.setWorkingDirectory(QStringLiteral(KOLVAR_SOURCE_DIR));
        py.start(QStringLiteral("python3"), {QStringLiteral("tools/gencatalogue.py"), QStringLiteral("--check")});
        if (!py.waitForStarted())
            QSKIP("python3 not available");
        QVERIFY(py.waitForFinished());
        QVERIFY2(py.exitCode() == 0, py.readAllStandardOutput().constData());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"

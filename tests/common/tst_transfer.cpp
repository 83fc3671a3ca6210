#include <transfer/baglantiu.h>
#include <transfer/mobilstokunit.h>
#include <wire/jsonwriter.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace kolvar;

namespace {

QByteArray toJson(const TransferObject &object, int firstId = 1)
{
    JsonWriter out;
    int id = firstId;
    object.writeJson(out, id);
    return out.take();
}

QJsonObject parse(const QByteArray &json)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        qWarning() << err.errorString() << json;
    return doc.object();
}

// Member names of the outermost "fields" object in the order they were
// written (QJsonObject sorts its keys, so this reads the text itself).
QStringList writtenFieldNames(const QByteArray &json)
{
    QStringList names;
    static const QRegularExpression key(QStringLiteral("\"(F\\w+)\"\\s*:"));
    auto it = key.globalMatch(QString::fromUtf8(json));
    while (it.hasNext())
        names << it.next().captured(1);
    return names;
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Names and order of the members are the protocol with the server.
    void fieldOrder_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("TSonucBilgisi")
            << "baglantiu.TSonucBilgisi"
            << words("FBILGISAYARID FSaticiMail FSirano FCariAdi FSIFRE FSaticiNo FCARINO FAKTIF "
                     "FKullanicimail "
                     "FADI FSaticiTelefon Fcarikod FVarmi FSaticiAdi FBilgiSayarAdi FDisip FIcip "
                     "FBilgisayarKullanici FMusteriTipi FVersion");
        QTest::newRow("TSiparisDipAyrinti")
            << "baglantiu.TSiparisDipAyrinti"
            << words("FSizinMesaj FDurumu FVeren FKargo FKolvarMesaj FTeslimCinsi FKargoCinsi FSaticiNotu");
        QTest::newRow("TTusSonuclari")
            << "baglantiu.TTusSonuclari"
            << words("FAlindi FOnaylandi FParcaliHazirlandi FSevkEdildi FHazirlandi FGoruldu");
        QTest::newRow("TMobilCariBilgisi")
            << "mobilstokunit.TMobilCariBilgisi"
            << words(
                   "FBILGISAYARID FSEHIR FFAX1 FSATICIMAIL FSATICIADI FCARIADI FEMAIL FVERGIDAIRESI FYETKILI "
                   "FAltGrup FTEL2 FSIFRE FGSM FTEL1 FADRES2 FTLBORC FTLALACAK FADRES1 FULKE FAnaGrup "
                   "FCARINO FTLBAKIYE FVERGINO FMAIL FOzelKod FKULLANICIADI FSATICITELEFON FCARIKOD FFAX2 "
                   "FILCE");
        QTest::newRow("TMobilStok")
            << "mobilstokunit.TMobilStok"
            << words("FStokNo FResimVar FResim FYeni FDepartman FVerilenSiparis FAltGrup FDurum FRenk FBirim "
                     "FKDV FAlinanSiparis FIsk2 FAnaGrup FKod FIsk3 FListeFiyati FBeden FNetFiyat FIsk1 "
                     "FKDVliFiyat FIsk4 FOzelKod FKampnayali FBarkod FIndirimOran FKalan FUreticiKod "
                     "FKampanyaliFiyat FOemNo FBarkodNo FPKod FDpKod FAdi FFiyat");
        QTest::newRow("TMobilSepet")
            << "mobilstokunit.TMobilSepet"
            << words(
                   "FKARGOID FStokNo FTARIH FSIRANO FCARIADI FVERILISTARIHI FDurum FMIKTAR FVERENIDNO "
                   "FNETTUTAR FKDVLITUTAR FKDV FAKTAR FSAAT FVERGITUTARI FPKod FMODEL FINDIRIMTUTAR "
                   "FSTOK_STOKNO FBIRIMFIYAT FSEC FOEM2 FOEM3 FAnaGrup FMARKA FVEREN FSTOKADI FOEM1 FCARINO "
                   "FVERENSIRANO FACIKLAMA FINDIRIMORANI2 FOEM4 FKUR FINDIRIMORANI3 FSIPARISNO FIDNO "
                   "FOzelKod FDpKod FKURTL FINDIRIMORANI1 FDIGERADI FBarkod FTUTAR FURETICIKODU FKalan "
                   "FFINISHKOD FCARIKOD FNETBIRIMFIYAT FOemNo FTESLIMID FResimVar FResim");
        QTest::newRow("TAcilisEkran")
            << "mobilstokunit.TAcilisEkran" << words("FSiraNo FResim FBaslik FArama");
        QTest::newRow("TAcilisEkranlariki") << "mobilstokunit.TAcilisEkranlariki" << words("FEkranlar");
        QTest::newRow("TMobilStoklar") << "mobilstokunit.TMobilStoklar" << words("FItems");
        QTest::newRow("TMobilSepetler") << "mobilstokunit.TMobilSepetler" << words("FItems");
        QTest::newRow("TAcilisEkranlar") << "mobilstokunit.TAcilisEkranlar" << words("FItems");
    }
    void fieldOrder()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, fields);
        const auto object = createTransferObject(type);
        QVERIFY(object);
        QCOMPARE(object->typeName(), type);
        const QByteArray json = toJson(*object, 7);
        QVERIFY(json.startsWith(QByteArray("{\"type\":\"") + type.toUtf8() + "\",\"id\":7,\"fields\":{"));
        QCOMPARE(writtenFieldNames(json), fields);
        // The bare class name finds the same class.
        QCOMPARE(createTransferObject(object->className())->typeName(), type);
    }

    // Every field is read back from its own member: give each field a value
    // different from its initial one, read, write again, compare.
    void everyFieldRoundTrips_data() { fieldOrder_data(); }
    void everyFieldRoundTrips()
    {
        QFETCH(QString, type);
        const auto blank = createTransferObject(type);
        const QJsonObject initial = parse(toJson(*blank)).value("fields").toObject();
        QJsonObject changed;
        int n = 0;
        for (auto it = initial.begin(); it != initial.end(); ++it, ++n) {
            switch (it.value().type()) {
            case QJsonValue::String: changed[it.key()] = QStringLiteral("değer %1 ğüşıöç").arg(n); break;
            case QJsonValue::Double: changed[it.key()] = 100 + n; break;
            case QJsonValue::Bool: changed[it.key()] = !it.value().toBool(); break;
            case QJsonValue::Array: changed[it.key()] = QJsonArray(); break;
            default: QFAIL(qPrintable(it.key()));
            }
        }
        QJsonObject wire{{"type", type}, {"id", 1}, {"fields", changed}};
        QString error;
        const auto read = transferObjectFromJson(wire, &error);
        QVERIFY2(read, qPrintable(error));
        QVERIFY(error.isEmpty());
        const QJsonObject back = parse(toJson(*read)).value("fields").toObject();
        QCOMPARE(back, changed);
        // clone() keeps every field as well.
        QCOMPARE(toJson(*read->clone()), toJson(*read));
    }

    void sessionRecordInitialValues()
    {
        const TSonucBilgisi s;
        QCOMPARE(s.MusteriTipi(), 1);
        QCOMPARE(s.Version(), 1);
        QCOMPARE(s.CARINO(), 0);
        QCOMPARE(s.Varmi(), false);
        QVERIFY(s.ADI().isEmpty());
        const QByteArray json = toJson(s);
        QCOMPARE(writtenFieldNames(json).size(), 20);
        QVERIFY(json.contains("\"FBILGISAYARID\":\"\""));
        QVERIFY(json.contains("\"FVarmi\":false"));
        QVERIFY(json.contains("\"FMusteriTipi\":1,\"FVersion\":1}"));

        const TMobilStok stok;
        QCOMPARE(stok.Birim(), QStringLiteral("ADET"));
        QCOMPARE(stok.KDV(), 18.0);
    }

    void literalValues_data()
    {
        QTest::addColumn<bool>("varmi");
        QTest::addColumn<int>("tip");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("false, 4") << false << 4 << QByteArray("\"FVarmi\":false,");
        QTest::newRow("true, 2") << true << 2 << QByteArray("\"FVarmi\":true,");
    }
    void literalValues()
    {
        QFETCH(bool, varmi);
        QFETCH(int, tip);
        QFETCH(QByteArray, expected);
        TSonucBilgisi s;
        s.setVarmi(varmi);
        s.setMusteriTipi(tip);
        const QByteArray json = toJson(s);
        QVERIFY(json.contains(expected));
        QVERIFY(json.contains("\"FMusteriTipi\":" + QByteArray::number(tip) + ","));
        auto back = transferObjectFromJson(parse(json));
        auto *typed = dynamic_cast<TSonucBilgisi *>(back.get());
        QVERIFY(typed);
        QCOMPARE(*typed, s);
    }

    void kopyalaIsIndependent()
    {
        TSonucBilgisi main;
        main.setADI("ahmet");
        main.setCARINO(42);
        main.setcarikod("120.01.001");
        main.setVarmi(true);
        TSonucBilgisi copy;
        copy.Kopyala(main);
        QCOMPARE(copy, main);
        copy.setADI("mehmet");
        copy.setCARINO(7);
        QCOMPARE(main.ADI(), QStringLiteral("ahmet"));
        QCOMPARE(main.CARINO(), 42);
        QVERIFY(!(copy == main));

        TAcilisEkranlariki screens;
        TAcilisEkran e;
        e.setBaslik("Kampanya");
        screens.setEkranlar({e});
        TAcilisEkranlariki other;
        other.Kopyala(screens);
        auto list = other.Ekranlar();
        list[0].setBaslik("değişti");
        other.setEkranlar(list);
        QCOMPARE(screens.Ekranlar().at(0).Baslik(), QStringLiteral("Kampanya"));
    }

    void nestedArray()
    {
        TAcilisEkranlariki screens;
        QList<TAcilisEkran> list;
        for (int i = 1; i <= 3; ++i) {
            TAcilisEkran e;
            e.setSiraNo(i);
            e.setBaslik(QStringLiteral("Duyuru %1").arg(i));
            e.setArama(i == 1 ? QStringLiteral("#KAMPANYA#") : QStringLiteral("fren balatası"));
            e.setResim(QStringLiteral("FFD8FF"));
            list << e;
        }
        screens.setEkranlar(list);
        const QByteArray json = toJson(screens);
        const QJsonObject root = parse(json);
        const QJsonArray array = root.value("fields").toObject().value("FEkranlar").toArray();
        QCOMPARE(array.size(), 3);
        // Every object of the message has its own id.
        QSet<int> ids{root.value("id").toInt()};
        for (const QJsonValue &v : array) {
            QCOMPARE(v.toObject().value("type").toString(), QStringLiteral("mobilstokunit.TAcilisEkran"));
            ids.insert(v.toObject().value("id").toInt());
        }
        QCOMPARE(ids.size(), 4);

        auto back = transferObjectFromJson(root);
        auto *typed = dynamic_cast<TAcilisEkranlariki *>(back.get());
        QVERIFY(typed);
        QCOMPARE(*typed, screens);

        TMobilSepetler basket;
        TMobilSepet line;
        line.setMIKTAR(2.5);
        line.setSTOKADI("Fren Diski");
        line.setTARIH(46000);
        basket.add(line);
        basket.add(TMobilSepet());
        auto basketBack = transferObjectFromJson(parse(toJson(basket)));
        QVERIFY(dynamic_cast<TMobilSepetler *>(basketBack.get()));
        QCOMPARE(*static_cast<TMobilSepetler *>(basketBack.get()), basket);
        QCOMPARE(static_cast<TMobilSepetler *>(basketBack.get())->count(), 2);
    }

    void readingTolerance()
    {
        // Members in any order, unknown members ignored, missing ones keep
        // their initial value, a member of the wrong type is not taken.
        const QJsonObject wire =
            parse("{\"fields\":{\"FVersion\":7,\"FYeni\":1,\"FCARINO\":\"12\",\"FADI\":\"ayşe\"},"
                  "\"id\":3,\"type\":\"baglantiu.TSonucBilgisi\"}");
        auto back = transferObjectFromJson(wire);
        auto *s = dynamic_cast<TSonucBilgisi *>(back.get());
        QVERIFY(s);
        QCOMPARE(s->Version(), 7);
        QCOMPARE(s->ADI(), QStringLiteral("ayşe"));
        QCOMPARE(s->CARINO(), 0);
        QCOMPARE(s->MusteriTipi(), 1);

        // A fraction or an out-of-range number is not an integer field value.
        auto frac = transferObjectFromJson(
            parse("{\"type\":\"baglantiu.TTusSonuclari\",\"id\":1,"
                  "\"fields\":{\"FAlindi\":2.5,\"FGoruldu\":4294967296,\"FHazirlandi\":3}}"));
        auto *t = dynamic_cast<TTusSonuclari *>(frac.get());
        QVERIFY(t);
        QCOMPARE(t->Alindi(), 0);
        QCOMPARE(t->Goruldu(), 0);
        QCOMPARE(t->Hazirlandi(), 3);
    }

    void nullAndErrors_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("expectError");
        QTest::newRow("null") << QByteArray("[null]") << false;
        QTest::newRow("unknown type")
            << QByteArray("[{\"type\":\"baglantiu.TYok\",\"id\":1,\"fields\":{}}]") << true;
        QTest::newRow("bare class name on the wire")
            << QByteArray("[{\"type\":\"TSonucBilgisi\",\"id\":1,\"fields\":{}}]") << true;
        QTest::newRow("no type") << QByteArray("[{\"id\":1,\"fields\":{}}]") << true;
        QTest::newRow("number") << QByteArray("[5]") << true;
        QTest::newRow("fields not an object")
            << QByteArray("[{\"type\":\"baglantiu.TTusSonuclari\",\"id\":1,\"fields\":[]}]") << true;
    }
    void nullAndErrors()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, expectError);
        QString error = QStringLiteral("stale");
        const QJsonValue value = QJsonDocument::fromJson(json).array().at(0);
        QVERIFY(!transferObjectFromJson(value, &error));
        QCOMPARE(!error.isEmpty(), expectError);
        QVERIFY(!createTransferObject(u"TYok"));
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"

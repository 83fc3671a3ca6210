#include "support/fakeserver.h"

#include <server/proxim.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

using namespace kolvar;
using kolvar::test::FakeReply;
using kolvar::test::FakeServer;

using ProxyCall = std::function<void(TServerMethods1Client &)>;
Q_DECLARE_METATYPE(ProxyCall)

namespace {

std::unique_ptr<TSonucBilgisi> session(int carino)
{
    auto s = std::make_unique<TSonucBilgisi>();
    s->setCARINO(carino);
    s->setADI(QStringLiteral("Şükrü"));
    return s;
}

// What a request carried, in a form easy to write down: objects become
// {"class": ..., "CARINO": ...}.
QJsonArray summary(const QList<WireValue> &values)
{
    QJsonArray out;
    for (const WireValue &v : values) {
        if (auto s = std::get_if<QString>(&v))
            out.append(*s);
        else if (auto i = std::get_if<qint64>(&v))
            out.append(*i);
        else if (auto d = std::get_if<double>(&v))
            out.append(*d);
        else if (auto b = std::get_if<bool>(&v))
            out.append(*b);
        else if (auto o = std::get_if<std::shared_ptr<TransferObject>>(&v)) {
            if (!*o) {
                out.append(QJsonValue::Null);
                continue;
            }
            QJsonObject obj{{"class", (*o)->className()}};
            if (auto *s = dynamic_cast<TSonucBilgisi *>(o->get()))
                obj.insert("CARINO", s->CARINO());
            out.append(obj);
        } else
            out.append(QStringLiteral("?"));
    }
    return out;
}

Table sampleTable()
{
    Table t({{QStringLiteral("SEC"), ColumnType::Int32, 0},
             {QStringLiteral("STOKADI"), ColumnType::String, 100},
             {QStringLiteral("FIYAT"), ColumnType::Double, 0}});
    int r = t.appendRow();
    t.setInteger(r, 0, 1);
    t.setString(r, 1, u"FREN BALATASI");
    t.setReal(r, 2, 118.5);
    r = t.appendRow();
    t.setString(r, 1, u"YAĞ FİLTRESİ");
    return t;
}

} // namespace

class TestProxy : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeServer> server;
    std::unique_ptr<DSConnection> connection;

    void freshServer()
    {
        server = std::make_unique<FakeServer>();
        connection = std::make_unique<DSConnection>();
        connection->setHostName(QStringLiteral("127.0.0.1"));
        connection->setPort(server->port());
    }

private Q_SLOTS:
    void init() { freshServer(); }
    void cleanup()
    {
        connection.reset();
        server.reset();
    }

    void nilConnection()
    {
        try {
            TServerMethods1Client proxy(nullptr);
            QFAIL("a proxy without a connection was created");
        } catch (const InvalidOperationError &e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("Connection cannot be nil.  Make sure the connection has been opened."));
        }
    }

    void marshalling_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<ProxyCall>("call");
        QTest::addColumn<QByteArray>("params");
        QTest::addColumn<int>("resultCount");

        QTest::newRow("int") << "SepetVer2" << ProxyCall([](auto &p) { p.SepetVer2(120); })
                             << QByteArray("[120]") << 1;
        QTest::newRow("no parameters")
            << "KayanYaziGetir" << ProxyCall([](auto &p) { p.KayanYaziGetir(); }) << QByteArray("[]") << 1;
        QTest::newRow("object and scalars") << "SepetEkle2" << ProxyCall([](auto &p) {
            p.SepetEkle2(session(120), 120, 55, "869", "FREN BALATASI", 2, 20, 118.5, 10, 7, 1, 0, 0, 2.5);
        })
                                            << QByteArray(
                                                   "[{\"class\":\"TSonucBilgisi\",\"CARINO\":120},120,55,"
                                                   "\"869\",\"FREN BALATASI\",2,20,118.5,10,7,1,0,0,2.5]")
                                            << 1;
        QTest::newRow("null object") << "StokAraGetir" << ProxyCall([](auto &p) {
            p.StokAraGetir(QStringLiteral("balata"), nullptr);
        }) << QByteArray("[\"balata\",null]")
                                     << 1;
        QTest::newRow("Booleans") << "StokAraGetirVex" << ProxyCall([](auto &p) {
            p.StokAraGetirVex("k", "d", "a", "b", true, false, true, false, session(3));
        })
                                  << QByteArray("[\"k\",\"d\",\"a\",\"b\",true,false,true,false,{\"class\":"
                                                "\"TSonucBilgisi\",\"CARINO\":3}]")
                                  << 1;
        QTest::newRow("outs are not sent") << "RaporGetir" << ProxyCall([](auto &p) {
            qint64 size = -1;
            p.RaporGetir(3, 1, 44, 120, QStringLiteral("Ayşe"), 46000, 46031.5, size);
        }) << QByteArray("[3,1,44,120,\"Ayşe\",46000,46031.5]")
                                           << 2;
        QTest::newRow("input after outs") << "BelgeIndir2" << ProxyCall([](auto &p) {
            qint64 size;
            QString adi;
            p.BelgeIndir2(9, size, adi, session(77));
        }) << QByteArray("[9,{\"class\":\"TSonucBilgisi\",\"CARINO\":77}]")
                                          << 3;
        QTest::newRow("Turkish text") << "SepetSatirSil" << ProxyCall([](auto &p) {
            p.SepetSatirSil(session(1), 4, QStringLiteral("İğdır'a çıkış \"ş\""));
        }) << QByteArray("[{\"class\":\"TSonucBilgisi\",\"CARINO\":1},4,\"İğdır'a çıkış \\\"ş\\\"\"]")
                                      << 1;
        QTest::newRow("no result") << "SepetSecimGuncelle"
                                   << ProxyCall([](auto &p) { p.SepetSecimGuncelle(12, 0); })
                                   << QByteArray("[12,0]") << 0;
    }
    void marshalling()
    {
        QFETCH(QString, method);
        QFETCH(ProxyCall, call);
        QFETCH(QByteArray, params);
        QFETCH(int, resultCount);

        // Answer with default values of the declared kinds.
        const MethodDef *def = findMethod(method);
        QVERIFY(def);
        QList<WireValue> results;
        for (const ParamDef &p : def->parameters()) {
            if (p.out)
                results.append(p.kind == ValueKind::String ? WireValue(QString()) : WireValue(qint64(0)));
        }
        switch (def->result) {
        case ValueKind::None: break;
        case ValueKind::String: results.append(QString()); break;
        case ValueKind::Stream: results.append(QByteArray()); break;
        case ValueKind::DataPacket:
        case ValueKind::Reader: results.append(Table()); break;
        case ValueKind::Boolean: results.append(false); break;
        default: results.append(qint64(0)); break;
        }
        QCOMPARE(results.size(), resultCount);
        server->on(method, FakeReply::ok(results));

        TServerMethods1Client proxy(connection.get());
        call(proxy);
        const QList<Request> seen = server->requests();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].method, method);
        QCOMPARE(summary(seen[0].params), QJsonDocument::fromJson(params).array());
    }

    void outParametersInOrder()
    {
        server->on(QStringLiteral("RaporGetir"), FakeReply::ok({qint64(4), QByteArray("%PDF")}));
        server->on(QStringLiteral("BelgeIndir2"),
                   FakeReply::ok({qint64(3), QStringLiteral("fatura.pdf"), QByteArray("abc")}));
        server->on(QStringLiteral("KurlariAl"), FakeReply::ok({34.25, 37.0, qint64(1)}));
        server->on(QStringLiteral("BalonGetir2"), FakeReply::ok({qint64(1), qint64(2), qint64(3), qint64(4),
                                                                 qint64(5), qint64(6), qint64(99)}));
        TServerMethods1Client proxy(connection.get());

        qint64 size = 0;
        QCOMPARE(proxy.RaporGetir(1, 2, 3, 4, "x", 0, 0, size), QByteArray("%PDF"));
        QCOMPARE(size, 4);

        QString adi;
        QCOMPARE(proxy.BelgeIndir2(5, size, adi, nullptr), QByteArray("abc"));
        QCOMPARE(size, 3);
        QCOMPARE(adi, QStringLiteral("fatura.pdf"));

        double usd = 0, eur = 0;
        QCOMPARE(proxy.KurlariAl(usd, eur), 1);
        QCOMPARE(usd, 34.25);
        QCOMPARE(eur, 37.0);

        int sepet = 0, yeni = 0, kampanya = 0, duyuru = 0, bakiye = 0, dosya = 0;
        QCOMPARE(proxy.BalonGetir2(120, sepet, yeni, kampanya, duyuru, bakiye, dosya), 99);
        QCOMPARE(QList<int>({sepet, yeni, kampanya, duyuru, bakiye, dosya}), QList<int>({1, 2, 3, 4, 5, 6}));
    }

    void tableAndObjectResults()
    {
        auto record = std::make_shared<TSonucBilgisi>();
        record->setCARINO(120);
        record->setCariAdi(QStringLiteral("Öz Çelik Oto"));
        record->setMusteriTipi(4);
        server->on(QStringLiteral("SepetVer2"), FakeReply::ok({sampleTable()}));
        server->on(QStringLiteral("BuyukGetir"), [record](const Request &r) {
            if (r.params.value(0) == WireValue(QStringLiteral("bilinmeyen")))
                return FakeReply::ok({std::shared_ptr<TransferObject>()});
            return FakeReply::ok({std::shared_ptr<TransferObject>(record->clone())});
        });
        TServerMethods1Client proxy(connection.get());

        const Table &sepet = proxy.SepetVer2(120);
        QCOMPARE(sepet, sampleTable());
        QCOMPARE(sepet.string(1, 1), QStringLiteral("YAĞ FİLTRESİ"));
        QVERIFY(sepet.isNull(1, 2));

        TSonucBilgisi *found = proxy.BuyukGetir(QStringLiteral("PC-1"));
        QVERIFY(found);
        QCOMPARE(found->CARINO(), 120);
        QCOMPARE(found->CariAdi(), QStringLiteral("Öz Çelik Oto"));
        QCOMPARE(found->MusteriTipi(), 4);
        // A null result gives no object (and frees the previous one).
        QCOMPARE(proxy.BuyukGetir(QStringLiteral("bilinmeyen")), nullptr);
    }

    // Results stay valid until the same method runs again on the proxy.
    void resultLifetime()
    {
        server->on(QStringLiteral("BannerResimVer"), [](const Request &) {
            static std::atomic<int> n = 0;
            return FakeReply::ok({qint64(1), QByteArray(1, char('a' + n++))});
        });
        server->on(QStringLiteral("BannerResimVer2"), FakeReply::ok({qint64(2), QByteArray("zz")}));
        TServerMethods1Client proxy(connection.get());
        qint64 size = 0;
        const QByteArray &first = proxy.BannerResimVer(size);
        const QByteArray &other = proxy.BannerResimVer2(size);
        QCOMPARE(first, QByteArray("a"));
        QCOMPARE(other, QByteArray("zz"));
        QCOMPARE(proxy.BannerResimVer(size), QByteArray("b"));
    }

    void serverErrorThrows()
    {
        server->on(QStringLiteral("SiparisKaydet"),
                   FakeReply::fail(QStringLiteral("Sepetinizde seçili ürün yok")));
        server->on(QStringLiteral("KayanYaziGetir"), FakeReply::ok({QStringLiteral("Hoş geldiniz")}));
        TServerMethods1Client proxy(connection.get());
        try {
            proxy.SiparisKaydet(session(1), 1, 2, 3, "", 0, 0);
            QFAIL("no exception");
        } catch (const ServerError &e) {
            QCOMPARE(e.message(), QStringLiteral("Sepetinizde seçili ürün yok"));
            QCOMPARE(QString::fromUtf8(e.what()), e.message());
            QCOMPARE(e.errorClass(), QStringLiteral("EServerError"));
        }
        // The proxy and its connection stay usable.
        QCOMPARE(proxy.KayanYaziGetir(), QStringLiteral("Hoş geldiniz"));
    }

    void transportErrorThrows()
    {
        server->on(QStringLiteral("KayanYaziGetir"), FakeReply::drop());
        TServerMethods1Client proxy(connection.get());
        QVERIFY_THROWS_EXCEPTION(ConnectionError, proxy.KayanYaziGetir());
    }

    void commandPreparedOnce()
    {
        server->on(QStringLiteral("KayanYaziGetir"), FakeReply::ok({QStringLiteral("kayan")}));
        server->on(QStringLiteral("AcilisReklamAdet"), FakeReply::ok({qint64(3)}));
        TServerMethods1Client proxy(connection.get());
        QCOMPARE(proxy.preparedCount(), 0);
        QCOMPARE(proxy.KayanYaziGetir(), QStringLiteral("kayan"));
        QCOMPARE(proxy.KayanYaziGetir(), QStringLiteral("kayan"));
        QCOMPARE(proxy.preparedCount(), 1);
        QCOMPARE(proxy.AcilisReklamAdet(), 3);
        QCOMPARE(proxy.preparedCount(), 2);
        // A new proxy prepares anew.
        TServerMethods1Client second(connection.get());
        second.KayanYaziGetir();
        QCOMPARE(second.preparedCount(), 1);
    }

    void realServerEcho_data()
    {
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("echo") << false << QStringLiteral("Merhaba Dünya") << QStringLiteral("Merhaba Dünya");
        QTest::newRow("reverse") << true << QStringLiteral("çağ") << QStringLiteral("ğaç");
        QTest::newRow("empty") << true << QString() << QString();
    }
    void realServerEcho()
    {
        QFETCH(bool, reverse);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        if (!QFileInfo::exists(QStringLiteral(KOLVAR_SERVER_BIN)))
            QSKIP("kolvar-server is not built");
        const quint16 port = FakeServer::unusedPort();
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KOLVAR_SERVER_BIN),
                      {QStringLiteral("serve"), QStringLiteral("--port"), QString::number(port),
                       QStringLiteral("--web-port"), QString::number(FakeServer::unusedPort())});
        QVERIFY(process.waitForStarted());
        auto stop = qScopeGuard([&] {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QTcpSocket probe;
                probe.connectToHost(QStringLiteral("127.0.0.1"), port);
                return probe.waitForConnected(200);
            }(),
            10000);

        DSConnection c;
        c.setHostName(QStringLiteral("127.0.0.1"));
        c.setPort(port);
        TServerMethods1Client proxy(&c);
        QCOMPARE(reverse ? proxy.ReverseString(text) : proxy.EchoString(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestProxy)
#include "tst_proxy.moc"

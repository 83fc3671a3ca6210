#include <transfer/baglantiu.h>
#include <wire/frame.h>
#include <wire/jsonreader.h>
#include <wire/jsonwriter.h>
#include <wire/message.h>

#include <QTest>

using namespace kolvar;

namespace {

const MethodDef &method(const char *name)
{
    const MethodDef *m = findMethod(QString::fromLatin1(name));
    Q_ASSERT(m);
    return *m;
}

std::shared_ptr<TransferObject> session(int carino)
{
    auto s = std::make_shared<TSonucBilgisi>();
    s->setCARINO(carino);
    s->setCariAdi(QStringLiteral("ÖZ GÜNEŞ OTO"));
    return s;
}

const TSonucBilgisi *asSession(const WireValue &v)
{
    const auto *p = std::get_if<std::shared_ptr<TransferObject>>(&v);
    return p ? dynamic_cast<const TSonucBilgisi *>(p->get()) : nullptr;
}

} // namespace

class TestWire : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ------------------------------------------------------------ frames
    void frameHeader()
    {
        QCOMPARE(encodeFrame("{}"), QByteArray("\0\0\0\x02{}", 6));
        QCOMPARE(encodeFrame(QByteArray(300, 'x')).left(4), QByteArray("\0\0\x01\x2c", 4));
        QCOMPARE(encodeFrame(""), QByteArray(4, '\0'));
    }

    void frameDecoderByteByByte()
    {
        const QList<QByteArray> frames = {"{\"id\":1}", "", QByteArray(70000, 'a'), "{\"ş\":2}"};
        QByteArray stream;
        for (const QByteArray &f : frames)
            stream += encodeFrame(f);
        FrameDecoder decoder;
        QList<QByteArray> got;
        for (char byte : stream) {
            decoder.append(QByteArrayView(&byte, 1));
            while (auto f = decoder.next())
                got.append(*f);
        }
        QCOMPARE(got, frames);
        QVERIFY(!decoder.hasError());
        QVERIFY(!decoder.hasPartialFrame());
    }

    void frameDecoderChunks()
    {
        // Several frames in one chunk, a frame split over chunks.
        const QByteArray stream = encodeFrame("a") + encodeFrame("bc") + encodeFrame("def");
        FrameDecoder decoder;
        decoder.append(stream.left(8));
        QCOMPARE(decoder.next(), std::optional<QByteArray>("a"));
        QCOMPARE(decoder.next(), std::nullopt);
        QVERIFY(decoder.hasPartialFrame());
        decoder.append(stream.mid(8));
        QCOMPARE(decoder.next(), std::optional<QByteArray>("bc"));
        QCOMPARE(decoder.next(), std::optional<QByteArray>("def"));
        QCOMPARE(decoder.next(), std::nullopt);
        QCOMPARE(decoder.bufferedBytes(), 0);
    }

    void frameTooLarge_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("default limit, 64 MiB + 1")
            << DefaultMaxFrameSize << QByteArray("\x04\x00\x00\x01", 4) << true;
        QTest::newRow("default limit, exactly 64 MiB")
            << DefaultMaxFrameSize << QByteArray("\x04\x00\x00\x00", 4) << false;
        QTest::newRow("4 GiB - 1") << DefaultMaxFrameSize << QByteArray("\xff\xff\xff\xff", 4) << true;
        QTest::newRow("small limit") << qint64(10) << QByteArray("\x00\x00\x00\x0b", 4) << true;
    }
    void frameTooLarge()
    {
        QFETCH(qint64, limit);
        QFETCH(QByteArray, header);
        QFETCH(bool, tooLarge);
        FrameDecoder decoder(limit);
        // Reported as soon as the header is in, before any body arrives.
        decoder.append(header.left(3));
        QVERIFY(!decoder.hasError());
        decoder.append(header.mid(3));
        QCOMPARE(decoder.hasError(), tooLarge);
        if (tooLarge) {
            QVERIFY(decoder.errorString().startsWith("frame too large"));
            decoder.append("more bytes");
            QCOMPARE(decoder.next(), std::nullopt);
            QCOMPARE(decoder.bufferedBytes(), 4); // nothing further is buffered
        }
    }

    void frameTooLargeAfterGoodFrame()
    {
        FrameDecoder decoder(16);
        decoder.append(encodeFrame("ok") + QByteArray("\x00\x00\x01\x00", 4));
        QVERIFY(!decoder.hasError()); // the good frame is still taken first
        QCOMPARE(decoder.next(), std::optional<QByteArray>("ok"));
        QVERIFY(decoder.hasError());
        QCOMPARE(decoder.next(), std::nullopt);
    }

    // ------------------------------------------------------------ requests
    void requestRoundTrip()
    {
        const QByteArray json =
            encodeRequest(method("StokAraGetir"), 7, "tok", {QString("FREN \"ön\""), session(120)});
        QVERIFY(json.startsWith(
            "{\"id\":7,\"method\":\"TServerMethods1.StokAraGetir\",\"session\":\"tok\",\"params\":[\"FREN "
            "\\\"ön\\\"\",{\"type\":\"baglantiu.TSonucBilgisi\",\"id\":1,\"fields\":{"));
        const DecodedRequest d = decodeRequest(json);
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(d.method, &method("StokAraGetir"));
        QCOMPARE(d.request->id, 7);
        QCOMPARE(d.request->method, QString("StokAraGetir"));
        QCOMPARE(d.request->session, QString("tok"));
        QCOMPARE(d.request->params.size(), 2);
        QCOMPARE(std::get<QString>(d.request->params[0]), QString("FREN \"ön\""));
        const TSonucBilgisi *s = asSession(d.request->params[1]);
        QVERIFY(s);
        QCOMPARE(s->CARINO(), 120);
        QCOMPARE(s->CariAdi(), QString("ÖZ GÜNEŞ OTO"));
    }

    void requestWithoutSessionAndOuts()
    {
        // No session member when there is none; outs are not sent.
        const QByteArray json = encodeRequest(method("BelgeIndir2"), 1, {}, {qint64(55), session(3)});
        QVERIFY(!json.contains("session"));
        const DecodedRequest d = decodeRequest(json);
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(d.request->params.size(), 2);
        QCOMPARE(std::get<qint64>(d.request->params[0]), 55);
        QVERIFY(asSession(d.request->params[1]));
        QVERIFY(d.request->session.isEmpty());

        // A null object travels as null.
        const DecodedRequest n = decodeRequest(
            encodeRequest(method("StokAraGetir"), 2, {}, {QString("x"), std::shared_ptr<TransferObject>()}));
        QVERIFY2(n.ok(), qPrintable(n.error));
        QVERIFY(!std::get<std::shared_ptr<TransferObject>>(n.request->params[1]));
    }

    void requestKey()
    {
        // The key travels beside the session only when there is one.
        const QByteArray json = encodeRequest(method("SepetVer2"), 3, "tok", {qint64(1)},
                                              QStringLiteral("7d0e8c6e-4c1a-4f43-9a58-2f6f0e3b1a55"));
        QVERIFY2(json.contains(R"("session":"tok","key":"7d0e8c6e-4c1a-4f43-9a58-2f6f0e3b1a55")"),
                 json.constData());
        const DecodedRequest d = decodeRequest(json);
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(d.request->key, QStringLiteral("7d0e8c6e-4c1a-4f43-9a58-2f6f0e3b1a55"));
        QVERIFY(!encodeRequest(method("SepetVer2"), 3, "tok", {qint64(1)}).contains("\"key\""));
        const DecodedRequest n =
            decodeRequest(R"({"id":1,"key":null,"method":"TServerMethods1.SepetVer2","params":[1]})");
        QVERIFY2(n.ok(), qPrintable(n.error));
        QVERIFY(n.request->key.isEmpty());
        const QString longest(MaxRequestKeyLength, QLatin1Char('k'));
        QCOMPARE(decodeRequest(encodeRequest(method("SepetVer2"), 1, {}, {qint64(1)}, longest)).request->key,
                 longest);
    }

    void requestAcceptedForms()
    {
        // Members in any order, integers for doubles, unknown members ignored.
        const DecodedRequest d = decodeRequest(
            R"({"params": [1, 2, 3, 4, "ŞEN", 46000, 46030.5], "extra": {"a": [1]}, "method": "TServerMethods1.RaporGetir", "id": 9})");
        QVERIFY2(d.ok(), qPrintable(d.error));
        QCOMPARE(d.request->id, 9);
        QCOMPARE(std::get<double>(d.request->params[5]), 46000.0);
        QCOMPARE(std::get<double>(d.request->params[6]), 46030.5);
        QCOMPARE(std::get<QString>(d.request->params[4]), QString("ŞEN"));
    }

    void requestRejected_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("malformed");
        QTest::addColumn<qint64>("id"); // -1: none could be read
        auto req = [](const char *m, const char *params) {
            return QByteArray("{\"id\":5,\"method\":\"TServerMethods1.") + m + "\",\"params\":" + params +
                   "}";
        };
        QTest::newRow("not JSON") << QByteArray("hello") << "unexpected character" << true << qint64(-1);
        QTest::newRow("not an object") << QByteArray("[1]") << "must be a JSON object" << true << qint64(-1);
        QTest::newRow("bad UTF-8") << QByteArray("{\"id\":1,\"method\":\"\xff\"}") << "invalid UTF-8" << true
                                   << qint64(1);
        QTest::newRow("trailing garbage") << req("SepetVer2", "[1]") + "x"
                                          << "unexpected data" << true << qint64(5);
        QTest::newRow("truncated") << req("SepetVer2", "[1]").chopped(1) << "unexpected end" << true
                                   << qint64(5);
        QTest::newRow("too deep") << req("SepetVer2", QByteArray(70, '[') + QByteArray(70, ']'))
                                  << "nesting deeper" << true << qint64(5);
        QTest::newRow("no method") << QByteArray(R"({"id":4,"params":[]})") << "names no method" << false
                                   << qint64(4);
        QTest::newRow("method not a string") << QByteArray(R"({"id":4,"method":["x"],"params":[]})")
                                             << "\"method\" must be a string" << false << qint64(4);
        QTest::newRow("method without prefix") << QByteArray(R"({"id":4,"method":"SepetVer2","params":[1]})")
                                               << "unknown method \"SepetVer2\"" << false << qint64(4);
        QTest::newRow("unknown method") << req("Yok", "[]") << "unknown method" << false << qint64(5);
        QTest::newRow("id not an integer")
            << QByteArray(R"({"id":"5","method":"TServerMethods1.SepetVer2","params":[1]})")
            << "\"id\" must be an integer" << false << qint64(-1);
        QTest::newRow("session not a string")
            << QByteArray(R"({"id":5,"session":1,"method":"TServerMethods1.SepetVer2","params":[1]})")
            << "\"session\" must be a string" << false << qint64(5);
        QTest::newRow("key not a string")
            << QByteArray(R"({"id":5,"key":7,"method":"TServerMethods1.SepetVer2","params":[1]})")
            << "\"key\" must be a string" << false << qint64(5);
        QTest::newRow("key too long")
            << QByteArray(R"({"id":5,"key":")" + QByteArray(MaxRequestKeyLength + 1, 'k') +
                          R"(","method":"TServerMethods1.SepetVer2","params":[1]})")
            << "\"key\" is longer than 128 characters" << false << qint64(5);
        QTest::newRow("no params") << QByteArray(R"({"id":5,"method":"TServerMethods1.SepetVer2"})")
                                   << "no \"params\"" << false << qint64(5);
        QTest::newRow("params not an array")
            << req("SepetVer2", "{}") << "\"params\" must be an array" << false << qint64(5);
        QTest::newRow("too few") << req("SepetVer2", "[]") << "expects 1 parameters, got 0" << false
                                 << qint64(5);
        QTest::newRow("too many") << req("SepetVer2", "[1, 2, 3]") << "expects 1 parameters, got 3" << false
                                  << qint64(5);
        QTest::newRow("outs are not sent") << req("RaporGetir", "[1,2,3,4,\"a\",1.0,2.0,0]")
                                           << "expects 7 parameters, got 8" << false << qint64(5);
        QTest::newRow("int32 overflow")
            << req("SepetVer2", "[2147483648]") << "out of the int32 range" << false << qint64(5);
        QTest::newRow("int32 underflow")
            << req("SepetVer2", "[-2147483649]") << "out of the int32 range" << false << qint64(5);
        QTest::newRow("fraction for int32")
            << req("SepetVer2", "[1.5]") << "expected an integer" << false << qint64(5);
        QTest::newRow("string for int32")
            << req("SepetVer2", "[\"1\"]") << "parameter 1 (carino): expected int32" << false << qint64(5);
        QTest::newRow("null for int32")
            << req("SepetVer2", "[null]") << "expected int32" << false << qint64(5);
        QTest::newRow("number for string")
            << req("StokAraGetir", "[5, null]") << "parameter 1 (kod): expected string" << false << qint64(5);
        QTest::newRow("number for object") << req("StokAraGetir", "[\"x\", 5]")
                                           << "parameter 2 (bilgi): expected object" << false << qint64(5);
        QTest::newRow("unknown object type")
            << req("StokAraGetir", R"(["x", {"type":"u.TYok","id":1,"fields":{}}])") << "parameter 2 (bilgi)"
            << false << qint64(5);
        QTest::newRow("object of another class")
            << req("StokAraGetir", R"(["x", {"type":"baglantiu.TTusSonuclari","id":1,"fields":{}}])")
            << "expected an object of class TSonucBilgisi" << false << qint64(5);
        QTest::newRow("string for double") << req("RaporGetir", "[1,2,3,4,\"a\",\"1\",2]")
                                           << "parameter 6 (tarih1): expected double" << false << qint64(5);
        QTest::newRow("number for Boolean")
            << req("StokAraGetirVex", "[\"k\",\"\",\"\",\"\",1,true,true,true,null]")
            << "parameter 5 (_kampanya): expected Boolean" << false << qint64(5);
        QTest::newRow("callback") << req("MobilStokaraGeri", "[\"k\", null, 1, 2, null]")
                                  << "callback cannot be passed" << false << qint64(5);
    }
    void requestRejected()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QFETCH(bool, malformed);
        QFETCH(qint64, id);
        const DecodedRequest d = decodeRequest(json);
        QVERIFY(!d.ok());
        QVERIFY2(d.error.contains(message), qPrintable(d.error));
        QCOMPARE(d.malformed, malformed);
        QCOMPARE(d.id.value_or(-1), id);
    }

    // Kinds that no client method takes as input, checked on the value codec.
    void valueKinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("ok");
        QTest::newRow("stream") << int(ValueKind::Stream) << QByteArray("\"UERG\"") << true;
        QTest::newRow("empty stream") << int(ValueKind::Stream) << QByteArray("\"\"") << true;
        QTest::newRow("stream, bad base64") << int(ValueKind::Stream) << QByteArray("\"UE*G\"") << false;
        QTest::newRow("stream, number") << int(ValueKind::Stream) << QByteArray("5") << false;
        QTest::newRow("JSON array") << int(ValueKind::JsonArray) << QByteArray("[1, \"a\", {}]") << true;
        QTest::newRow("JSON array, object") << int(ValueKind::JsonArray) << QByteArray("{}") << false;
        QTest::newRow("reader") << int(ValueKind::Reader) << QByteArray(R"({"columns":[],"rows":[]})")
                                << true;
        QTest::newRow("data packet, ragged")
            << int(ValueKind::DataPacket)
            << QByteArray(R"({"columns":[{"name":"A","type":"int32"}],"rows":[[]]})") << false;
        QTest::newRow("data packet, array") << int(ValueKind::DataPacket) << QByteArray("[]") << false;
        QTest::newRow("int64 past range")
            << int(ValueKind::Int64) << QByteArray("9223372036854775808") << false;
        QTest::newRow("Boolean") << int(ValueKind::Boolean) << QByteArray("false") << true;
    }
    void valueKinds()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, json);
        QFETCH(bool, ok);
        JsonReader in(json);
        QString error;
        const auto v = readWireValue(in, ValueKind(kind), "", &error);
        QCOMPARE(v.has_value(), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (ok) {
            QCOMPARE(in.next(), JsonReader::Token::End);
            // What was read writes back to the same value.
            JsonWriter w;
            int id = 1;
            writeWireValue(w, ValueKind(kind), *v, id);
            JsonReader again(w.data());
            const auto v2 = readWireValue(again, ValueKind(kind), "", &error);
            QVERIFY(v2.has_value());
            QVERIFY(*v2 == *v);
        }
    }

    // ------------------------------------------------------------ responses
    void responseOutsInTheMiddle()
    {
        // BelgeIndir2(sirano, out size, out adi, bilgi) -> stream: outs first, then the result.
        const MethodDef &m = method("BelgeIndir2");
        Response r;
        r.id = 11;
        r.results = {qint64(3), QString("fatura.pdf"), QByteArray("%PDF-1.4")};
        const QByteArray json = encodeResponse(m, r);
        QCOMPARE(json, QByteArray(R"({"id":11,"result":[3,"fatura.pdf","JVBERi0xLjQ="]})"));
        QString error;
        const auto back = decodeResponse(m, json, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->id, 11);
        QVERIFY(!back->isError);
        QCOMPARE(back->results.size(), 3);
        QCOMPARE(std::get<qint64>(back->results[0]), 3);
        QCOMPARE(std::get<QString>(back->results[1]), QString("fatura.pdf"));
        QCOMPARE(std::get<QByteArray>(back->results[2]), QByteArray("%PDF-1.4"));
    }

    void responseShapes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("problem"); // empty: accepted
        QTest::newRow("RaporGetir: size then stream")
            << "RaporGetir" << QByteArray(R"({"id":1,"result":[4,"UERGIQ=="]})") << "";
        QTest::newRow("RaporGetir: stream missing")
            << "RaporGetir" << QByteArray(R"({"id":1,"result":[4]})") << "answers 2 values, got 1";
        QTest::newRow("RaporGetir: extra value")
            << "RaporGetir" << QByteArray(R"({"id":1,"result":[4,"",1]})") << "got more";
        QTest::newRow("RaporGetir: size not an integer")
            << "RaporGetir" << QByteArray(R"({"id":1,"result":["4",""]})") << "(size): expected int64";
        QTest::newRow("none: empty result")
            << "SepetSecimGuncelle" << QByteArray(R"({"id":1,"result":[]})") << "";
        QTest::newRow("none: a value too many")
            << "SepetSecimGuncelle" << QByteArray(R"({"id":1,"result":[null]})") << "got more";
        QTest::newRow("data packet")
            << "SepetVer2"
            << QByteArray(
                   R"({"id":1,"result":[{"columns":[{"name":"A","type":"int32"}],"rows":[[1],[null]]}]})")
            << "";
        QTest::newRow("data packet, bad row")
            << "SepetVer2"
            << QByteArray(R"({"id":1,"result":[{"columns":[{"name":"A","type":"int32"}],"rows":[[1,2]]}]})")
            << "row 1 has more than 1 values";
        QTest::newRow("object result")
            << "GirisDogrula"
            << QByteArray(
                   R"({"id":1,"session":"abc","result":[{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":8}}]})")
            << "";
        QTest::newRow("null object result")
            << "GirisDogrula" << QByteArray(R"({"id":1,"result":[null]})") << "";
        QTest::newRow("Boolean result as number")
            << "SiparisKaydet" << QByteArray(R"({"id":1,"result":[1]})") << "expected Boolean";
        QTest::newRow("no id") << "SepetSecimGuncelle" << QByteArray(R"({"result":[]})") << "no \"id\"";
        QTest::newRow("neither result nor error")
            << "SepetSecimGuncelle" << QByteArray(R"({"id":1})") << "neither";
        QTest::newRow("not JSON") << "SepetSecimGuncelle" << QByteArray(R"({"id":1,)") << "unexpected end";
        QTest::newRow("result not an array")
            << "SepetSecimGuncelle" << QByteArray(R"({"id":1,"result":{}})") << "must be an array";
    }
    void responseShapes()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, json);
        QFETCH(QString, problem);
        QString error;
        const auto r = decodeResponse(*findMethod(name), json, &error);
        if (problem.isEmpty()) {
            QVERIFY2(r, qPrintable(error));
            const MethodDef &m = *findMethod(name);
            QCOMPARE(r->results.size(), m.outputCount() + (m.result != ValueKind::None ? 1 : 0));
            // Encoding what was decoded reads back to the same values.
            const QByteArray encoded = encodeResponse(m, *r);
            const auto again = decodeResponse(m, encoded, &error);
            QVERIFY2(again, qPrintable(error));
            QCOMPARE(encodeResponse(m, *again), encoded);
            QCOMPARE(again->session, r->session);
        } else {
            QVERIFY(!r);
            QVERIFY2(error.contains(problem), qPrintable(error));
        }
    }

    void errorResponses()
    {
        const QByteArray json = encodeError(7, "EServerError", "Oturum süresi doldu \"x\"");
        QCOMPARE(json, QByteArray("{\"id\":7,\"error\":{\"class\":\"EServerError\",\"message\":\"Oturum "
                                  "süresi doldu \\\"x\\\"\"}}"));
        QString error;
        const auto r = decodeResponse(method("SepetVer2"), json, &error);
        QVERIFY2(r, qPrintable(error));
        QVERIFY(r->isError);
        QCOMPARE(r->id, 7);
        QCOMPARE(r->errorClass, QString("EServerError"));
        QCOMPARE(r->errorMessage, QString("Oturum süresi doldu \"x\""));
        QVERIFY(r->results.isEmpty());

        // Without a readable request id the error carries null.
        QCOMPARE(encodeError(std::nullopt, "EServerError", "bad"),
                 QByteArray(R"({"id":null,"error":{"class":"EServerError","message":"bad"}})"));
        const auto noId = decodeResponse(method("SepetVer2"), encodeError(std::nullopt, "E", "m"), &error);
        QVERIFY(noId && noId->isError);

        Response asError;
        asError.id = 3;
        asError.isError = true;
        asError.errorClass = "E";
        asError.errorMessage = "m";
        QCOMPARE(encodeResponse(method("SepetVer2"), asError), encodeError(3, "E", "m"));
    }

    void objectsNumberedPerMessage()
    {
        const QByteArray first = encodeRequest(method("StokAraGetir"), 1, {}, {QString("a"), session(1)});
        const QByteArray second = encodeRequest(method("StokAraGetir"), 2, {}, {QString("a"), session(1)});
        QVERIFY(first.contains(R"("id":1,"fields")"));
        QVERIFY(second.contains(R"("id":1,"fields")"));
    }

    void responseSessionToken()
    {
        Response r;
        r.id = 1;
        r.session = "t0k3n";
        r.results = {session(5)};
        const QByteArray json = encodeResponse(method("GirisDogrula"), r);
        QVERIFY(json.startsWith(R"({"id":1,"session":"t0k3n","result":[{"type":"baglantiu.TSonucBilgisi")"));
        QString error;
        const auto back = decodeResponse(method("GirisDogrula"), json, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->session, QString("t0k3n"));
        QCOMPARE(asSession(back->results[0])->CARINO(), 5);
    }
};

QTEST_GUILESS_MAIN(TestWire)
#include "tst_wire.moc"

#include <wire/jsonreader.h>
#include <wire/jsonwriter.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

using namespace kolvar;
using Token = JsonReader::Token;

namespace {

// The token stream as compact text: "{ K:a I:1 [ D:1.5 S:x T F N ] }".
QString tokens(QByteArrayView json, int maxDepth = JsonReader::DefaultMaxDepth)
{
    JsonReader r(json, maxDepth);
    QStringList out;
    for (;;) {
        switch (r.next()) {
        case Token::BeginObject: out << "{"; break;
        case Token::EndObject: out << "}"; break;
        case Token::BeginArray: out << "["; break;
        case Token::EndArray: out << "]"; break;
        case Token::Key: out << "K:" + r.string(); break;
        case Token::String: out << "S:" + r.string(); break;
        case Token::Integer: out << "I:" + QString::number(r.integer()); break;
        case Token::Double: out << "D:" + QString::number(r.real(), 'g', 12); break;
        case Token::Bool: out << (r.boolean() ? "T" : "F"); break;
        case Token::Null: out << "N"; break;
        case Token::End: return out.join(' ');
        case Token::Error: return "ERROR " + r.errorString();
        case Token::None: return "NONE?";
        }
    }
}

QByteArray nested(int levels)
{
    return QByteArray(levels, '[') + QByteArray(levels, ']');
}

} // namespace

class TestJson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readerTokens_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("scalar") << QByteArray(" 42 ") << "I:42";
        QTest::newRow("empty containers") << QByteArray("[{},[]]") << "[ { } [ ] ]";
        QTest::newRow("object") << QByteArray(R"({"a": 1, "b": [1.5, "x", true, false, null]})")
                                << "{ K:a I:1 K:b [ D:1.5 S:x T F N ] }";
        QTest::newRow("white space everywhere")
            << QByteArray("\r\n\t{ \"k\" :\n[ 1 ,2 ] }\n") << "{ K:k [ I:1 I:2 ] }";
        QTest::newRow("escapes") << QByteArray("[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"]") << "[ S:\"\\/\b\f\n\r\t ]";
        QTest::newRow("unicode escape") << QByteArray("[\"\\u00e7\\u011F\\u0130\"]") << "[ S:çğİ ]";
        QTest::newRow("surrogate pair escape") << QByteArray("[\"\\ud83d\\ude97\"]") << "[ S:🚗 ]";
        QTest::newRow("UTF-8 Turkish") << QByteArray("[\"ŞIĞÜÖÇ ığüşöç\"]") << "[ S:ŞIĞÜÖÇ ığüşöç ]";
        QTest::newRow("UTF-8 four bytes") << QByteArray("[\"a🚗b\"]") << "[ S:a🚗b ]";
        QTest::newRow("zero") << QByteArray("[0, -0, 0.0]") << "[ I:0 I:0 D:0 ]";
        QTest::newRow("int64 limits") << QByteArray("[9223372036854775807, -9223372036854775808]")
                                      << "[ I:9223372036854775807 I:-9223372036854775808 ]";
        QTest::newRow("past int64 is double")
            << QByteArray("[9223372036854775808]") << "[ D:9.22337203685e+18 ]";
        QTest::newRow("exponents") << QByteArray("[1e3, -2.5E-3, 1E+2]") << "[ D:1000 D:-0.0025 D:100 ]";
    }
    void readerTokens()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QCOMPARE(tokens(json), expected);
    }

    void readerRejects_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray("") << "no JSON value at byte 0";
        QTest::newRow("trailing garbage")
            << QByteArray("{} x") << "unexpected data after the JSON value at byte 3";
        QTest::newRow("two values") << QByteArray("1 2") << "unexpected data";
        QTest::newRow("unterminated array") << QByteArray("[1, 2") << "unexpected end";
        QTest::newRow("trailing comma") << QByteArray("[1,]") << "unexpected character at byte 3";
        QTest::newRow("missing colon") << QByteArray(R"({"a" 1})") << "expected ':'";
        QTest::newRow("unquoted key") << QByteArray("{a:1}") << "expected a member name";
        QTest::newRow("missing comma") << QByteArray("[1 2]") << "expected ',' or ']'";
        QTest::newRow("leading zero") << QByteArray("[01]") << "expected ',' or ']'";
        QTest::newRow("bare minus") << QByteArray("[-]") << "invalid number";
        QTest::newRow("dot without digits") << QByteArray("[1.]") << "invalid number";
        QTest::newRow("exponent without digits") << QByteArray("[1e]") << "invalid number";
        QTest::newRow("plus sign") << QByteArray("[+1]") << "unexpected character";
        QTest::newRow("NaN") << QByteArray("[NaN]") << "unexpected character";
        QTest::newRow("huge double") << QByteArray("[1e400]") << "number out of range";
        QTest::newRow("bad literal") << QByteArray("[tru]") << "unexpected character";
        QTest::newRow("single quotes") << QByteArray("['a']") << "unexpected character";
        QTest::newRow("unterminated string") << QByteArray("[\"abc") << "unterminated string";
        QTest::newRow("raw newline in string")
            << QByteArray("[\"a\nb\"]") << "control character in a string at byte 3";
        QTest::newRow("bad escape") << QByteArray("[\"\\x\"]") << "invalid escape";
        QTest::newRow("short unicode escape") << QByteArray("[\"\\u12\"]") << "invalid escape";
        QTest::newRow("lone high surrogate escape") << QByteArray("[\"\\ud83d\"]") << "unpaired surrogate";
        QTest::newRow("lone low surrogate escape") << QByteArray("[\"\\ude97x\"]") << "unpaired surrogate";
        QTest::newRow("high surrogate then letter")
            << QByteArray("[\"\\ud83d\\u0041\"]") << "unpaired surrogate";
        QTest::newRow("stray continuation byte") << QByteArray("[\"\x80\"]") << "invalid UTF-8 at byte 2";
        QTest::newRow("overlong two bytes") << QByteArray("[\"\xC0\xAF\"]") << "invalid UTF-8";
        QTest::newRow("overlong three bytes") << QByteArray("[\"\xE0\x80\xAF\"]") << "invalid UTF-8";
        QTest::newRow("overlong four bytes") << QByteArray("[\"\xF0\x80\x80\xAF\"]") << "invalid UTF-8";
        QTest::newRow("encoded surrogate") << QByteArray("[\"\xED\xA0\x80\"]") << "invalid UTF-8";
        QTest::newRow("past U+10FFFF") << QByteArray("[\"\xF4\x90\x80\x80\"]") << "invalid UTF-8";
        QTest::newRow("F5 lead byte") << QByteArray("[\"\xF5\x80\x80\x80\"]") << "invalid UTF-8";
        QTest::newRow("truncated sequence") << QByteArray("[\"\xE2\x82\"]") << "invalid UTF-8";
        QTest::newRow("truncated at end") << QByteArray("[\"\xC3") << "invalid UTF-8";
        QTest::newRow("Latin-1 byte") << QByteArray("[\"\xFC\"]") << "invalid UTF-8";
        QTest::newRow("non-ASCII outside strings") << QByteArray("[\xC3\xA7]") << "unexpected character";
        QTest::newRow("too deep") << nested(65) << "nesting deeper than 64 levels at byte 64";
    }
    void readerRejects()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        const QString result = tokens(json);
        QVERIFY2(result.startsWith("ERROR ") && result.contains(message), qPrintable(result));
    }

    void depthLimit()
    {
        QVERIFY(!tokens(nested(64)).startsWith("ERROR"));
        QVERIFY(tokens(nested(3), 2).contains("nesting deeper than 2"));
        QVERIFY(!tokens(nested(2), 2).startsWith("ERROR"));
        // Objects count as levels like arrays.
        QVERIFY(tokens(R"({"a":{"b":[1]}})", 2).contains("nesting deeper"));
    }

    void errorIsSticky()
    {
        JsonReader r("[1,]");
        while (r.next() != Token::Error) {
        }
        const QString first = r.errorString();
        QCOMPARE(r.next(), Token::Error);
        QCOMPARE(r.errorString(), first);
        QCOMPARE(r.offset(), 3);
    }

    void readAndSkipValues()
    {
        JsonReader r(
            R"({"skip": {"x": [1, {"y": null}]}, "take": {"n": 1.5, "s": "ş", "a": [true, 2]}, "z": 3})");
        QCOMPARE(r.next(), Token::BeginObject);
        QCOMPARE(r.next(), Token::Key);
        QVERIFY(r.stringEquals(QLatin1StringView("skip")));
        QVERIFY(r.skipValue());
        QCOMPARE(r.next(), Token::Key);
        const QJsonValue v = r.readValue();
        QCOMPARE(v, QJsonValue(QJsonObject{{"n", 1.5}, {"s", QString("ş")}, {"a", QJsonArray{true, 2}}}));
        QCOMPARE(r.next(), Token::Key);
        QVERIFY(r.skipValue());
        QCOMPARE(r.next(), Token::EndObject);
        QCOMPARE(r.next(), Token::End);

        // A copy continues independently from where it was taken.
        JsonReader a("[1, 2]");
        a.next();
        JsonReader b = a;
        QCOMPARE(a.next(), Token::Integer);
        QCOMPARE(a.next(), Token::Integer);
        QCOMPARE(b.next(), Token::Integer);
        QCOMPARE(b.integer(), 1);

        JsonReader broken(R"([{"a": [1, }])");
        broken.next();
        QVERIFY(!broken.skipValue());
        QVERIFY(broken.hasError());
        JsonReader broken2(R"([{"a": [1, }])");
        broken2.next();
        QVERIFY(broken2.readValue().isUndefined());
    }

    void setErrorCarriesOffset()
    {
        JsonReader r(R"({"a": "x"})");
        r.next();
        r.next();
        r.next();
        r.setError("wrong kind");
        QCOMPARE(r.errorString(), QString("wrong kind at byte 6"));
        QCOMPARE(r.next(), Token::Error);
    }

    void writerStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("plain") << "abc" << QByteArray(R"("abc")");
        QTest::newRow("quote and backslash") << "a\"b\\c" << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("short escapes") << "\n\r\t\b\f" << QByteArray("\"\\n\\r\\t\\b\\f\"");
        QTest::newRow("other controls")
            << QString(QChar(1)) + QChar(0x1f) << QByteArray("\"\\u0001\\u001f\"");
        QTest::newRow("NUL") << QString(QChar(0)) << QByteArray("\"\\u0000\"");
        QTest::newRow("slash stays") << "a/b" << QByteArray(R"("a/b")");
        QTest::newRow("Turkish as UTF-8") << "Ğİş" << QByteArray("\"Ğİş\"");
        QTest::newRow("astral") << "🚗" << QByteArray("\"🚗\"");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "x" << QByteArray("\"\xEF\xBF\xBDx\"");
        QTest::newRow("only escapes")
            << QString(20, QChar(2)) << "\"" + QByteArray("\\u0002").repeated(20) + "\"";
    }
    void writerStrings()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, json);
        JsonWriter w;
        w.value(QStringView(text));
        QCOMPARE(w.data(), json);
    }

    void writerNumbers_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("integral") << 118.0 << QByteArray("118");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("negative") << -12.75 << QByteArray("-12.75");
        QTest::newRow("tiny") << 5e-324 << QByteArray("5e-324");
        QTest::newRow("large") << 1e300 << QByteArray("1e+300");
        QTest::newRow("NaN") << std::nan("") << QByteArray("null");
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QByteArray("null");
    }
    void writerNumbers()
    {
        QFETCH(double, number);
        QFETCH(QByteArray, json);
        JsonWriter w;
        w.value(number);
        QCOMPARE(w.data(), json);
        if (std::isfinite(number)) {
            JsonReader r(w.data());
            r.next();
            QCOMPARE(r.real(), number);
        }
    }

    void writerStructure()
    {
        JsonWriter w;
        w.beginObject();
        w.key(QLatin1StringView("a"));
        w.beginArray();
        w.value(qint64(std::numeric_limits<qint64>::min()));
        w.value(true);
        w.null();
        w.beginObject();
        w.endObject();
        w.beginArray();
        w.endArray();
        w.endArray();
        w.key(QStringView(u"ç"));
        w.raw("[1]");
        w.key(QLatin1StringView("b"));
        w.base64("\x01\x02\xff");
        w.endObject();
        const QByteArray expected("{\"a\":[-9223372036854775808,true,null,{},[]],\"ç\":[1],\"b\":\"AQL/\"}");
        QCOMPARE(w.data(), expected);
        QCOMPARE(w.take(), expected);
        QVERIFY(w.data().isEmpty());
    }

    // Whatever the writer produces, the strict reader reads back unchanged.
    void writerReaderRoundTrip()
    {
        QString all;
        for (char16_t c = 0; c < 0x300; ++c)
            all.append(QChar(c));
        all += u"İıŞşĞğ€🚗";
        JsonWriter w;
        w.beginArray();
        w.value(QStringView(all));
        w.endArray();
        JsonReader r(w.data());
        QCOMPARE(r.next(), Token::BeginArray);
        QCOMPARE(r.next(), Token::String);
        QCOMPARE(r.string(), all);
        QCOMPARE(r.next(), Token::EndArray);
        QCOMPARE(r.next(), Token::End);
    }
};

QTEST_GUILESS_MAIN(TestJson)
#include "tst_json.moc"

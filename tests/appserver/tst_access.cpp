#include "support/testdatabase.h"

#include <demo/demodata.h>
#include <methods/authmethods.h>
#include <methods/authpassword.h>
#include <methods/businessmethods.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>
#include <transfer/baglantiu.h>
#include <wire/jsonwriter.h>
#include <wire/message.h>

#include <QSqlRecord>
#include <QTest>

using namespace kolvar;
using namespace kolvar::server;
using kolvar::testing::TestDatabase;

// Every method that takes an account number, a session record or the number
// of a document, order, basket line or receipt is called as BAYI for its own
// account, for another dealer's account, for an account that does not
// exist, and for its own account with another dealer's document numbers.
// The other dealer's rows carry a marker text that must never come back,
// and none of them may change.
namespace {

constexpr qint64 kOwn = 1;   // BAYI's account in the demo
constexpr qint64 kOther = 2; // BAYI3's account
constexpr qint64 kMissing = 99999;
constexpr qint64 kOwnId = 800001;   // every kind of row of the own account
constexpr qint64 kOtherId = 900001; // every kind of row of the other account
constexpr qint64 kMissingId = 700001;
const QString kMarker = QStringLiteral("GIZLIISARET");

void addMarkerRows(const Database &db, qint64 carino, qint64 id, const QString &text)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QList<std::pair<QString, QVariantList>> rows{
        {"INSERT INTO sepet (sirano, carino, stokno, barkod, stokadi, miktar, birimfiyat, kdv, sec, tarih, "
         "aciklama) "
         "VALUES (?, ?, 1, 'B', ?, 3, 10, 20, 1, ?, ?)",
         {id, carino, text, today, text}},
        {"INSERT INTO siparisler (idno, carino, tarih, durum, aciklama, kolvar_mesaj, satici_notu) "
         "VALUES (?, ?, ?, 0, ?, ?, ?)",
         {id, carino, today, text, text, text}},
        {"INSERT INTO siparis_satirlari (sirano, idno, carino, stokno, barkod, stokadi, miktar, "
         "teslimedilen, "
         "birimfiyat, kdv, aciklama) VALUES (?, ?, ?, 1, 'B', ?, 5, 1, 10, 20, ?)",
         {id, id, carino, text, text}},
        {"INSERT INTO faturalar (idno, carino, evrakno, tarih, aciklama, matrah, kdvtutar, toplam) "
         "VALUES (?, ?, ?, ?, ?, 10, 2, 12)",
         {id, carino, text, today, text}},
        {"INSERT INTO fatura_satirlari (sirano, fatura, stokno, barkod, stokadi, miktar, birimfiyat, tutar, "
         "nettutar, kdvtutar, aciklama) VALUES (?, ?, 1, 'B', ?, 1, 10, 10, 10, 2, ?)",
         {id, id, text, text}},
        {"INSERT INTO tahsilatlar (idno, carino, evrakno, tarih, tur, tutar, aciklama) VALUES (?, ?, ?, ?, "
         "'NAKIT', "
         "5, ?)",
         {id, carino, text, today, text}},
        {"INSERT INTO sanalpos_odemeleri (sirano, carino, tahsilat, tarih, tutar, kart_sahibi, aciklama) "
         "VALUES (?, ?, ?, ?, 5, ?, ?)",
         {id, carino, id, today, text, text}},
        {"INSERT INTO ekstre (idno, carino, tarih, evrak, evrakno, aciklama, borc, belge) "
         "VALUES (?, ?, ?, 'FATURA', ?, ?, 12, ?)",
         {id, carino, today, text, text, id}},
        {"INSERT INTO belgeler (sirano, adi, carino, icerik) VALUES (?, ?, ?, ?)",
         {id, text, carino, text.toUtf8()}},
    };
    for (const auto &[sql, binds] : rows) {
        Query q(db, sql);
        for (const QVariant &v : binds)
            q.bind(v);
        q.exec();
    }
}

// Everything stored for the other account, as text.
QByteArray otherAccountDigest(const Database &db)
{
    QByteArray out;
    const QStringList selects{
        QStringLiteral("SELECT * FROM cariler WHERE carino = %1"),
        QStringLiteral("SELECT * FROM sepet WHERE carino = %1 ORDER BY sirano"),
        QStringLiteral("SELECT * FROM siparisler WHERE carino = %1 ORDER BY idno"),
        QStringLiteral("SELECT * FROM siparis_satirlari WHERE carino = %1 ORDER BY sirano"),
        QStringLiteral("SELECT * FROM faturalar WHERE carino = %1 ORDER BY idno"),
        QStringLiteral(
            "SELECT * FROM fatura_satirlari WHERE fatura IN (SELECT idno FROM faturalar WHERE carino = "
            "%1) ORDER BY sirano"),
        QStringLiteral("SELECT * FROM tahsilatlar WHERE carino = %1 ORDER BY idno"),
        QStringLiteral("SELECT * FROM sanalpos_odemeleri WHERE carino = %1 ORDER BY sirano"),
        QStringLiteral("SELECT * FROM ekstre WHERE carino = %1 ORDER BY idno"),
        QStringLiteral("SELECT * FROM belgeler WHERE carino = %1 ORDER BY sirano"),
        QStringLiteral(
            "SELECT sirano, adi, sifre_hash, aktif FROM kullanicilar WHERE carino = %1 ORDER BY sirano"),
    };
    for (const QString &sql : selects) {
        Query q(db, sql.arg(kOther));
        q.exec();
        while (q.next()) {
            for (int i = 0; i < q.raw().record().count(); ++i)
                out += q.value(i).toString().toUtf8() + '|';
            out += '\n';
        }
    }
    Query m(db, QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = %1").arg(kMissing));
    m.exec();
    out += "missing:" + m.scalar().toByteArray();
    return out;
}

bool isAccountParam(const char *name)
{
    return QByteArrayView(name).compare("carino", Qt::CaseInsensitive) == 0 || qstrcmp(name, "cario") == 0 ||
           qstrcmp(name, "_carino") == 0;
}

bool isIdParam(const char *name)
{
    static const char *const ids[] = {"idnosu",      "siranosu",      "sirano", "satirno", "_sepetsirano",
                                      "sepetsirano", "siparissirano", "idno",   "sira"};
    for (const char *id : ids) {
        if (qstrcmp(name, id) == 0)
            return true;
    }
    return false;
}

bool isScoped(const MethodDef &m)
{
    for (const ParamDef &p : m.parameters()) {
        if (p.out)
            continue;
        if (isAccountParam(p.name) || isIdParam(p.name) || p.kind == ValueKind::Object)
            return true;
    }
    return false;
}

QList<WireValue> inputsFor(const MethodDef &m, qint64 carino, qint64 id)
{
    QList<WireValue> in;
    for (const ParamDef &p : m.parameters()) {
        if (p.out)
            continue;
        switch (p.kind) {
        case ValueKind::Int32:
        case ValueKind::Int64:
            if (isAccountParam(p.name))
                in << WireValue(qint64(carino));
            else if (isIdParam(p.name))
                in << WireValue(qint64(id));
            else if (qstrcmp(p.name, "stokno") == 0)
                in << WireValue(qint64(1));
            else
                in << WireValue(qint64(1));
            break;
        case ValueKind::Double: in << WireValue(1.0); break;
        case ValueKind::Boolean: in << WireValue(false); break;
        case ValueKind::String: in << WireValue(QString()); break;
        case ValueKind::Object: {
            auto rec = std::make_shared<TSonucBilgisi>();
            rec->setCARINO(int(carino));
            rec->setSirano(1);
            rec->setADI(QStringLiteral("BAYI"));
            rec->setMusteriTipi(0);
            rec->setBILGISAYARID(QStringLiteral("DEMO-BAYI"));
            in << WireValue(std::shared_ptr<TransferObject>(rec));
            break;
        }
        default: in << WireValue(); break;
        }
    }
    return in;
}

QByteArray dump(const MethodDef &m, const CallResult &r)
{
    JsonWriter out;
    int nextId = 1;
    int i = 0;
    for (const ParamDef &p : m.parameters()) {
        if (p.out && i < r.outs.size())
            writeWireValue(out, p.kind, r.outs[i++], nextId);
    }
    if (m.result != ValueKind::None)
        writeWireValue(out, m.result, r.result, nextId);
    QByteArray bytes = out.take();
    // Streams travel as base64: look inside them too.
    if (const QByteArray *raw = std::get_if<QByteArray>(&r.result))
        bytes += *raw;
    return bytes;
}

} // namespace

class tst_Access : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void noCrossAccountReadsOrWrites_data();
    void noCrossAccountReadsOrWrites();
    void ownAccountStillWorks();

private:
    std::unique_ptr<TestDatabase> m_db;
    MethodRegistry m_registry;
};

void tst_Access::initTestCase()
{
    setFastPasswordHashing(true);
    QString why;
    // One backend is enough here: what is checked is the methods' scoping,
    // which is the same SQL on both.
    m_db = TestDatabase::create(QStringLiteral("sqlite"), &why);
    QVERIFY2(m_db, qPrintable(why));
    Database &db = m_db->db();
    demo::seedDemo(db, {100, 9, 5});
    addMarkerRows(db, kOwn, kOwnId, QStringLiteral("KENDI"));
    addMarkerRows(db, kOther, kOtherId, kMarker);
    Query(db, QStringLiteral("UPDATE cariler SET cariadi = ?, email = ? WHERE carino = ?"),
          {kMarker + QStringLiteral(" CARI"), kMarker + QStringLiteral("@x"), kOther});
    Query(db, QStringLiteral("UPDATE sepet SET stokadi = ? WHERE carino = ?"), {kMarker, kOther});
    Query(db, QStringLiteral("UPDATE siparis_satirlari SET stokadi = ? WHERE carino = ?"), {kMarker, kOther});
    Database::setInstance(&db);
    registerAuthMethods(m_registry);
    registerBusinessMethods(m_registry, db);
    installSessionGuard(m_registry);
}

void tst_Access::cleanupTestCase()
{
    Database::setInstance(nullptr);
    m_db.reset();
}

void tst_Access::noCrossAccountReadsOrWrites_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<qint64>("carino");
    QTest::addColumn<qint64>("id");
    int scoped = 0;
    for (const MethodDef &m : methodCatalogue()) {
        if (!isScoped(m) || isPublicMethod(m))
            continue;
        ++scoped;
        QTest::addRow("%s other account", m.name) << QString::fromLatin1(m.name) << kOther << kOtherId;
        QTest::addRow("%s missing account", m.name) << QString::fromLatin1(m.name) << kMissing << kMissingId;
        QTest::addRow("%s own account, other's numbers", m.name)
            << QString::fromLatin1(m.name) << kOwn << kOtherId;
    }
    QVERIFY(scoped > 40);
}

void tst_Access::noCrossAccountReadsOrWrites()
{
    QFETCH(QString, method);
    QFETCH(qint64, carino);
    QFETCH(qint64, id);
    const MethodDef *m = findMethod(method);
    QVERIFY(m);
    const MethodBody *body = m_registry.body(m);
    QVERIFY(body);
    const Database &db = m_db->db();
    const QByteArray before = otherAccountDigest(db);
    CallContext call;
    // A fresh session per row: a sign-out method must not blind the rows after it.
    call.session = openSession(db, 1, demo::demoMachineId(QStringLiteral("BAYI")));
    call.peer = QHostAddress(QStringLiteral("127.0.0.1"));
    QByteArray answer;
    try {
        answer = dump(*m, (*body)(call, inputsFor(*m, carino, id)));
    } catch (const std::exception &e) {
        // Refusing is fine; the text must not leak either.
        answer = QByteArray(e.what());
    }
    QVERIFY2(!answer.contains(kMarker.toUtf8()), answer.left(400).constData());
    QCOMPARE(otherAccountDigest(db), before);
}

void tst_Access::ownAccountStillWorks()
{
    // The suite above must not pass merely because nothing answers.
    const Database &db = m_db->db();
    int sawOwn = 0;
    for (const char *name :
         {"SepetVer2", "OncekiSiparisler", "SiparisAyrintisi2", "CariEkstreVer", "BakiyelerVer2"}) {
        const MethodDef *m = findMethod(QString::fromLatin1(name));
        const MethodBody *body = m_registry.body(m);
        QVERIFY(body);
        CallContext call;
        call.session = openSession(db, 1, demo::demoMachineId(QStringLiteral("BAYI")));
        try {
            if (dump(*m, (*body)(call, inputsFor(*m, kOwn, kOwnId))).contains("KENDI"))
                ++sawOwn;
        } catch (const std::exception &e) {
            qWarning("%s: %s", name, e.what());
        }
    }
    QVERIFY(sawOwn >= 3);
}

QTEST_GUILESS_MAIN(tst_Access)
#include "tst_access.moc"

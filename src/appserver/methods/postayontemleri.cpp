#include "authpassword.h"
#include "methodregistry.h"
#include "session.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>

#include <QDateTime>

namespace kolvar::server {

namespace {

// The sixteen fields both forms send, in catalogue order after `idsi`.
struct Form {
    QString idsi, baslik, firmaadi, adres1, adres2, ilce, sehir, telefon, fax, vd, vn, yetkili, kullaniciadi,
        sifre, mail, kargoambar, konu;
};

Form formOku(const QList<WireValue> &in)
{
    Form f;
    QString *alanlar[] = {&f.idsi,         &f.baslik,  &f.firmaadi, &f.adres1,     &f.adres2, &f.ilce,
                          &f.sehir,        &f.telefon, &f.fax,      &f.vd,         &f.vn,     &f.yetkili,
                          &f.kullaniciadi, &f.sifre,   &f.mail,     &f.kargoambar, &f.konu};
    for (int i = 0; i < 17; ++i)
        *alanlar[i] = metinGirdi(in, i);
    return f;
}

// The mail body: the form's fields, never the typed password.
QString govde(const Form &f, const QString &metin)
{
    QStringList satirlar;
    if (!metin.isEmpty())
        satirlar << metin << QString();
    const std::pair<const char *, QString> alanlar[] = {
        {"Bilgisayar ID", f.idsi}, {"Firma Adı", f.firmaadi},
        {"Adres", f.adres1},       {"Adres 2", f.adres2},
        {"İlçe", f.ilce},          {"Şehir", f.sehir},
        {"Telefon", f.telefon},    {"Fax", f.fax},
        {"Vergi Dairesi", f.vd},   {"Vergi No", f.vn},
        {"Yetkili", f.yetkili},    {"Kullanıcı", f.kullaniciadi},
        {"Mail", f.mail},          {"Kargo / Ambar", f.kargoambar}};
    for (const auto &[ad, deger] : alanlar)
        satirlar << QString::fromUtf8(ad) + QStringLiteral(": ") + deger;
    return satirlar.join(QLatin1Char('\n'));
}

// The mail body of the free form arrives as comma text: lines separated by
// commas, a line with blanks or commas in double quotes ("" for a quote).
QString virgulMetni(const QString &metin)
{
    QStringList satirlar;
    QString satir;
    bool tirnak = false;
    for (int i = 0; i < metin.size(); ++i) {
        const QChar c = metin.at(i);
        if (tirnak) {
            if (c == u'"' && i + 1 < metin.size() && metin.at(i + 1) == u'"') {
                satir += u'"';
                ++i;
            } else if (c == u'"') {
                tirnak = false;
            } else {
                satir += c;
            }
        } else if (c == u'"') {
            tirnak = true;
        } else if (c == u',') {
            satirlar << satir;
            satir.clear();
        } else {
            satir += c;
        }
    }
    satirlar << satir;
    return satirlar.join(QLatin1Char('\n'));
}

void postala(const Database &db, const QString &alici, const QString &konu, const QString &govdeMetni,
             qint64 carino)
{
    Query(db,
          QStringLiteral(
              "INSERT INTO mail_kutusu (olusturma, alici, konu, govde, carino) VALUES (?, ?, ?, ?, ?)"),
          {QDateTime::currentSecsSinceEpoch(), alici, konu, govdeMetni,
           carino > 0 ? QVariant(carino) : QVariant()});
}

QString temsilciMaili(const Database &db, qint64 carino)
{
    Query q(
        db,
        QStringLiteral("SELECT COALESCE(st.mail, '') FROM cariler c LEFT JOIN saticilar st ON st.satici_no = "
                       "c.satici_no WHERE c.carino = ?"),
        {carino});
    return q.next() ? q.value(0).toString().trimmed() : QString();
}

} // namespace

void registerPostaYontemleri(MethodRegistry &r, Database &db)
{
    // A request (password change, new account): kept as a request row with
    // the wished password only as a hash, and mailed to the distributor.
    r.set("MailGonserCari", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const Form f = formOku(in);
        const QString hash = f.sifre.isEmpty() ? QString() : hashPassword(f.sifre);
        Transaction tx(db);
        Query(db,
              QStringLiteral(
                  "INSERT INTO hesap_istekleri (olusturma, bilgisayarid, baslik, firmaadi, adres1, adres2, "
                  "ilce, sehir, telefon, fax, vergidairesi, vergino, yetkili, kullaniciadi, sifre_hash, "
                  "mail, kargoambar, carino) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              {QDateTime::currentSecsSinceEpoch(), f.idsi, f.baslik, f.firmaadi, f.adres1, f.adres2, f.ilce,
               f.sehir, f.telefon, f.fax, f.vd, f.vn, f.yetkili, f.kullaniciadi, hash, f.mail, f.kargoambar,
               s.carino > 0 ? QVariant(s.carino) : QVariant()});
        postala(db, ayarOku(db, "mail_istek", ayarOku(db, "mail_from", QStringLiteral("b2b@kolvar.com.tr"))),
                f.baslik, govde(f, QStringLiteral("Yeni istek. Şifre istek kaydında saklıdır.")), s.carino);
        tx.commit();
        return sonuc(qint64(1));
    });
    // Free mail to the account's representative.
    r.set("MailGonserCariNormal", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const Form f = formOku(in);
        if (f.baslik.trimmed().isEmpty() || f.konu.trimmed().isEmpty())
            return sonuc(qint64(0));
        QString alici = temsilciMaili(db, s.carino);
        if (alici.isEmpty())
            alici = ayarOku(db, "mail_from", QStringLiteral("b2b@kolvar.com.tr"));
        postala(db, alici, f.baslik, govde(f, virgulMetni(f.konu)), s.carino);
        return sonuc(qint64(1));
    });
    // A forgotten password: a request row the distributor acts on; the
    // answer says whether the user has a mail address to be reached at.
    r.set("SifremiUnuttum", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const QString idsi = metinGirdi(in, 0);
        Query q(db,
                QStringLiteral(
                    "SELECT u.adi, u.mail, u.carino FROM bilgisayarlar b JOIN kullanicilar u ON u.sirano = "
                    "b.kullanici WHERE b.bilgisayarid = ? AND u.sirano = ?"),
                {idsi, s.user});
        if (!q.next())
            return sonuc(false, {qint64(0)});
        const QString mail = q.value(1).toString().trimmed();
        const QString adi = q.value(0).toString();
        const QVariant carino = q.value(2);
        q.raw().finish();
        Transaction tx(db);
        Query(
            db,
            QStringLiteral(
                "INSERT INTO hesap_istekleri (olusturma, bilgisayarid, baslik, kullaniciadi, mail, carino) "
                "VALUES (?, ?, ?, ?, ?, ?)"),
            {QDateTime::currentSecsSinceEpoch(), idsi, QStringLiteral("Şifremi Unuttum"), adi, mail, carino});
        postala(db, ayarOku(db, "mail_istek", ayarOku(db, "mail_from", QStringLiteral("b2b@kolvar.com.tr"))),
                QStringLiteral("Şifremi Unuttum"),
                QStringLiteral("Kullanıcı: %1\nBilgisayar ID: %2\nMail: %3").arg(adi, idsi, mail), s.carino);
        tx.commit();
        return sonuc(true, {qint64(mail.isEmpty() ? 0 : 1)});
    });
}

} // namespace kolvar::server

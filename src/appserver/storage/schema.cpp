#include "schema.h"

#include "database.h"

#include <QSqlRecord>
#include <QStringList>

#include <functional>

namespace kolvar::server {

namespace {

// Version 1: the whole business schema. Column names follow the field names
// the client reads (lower-case; result tables alias them to upper case).
// Dates are ISO texts ("YYYY-MM-DD"), times "HH:MM:SS", server bookkeeping
// instants are Unix seconds; flags are integers 0/1.
const char *const kSchemaV1[] = {
    // -- settings: program version ('version'), ticker ('kayanyazi'),
    //    exchange rates ('kur_usd', 'kur_eur'), SMTP relay ('smtp_host',
    //    'smtp_port', 'mail_from'), search cap ('arama_limit') ...
    "CREATE TABLE ayarlar (anahtar TEXT PRIMARY KEY, deger TEXT NOT NULL)",

    // -- sales representatives
    "CREATE TABLE saticilar (satici_no {ID}, adi TEXT NOT NULL, mail TEXT NOT NULL DEFAULT '', "
    "telefon TEXT NOT NULL DEFAULT '')",

    // -- customer accounts (cari) with the account's four discount rates
    "CREATE TABLE cariler (carino {ID}, carikod TEXT NOT NULL UNIQUE, cariadi TEXT NOT NULL, "
    "adres1 TEXT NOT NULL DEFAULT '', adres2 TEXT NOT NULL DEFAULT '', ilce TEXT NOT NULL DEFAULT '', "
    "il TEXT NOT NULL DEFAULT '', ulke TEXT NOT NULL DEFAULT 'TÜRKİYE', tel1 TEXT NOT NULL DEFAULT '', "
    "tel2 TEXT NOT NULL DEFAULT '', gsm TEXT NOT NULL DEFAULT '', fax1 TEXT NOT NULL DEFAULT '', "
    "fax2 TEXT NOT NULL DEFAULT '', email TEXT NOT NULL DEFAULT '', vergidairesi TEXT NOT NULL DEFAULT '', "
    "vergino TEXT NOT NULL DEFAULT '', yetkili TEXT NOT NULL DEFAULT '', ozelkod TEXT NOT NULL DEFAULT '', "
    "anagrup TEXT NOT NULL DEFAULT '', altgrup TEXT NOT NULL DEFAULT '', kod1 TEXT NOT NULL DEFAULT '', "
    "kod5 TEXT NOT NULL DEFAULT '', satici_no BIGINT REFERENCES saticilar(satici_no), "
    "ind1 {REAL} NOT NULL DEFAULT 0, ind2 {REAL} NOT NULL DEFAULT 0, ind3 {REAL} NOT NULL DEFAULT 0, "
    "ind4 {REAL} NOT NULL DEFAULT 0, vade_gun INTEGER NOT NULL DEFAULT 30, "
    "ara TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX cariler_satici ON cariler(satici_no)",

    // -- users; passwords only as Argon2id hashes. musteri_tipi 1 and 2 are
    //    representatives (satici_no set, carino optional), 0/3/4 dealers.
    "CREATE TABLE kullanicilar (sirano {ID}, adi TEXT NOT NULL UNIQUE, sifre_hash TEXT NOT NULL, "
    "musteri_tipi INTEGER NOT NULL DEFAULT 0, carino BIGINT REFERENCES cariler(carino), "
    "satici_no BIGINT REFERENCES saticilar(satici_no), aktif INTEGER NOT NULL DEFAULT 1, "
    "mail TEXT NOT NULL DEFAULT '')",

    // -- registered computers
    "CREATE TABLE bilgisayarlar (bilgisayarid TEXT PRIMARY KEY, kullanici BIGINT NOT NULL "
    "REFERENCES kullanicilar(sirano), kayit_zamani BIGINT NOT NULL DEFAULT 0)",

    // -- sessions: SHA-256 of the token, never the token itself
    "CREATE TABLE oturumlar (token_hash TEXT PRIMARY KEY, kullanici BIGINT NOT NULL "
    "REFERENCES kullanicilar(sirano), bilgisayarid TEXT NOT NULL DEFAULT '', "
    "olusturma BIGINT NOT NULL, son_kullanma BIGINT NOT NULL)",
    "CREATE INDEX oturumlar_son ON oturumlar(son_kullanma)",

    // -- sign-in failure counters per machine id ('m') and source address ('a')
    "CREATE TABLE giris_denemeleri (kapsam TEXT NOT NULL, anahtar TEXT NOT NULL, "
    "hata_sayisi INTEGER NOT NULL DEFAULT 0, pencere_basi BIGINT NOT NULL DEFAULT 0, "
    "kilit_bitis BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (kapsam, anahtar))",

    // -- catalogue. ara: normalised search text (codes without punctuation,
    //    names, brand, model; Turkish letters folded, upper case).
    "CREATE TABLE stoklar (stokno {ID}, barkod TEXT NOT NULL, barkodno BIGINT NOT NULL DEFAULT 0, "
    "adi TEXT NOT NULL, digeradi TEXT NOT NULL DEFAULT '', oem1 TEXT NOT NULL DEFAULT '', "
    "oem2 TEXT NOT NULL DEFAULT '', oem3 TEXT NOT NULL DEFAULT '', oem4 TEXT NOT NULL DEFAULT '', "
    "oemno TEXT NOT NULL DEFAULT '', ureticikodu TEXT NOT NULL DEFAULT '', "
    "finishkod TEXT NOT NULL DEFAULT '', dpkod TEXT NOT NULL DEFAULT '', pkod TEXT NOT NULL DEFAULT '', "
    "ozelkod TEXT NOT NULL DEFAULT '', birim TEXT NOT NULL DEFAULT 'ADET', marka TEXT NOT NULL DEFAULT '', "
    "model TEXT NOT NULL DEFAULT '', anagrup TEXT NOT NULL DEFAULT '', altgrup TEXT NOT NULL DEFAULT '', "
    "departman TEXT NOT NULL DEFAULT '', durum INTEGER NOT NULL DEFAULT 0, "
    "listefiyat {REAL} NOT NULL DEFAULT 0, kampfiyat {REAL} NOT NULL DEFAULT 0, "
    "kampanya INTEGER NOT NULL DEFAULT 0, yeni INTEGER NOT NULL DEFAULT 0, kdv {REAL} NOT NULL DEFAULT 20, "
    "kalan {REAL} NOT NULL DEFAULT 0, alinansiparis {REAL} NOT NULL DEFAULT 0, "
    "verilensiparis {REAL} NOT NULL DEFAULT 0, kur TEXT NOT NULL DEFAULT 'TL', "
    "eklenme TEXT NOT NULL DEFAULT '', ara TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX stoklar_yeni ON stoklar(yeni)",
    "CREATE INDEX stoklar_kampanya ON stoklar(kampanya)",
    // normalised codes (barkod, oem1..4, oemno, ureticikodu) for exact and
    // prefix lookups; kod is normalised like stoklar.ara
    "CREATE TABLE stok_kodlari (kod TEXT NOT NULL, stokno BIGINT NOT NULL REFERENCES stoklar(stokno) "
    "ON DELETE CASCADE, PRIMARY KEY (kod, stokno))",
    "CREATE INDEX stok_kodlari_stok ON stok_kodlari(stokno)",
    "CREATE TABLE stok_resimleri (stokno BIGINT PRIMARY KEY REFERENCES stoklar(stokno) ON DELETE CASCADE, "
    "resim {BLOB} NOT NULL)",

    // -- delivery kinds, cargo kinds, carriers (kargolar.cins = kargo_cinsleri.id)
    "CREATE TABLE teslim_cinsleri (id INTEGER PRIMARY KEY, adi TEXT NOT NULL)",
    "CREATE TABLE kargo_cinsleri (id INTEGER PRIMARY KEY, adi TEXT NOT NULL)",
    "CREATE TABLE kargolar (id INTEGER PRIMARY KEY, adi TEXT NOT NULL, cins INTEGER NOT NULL DEFAULT 0)",

    // -- basket lines; sec = selection flag
    "CREATE TABLE sepet (sirano {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "stokno BIGINT NOT NULL REFERENCES stoklar(stokno), barkod TEXT NOT NULL DEFAULT '', "
    "stokadi TEXT NOT NULL DEFAULT '', miktar {REAL} NOT NULL, birimfiyat {REAL} NOT NULL DEFAULT 0, "
    "kdv {REAL} NOT NULL DEFAULT 0, indirimorani1 {REAL} NOT NULL DEFAULT 0, "
    "indirimorani2 {REAL} NOT NULL DEFAULT 0, indirimorani3 {REAL} NOT NULL DEFAULT 0, "
    "indirimorani4 {REAL} NOT NULL DEFAULT 0, kampanya INTEGER NOT NULL DEFAULT 0, "
    "sec INTEGER NOT NULL DEFAULT 1, verenid BIGINT NOT NULL DEFAULT 0, tarih TEXT NOT NULL, "
    "saat TEXT NOT NULL DEFAULT '', aciklama TEXT NOT NULL DEFAULT '', kur TEXT NOT NULL DEFAULT 'TL', "
    "kurtl {REAL} NOT NULL DEFAULT 1)",
    "CREATE INDEX sepet_cari ON sepet(carino)",

    // -- orders. durum: 0 Alındı, 1 Görüldü, 2 Onaylandı, 3 Parçalı Hazırlandı,
    //    4 Hazırlandı, 5 Sevk Edildi. idem_anahtar: the submitting call's key
    //    (an order is never written twice for one call).
    "CREATE TABLE siparisler (idno {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "verenid BIGINT NOT NULL DEFAULT 0, tarih TEXT NOT NULL, saat TEXT NOT NULL DEFAULT '', "
    "durum INTEGER NOT NULL DEFAULT 0, teslimid INTEGER NOT NULL DEFAULT 0, "
    "kargoid INTEGER NOT NULL DEFAULT 0, kargoyeni INTEGER NOT NULL DEFAULT 0, "
    "aciklama TEXT NOT NULL DEFAULT '', kolvar_mesaj TEXT NOT NULL DEFAULT '', "
    "satici_notu TEXT NOT NULL DEFAULT '', verilistarihi TEXT NOT NULL DEFAULT '', "
    "idem_anahtar TEXT UNIQUE)",
    "CREATE INDEX siparisler_cari ON siparisler(carino, durum)",
    // sepet_sirano: the basket line the order line came from (unique: a
    // basket line ends in at most one order)
    "CREATE TABLE siparis_satirlari (sirano {ID}, idno BIGINT NOT NULL REFERENCES siparisler(idno) "
    "ON DELETE CASCADE, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "stokno BIGINT NOT NULL REFERENCES stoklar(stokno), barkod TEXT NOT NULL DEFAULT '', "
    "stokadi TEXT NOT NULL DEFAULT '', miktar {REAL} NOT NULL, teslimedilen {REAL} NOT NULL DEFAULT 0, "
    "birimfiyat {REAL} NOT NULL DEFAULT 0, kdv {REAL} NOT NULL DEFAULT 0, "
    "indirimorani1 {REAL} NOT NULL DEFAULT 0, indirimorani2 {REAL} NOT NULL DEFAULT 0, "
    "indirimorani3 {REAL} NOT NULL DEFAULT 0, indirimorani4 {REAL} NOT NULL DEFAULT 0, "
    "kampanya INTEGER NOT NULL DEFAULT 0, verenid BIGINT NOT NULL DEFAULT 0, "
    "aciklama TEXT NOT NULL DEFAULT '', sepet_sirano BIGINT UNIQUE, kur TEXT NOT NULL DEFAULT 'TL', "
    "kurtl {REAL} NOT NULL DEFAULT 1)",
    "CREATE INDEX siparis_satirlari_sip ON siparis_satirlari(idno)",
    "CREATE INDEX siparis_satirlari_cari ON siparis_satirlari(carino, stokno)",

    // -- invoices with lines and totals
    "CREATE TABLE faturalar (idno {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "evrakno TEXT NOT NULL, tarih TEXT NOT NULL, vade TEXT NOT NULL DEFAULT '', "
    "irsaliyeevrakno TEXT NOT NULL DEFAULT '', siparis_idno BIGINT, aciklama TEXT NOT NULL DEFAULT '', "
    "matrah {REAL} NOT NULL DEFAULT 0, toplamindirim {REAL} NOT NULL DEFAULT 0, "
    "kdvtutar {REAL} NOT NULL DEFAULT 0, toplam {REAL} NOT NULL DEFAULT 0, "
    "saticiadi TEXT NOT NULL DEFAULT '', kur TEXT NOT NULL DEFAULT 'TL')",
    "CREATE INDEX faturalar_cari ON faturalar(carino)",
    "CREATE TABLE fatura_satirlari (sirano {ID}, fatura BIGINT NOT NULL REFERENCES faturalar(idno) "
    "ON DELETE CASCADE, stokno BIGINT REFERENCES stoklar(stokno), barkod TEXT NOT NULL DEFAULT '', "
    "stokadi TEXT NOT NULL DEFAULT '', marka TEXT NOT NULL DEFAULT '', model TEXT NOT NULL DEFAULT '', "
    "oemno TEXT NOT NULL DEFAULT '', birim TEXT NOT NULL DEFAULT 'ADET', miktar {REAL} NOT NULL, "
    "birimfiyat {REAL} NOT NULL DEFAULT 0, indirim1 {REAL} NOT NULL DEFAULT 0, "
    "indirim2 {REAL} NOT NULL DEFAULT 0, indirim3 {REAL} NOT NULL DEFAULT 0, "
    "kdv {REAL} NOT NULL DEFAULT 0, tutar {REAL} NOT NULL DEFAULT 0, "
    "toplamindirim {REAL} NOT NULL DEFAULT 0, nettutar {REAL} NOT NULL DEFAULT 0, "
    "kdvtutar {REAL} NOT NULL DEFAULT 0, aciklama TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX fatura_satirlari_fat ON fatura_satirlari(fatura)",

    // -- collections (tur: 'NAKIT', 'CEK', 'SENET', 'KREDI KARTI', 'HAVALE')
    "CREATE TABLE tahsilatlar (idno {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "evrakno TEXT NOT NULL, tarih TEXT NOT NULL, vade TEXT NOT NULL DEFAULT '', tur TEXT NOT NULL, "
    "tutar {REAL} NOT NULL, aciklama TEXT NOT NULL DEFAULT '', saticiadi TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX tahsilatlar_cari ON tahsilatlar(carino)",

    // -- virtual-POS payments; sirano is the receipt's sequence number,
    //    tahsilat the collection it produced
    "CREATE TABLE sanalpos_odemeleri (sirano {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "tahsilat BIGINT REFERENCES tahsilatlar(idno), tarih TEXT NOT NULL, saat TEXT NOT NULL DEFAULT '', "
    "tutar {REAL} NOT NULL, kart_sahibi TEXT NOT NULL DEFAULT '', kart_no TEXT NOT NULL DEFAULT '', "
    "taksit INTEGER NOT NULL DEFAULT 1, onay_kodu TEXT NOT NULL DEFAULT '', "
    "banka TEXT NOT NULL DEFAULT '', aciklama TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX sanalpos_cari ON sanalpos_odemeleri(carino)",

    // -- statement movements. evrak: 'FATURA', 'TAHSILAT', 'SANALPOS',
    //    'DEVIR', 'IADE'; belge: faturalar.idno / tahsilatlar.idno
    "CREATE TABLE ekstre (idno {ID}, carino BIGINT NOT NULL REFERENCES cariler(carino), "
    "tarih TEXT NOT NULL, vade TEXT NOT NULL DEFAULT '', evrak TEXT NOT NULL, evrakno TEXT NOT NULL DEFAULT "
    "'', "
    "turadi TEXT NOT NULL DEFAULT '', aciklama TEXT NOT NULL DEFAULT '', borc {REAL} NOT NULL DEFAULT 0, "
    "alacak {REAL} NOT NULL DEFAULT 0, belge BIGINT, kur TEXT NOT NULL DEFAULT 'TL')",
    "CREATE INDEX ekstre_cari ON ekstre(carino, tarih)",

    // -- notices
    "CREATE TABLE duyurular (sirano {ID}, baslik TEXT NOT NULL, duyuru TEXT NOT NULL DEFAULT '', "
    "arama TEXT NOT NULL DEFAULT '', resim {BLOB}, tarih TEXT NOT NULL DEFAULT '', "
    "aktif INTEGER NOT NULL DEFAULT 1)",
    "CREATE TABLE acilis_reklamlari (sirano {ID}, sira INTEGER NOT NULL DEFAULT 0, baslik TEXT NOT NULL, "
    "arama TEXT NOT NULL DEFAULT '', resim {BLOB}, aktif INTEGER NOT NULL DEFAULT 1)",
    // no 1..3: BannerResimVer (GIF), BannerResimVer2 (GIF), BannerResimVer3 (BMP)
    "CREATE TABLE bannerlar (no INTEGER PRIMARY KEY, tur TEXT NOT NULL, resim {BLOB} NOT NULL)",
    // downloadable documents (DosyaListesi / BelgeIndir)
    "CREATE TABLE belgeler (sirano {ID}, adi TEXT NOT NULL, tarih TEXT NOT NULL DEFAULT '', "
    "carino BIGINT REFERENCES cariler(carino), icerik {BLOB} NOT NULL)",

    // -- mail outbox (SMTP delivery when a relay is configured)
    "CREATE TABLE mail_kutusu (sirano {ID}, olusturma BIGINT NOT NULL, alici TEXT NOT NULL, "
    "konu TEXT NOT NULL, govde TEXT NOT NULL, carino BIGINT, gonderildi INTEGER NOT NULL DEFAULT 0, "
    "gonderim BIGINT NOT NULL DEFAULT 0, deneme INTEGER NOT NULL DEFAULT 0, hata TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX mail_kutusu_bekleyen ON mail_kutusu(gonderildi)",
    // -- account / password-change requests; the wished password only as a hash
    "CREATE TABLE hesap_istekleri (sirano {ID}, olusturma BIGINT NOT NULL, bilgisayarid TEXT NOT NULL "
    "DEFAULT '', "
    "baslik TEXT NOT NULL DEFAULT '', konu TEXT NOT NULL DEFAULT '', firmaadi TEXT NOT NULL DEFAULT '', "
    "adres1 TEXT NOT NULL DEFAULT '', adres2 TEXT NOT NULL DEFAULT '', ilce TEXT NOT NULL DEFAULT '', "
    "sehir TEXT NOT NULL DEFAULT '', telefon TEXT NOT NULL DEFAULT '', fax TEXT NOT NULL DEFAULT '', "
    "vergidairesi TEXT NOT NULL DEFAULT '', vergino TEXT NOT NULL DEFAULT '', yetkili TEXT NOT NULL DEFAULT "
    "'', "
    "kullaniciadi TEXT NOT NULL DEFAULT '', sifre_hash TEXT NOT NULL DEFAULT '', mail TEXT NOT NULL DEFAULT "
    "'', "
    "kargoambar TEXT NOT NULL DEFAULT '', carino BIGINT, durum INTEGER NOT NULL DEFAULT 0)",

    // -- results of calls that must not run twice (key chosen by the body)
    "CREATE TABLE islem_anahtarlari (anahtar TEXT PRIMARY KEY, olusturma BIGINT NOT NULL, "
    "sonuc TEXT NOT NULL DEFAULT '')",
};

struct Step {
    int version;
    std::function<void(const Database &)> apply;
};

void applyStatements(const Database &db, const char *const *begin, const char *const *end)
{
    for (auto it = begin; it != end; ++it)
        execSql(db, db.dialect().ddl(QString::fromUtf8(*it)));
}

const QList<Step> &steps()
{
    static const QList<Step> list{
        {1,
         [](const Database &db) {
             applyStatements(db, std::begin(kSchemaV1), std::end(kSchemaV1));
             for (const QString &sql : db.dialect().searchIndexDdl())
                 execSql(db, sql);
             Query(db, QStringLiteral("INSERT INTO ayarlar (anahtar, deger) VALUES ('version', '7')")).exec();
         }},
        // Version 2: an order line's first price (kept when a representative
        // changes the price) and a carrier's notice text.
        {2,
         [](const Database &db) {
             execSql(db, db.dialect().ddl(QStringLiteral(
                             "ALTER TABLE siparis_satirlari ADD COLUMN ilkfiyat {REAL} NOT NULL DEFAULT 0")));
             execSql(db, QStringLiteral("UPDATE siparis_satirlari SET ilkfiyat = birimfiyat"));
             execSql(db, QStringLiteral("ALTER TABLE kargolar ADD COLUMN uyari TEXT NOT NULL DEFAULT ''"));
         }},
    };
    return list;
}

void ensureVersionTable(const Database &db)
{
    if (db.dialect().isPostgres() && !db.url().schema.isEmpty())
        execSql(db, QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(db.url().schema));
    execSql(db, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
}

} // namespace

int latestSchemaVersion()
{
    return steps().constLast().version;
}

int currentSchemaVersion(const Database &db)
{
    ensureVersionTable(db);
    Query q(db, QStringLiteral("SELECT MAX(version) FROM schema_version"));
    q.exec();
    return q.scalar(0).toInt();
}

bool migrateSchema(const Database &db)
{
    ensureVersionTable(db);
    bool changed = false;
    for (const Step &step : steps()) {
        Transaction tx(db);
        // Read inside the write transaction: a second process migrating at
        // the same time waits here and then sees the step as done.
        if (db.dialect().isPostgres())
            execSql(db, QStringLiteral("LOCK TABLE schema_version IN EXCLUSIVE MODE"));
        Query q(db, QStringLiteral("SELECT COALESCE(MAX(version), 0) FROM schema_version"));
        q.exec();
        const int current = q.scalar(0).toInt();
        if (current > latestSchemaVersion())
            throw StorageError(QStringLiteral("database schema %1 is newer than this server (%2)")
                                   .arg(current)
                                   .arg(latestSchemaVersion()));
        if (current >= step.version)
            continue;
        step.apply(db);
        Query(db, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"), {step.version});
        tx.commit();
        changed = true;
    }
    return changed;
}

} // namespace kolvar::server

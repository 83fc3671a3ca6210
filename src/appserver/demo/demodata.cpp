#include "demodata.h"

#include "demopictures.h"

#include <methods/aramametni.h>
#include <methods/authpassword.h>
#include <methods/fiyat.h>
#include <storage/batchinsert.h>
#include <storage/database.h>

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>

#include <cmath>

namespace kolvar::server::demo {

namespace {

struct Group {
    const char *anagrup;
    const char *altgrup;
    const char *parts[6];
    const char *english[6];
    int shape; // picture shape family
};

const Group kGroups[] = {
    {"FREN SİSTEMİ",
     "BALATA-DİSK",
     {"ÖN FREN BALATASI", "ARKA FREN BALATASI", "ÖN FREN DİSKİ", "ARKA FREN KAMPANASI", "FREN MERKEZİ",
      "ABS SENSÖRÜ"},
     {"BRAKE PAD SET FRONT", "BRAKE PAD SET REAR", "BRAKE DISC FRONT", "BRAKE DRUM REAR", "MASTER CYLINDER",
      "ABS SENSOR"},
     2},
    {"FİLTRE",
     "BAKIM",
     {"YAĞ FİLTRESİ", "HAVA FİLTRESİ", "POLEN FİLTRESİ", "YAKIT FİLTRESİ", "MAZOT FİLTRESİ",
      "ŞANZIMAN FİLTRESİ"},
     {"OIL FILTER", "AIR FILTER", "CABIN FILTER", "FUEL FILTER", "DIESEL FILTER", "GEARBOX FILTER"},
     1},
    {"MOTOR",
     "TRİGER",
     {"TRİGER SETİ", "DEVİRDAİM POMPASI", "V KAYIŞI", "SİLİNDİR KAPAK CONTASI", "PİSTON SEGMAN TAKIMI",
      "EGZOZ MANİFOLD CONTASI"},
     {"TIMING BELT KIT", "WATER PUMP", "V-RIBBED BELT", "CYLINDER HEAD GASKET", "PISTON RING SET",
      "EXHAUST MANIFOLD GASKET"},
     0},
    {"SÜSPANSİYON",
     "ÖN TAKIM",
     {"ÖN AMORTİSÖR", "ARKA AMORTİSÖR", "ROTİL", "SALINCAK", "ROT BAŞI", "Z ROT"},
     {"SHOCK ABSORBER FRONT", "SHOCK ABSORBER REAR", "BALL JOINT", "CONTROL ARM", "TIE ROD END",
      "STABILISER LINK"},
     1},
    {"ELEKTRİK",
     "ATEŞLEME",
     {"BUJİ", "ATEŞLEME BOBİNİ", "MARŞ MOTORU", "ALTERNATÖR", "AKÜ 60 AH", "OKSİJEN SENSÖRÜ"},
     {"SPARK PLUG", "IGNITION COIL", "STARTER", "ALTERNATOR", "BATTERY 60AH", "LAMBDA SENSOR"},
     0},
    {"ŞANZIMAN",
     "DEBRİYAJ",
     {"DEBRİYAJ SETİ", "DEBRİYAJ RULMANI", "VOLANT", "ŞANZIMAN TAKOZU", "AKS KÖRÜĞÜ", "AKS BAŞI"},
     {"CLUTCH KIT", "RELEASE BEARING", "FLYWHEEL", "GEARBOX MOUNT", "CV BOOT", "CV JOINT"},
     0},
    {"SOĞUTMA",
     "RADYATÖR",
     {"MOTOR SU RADYATÖRÜ", "TERMOSTAT", "RADYATÖR HORTUMU", "FAN MOTORU", "KALORİFER RADYATÖRÜ",
      "GENLEŞME KABI"},
     {"RADIATOR", "THERMOSTAT", "RADIATOR HOSE", "FAN MOTOR", "HEATER CORE", "EXPANSION TANK"},
     1},
    {"KAPORTA",
     "AYDINLATMA",
     {"SOL FAR", "SAĞ FAR", "STOP LAMBASI", "YAN AYNA", "SİS FARI", "ÖN TAMPON"},
     {"HEADLAMP LEFT", "HEADLAMP RIGHT", "TAIL LAMP", "WING MIRROR", "FOG LAMP", "FRONT BUMPER"},
     2},
};

struct Brand {
    const char *name;
    const char *prefix;
    const char *codePattern; // '#' digit, 'A' letter
};

const Brand kBrands[] = {
    {"BOSCH", "BSC", "0 986 4## ###"},
    {"VALEO", "VAL", "## ## ##"},
    {"MANN-FILTER", "MNN", "W ###/##"},
    {"SACHS", "SCH", "### ### ###"},
    {"TRW", "TRW", "GDB####"},
    {"FEBI BILSTEIN", "FEB", "#####"},
    {"LEMFÖRDER", "LMF", "## ### ##"},
    {"MAHLE", "MHL", "OX ### D"},
    {"NGK", "NGK", "BKR#E-##"},
    {"GATES", "GTS", "K0#####"},
    {"SKF", "SKF", "VKMA #####"},
    {"CONTINENTAL", "CNT", "CT####K#"},
    {"MAGNETI MARELLI", "MMR", "###########"},
    {"DELPHI", "DLP", "LP####"},
    {"CORTECO", "CRT", "########B"},
};

struct Vehicle {
    const char *make;
    const char *model;
    const char *oemPattern;
};

const Vehicle kVehicles[] = {
    {"FIAT", "DOBLO 1.3 MJT", "########"},
    {"FIAT", "LINEA 1.4", "5#######"},
    {"RENAULT", "CLIO IV 1.5 DCI", "## ## ### ##R"},
    {"RENAULT", "MEGANE III 1.5 DCI", "## ### ### ##R"},
    {"FORD", "FOCUS III 1.6 TDCI", "# ### ###"},
    {"FORD", "TRANSIT CONNECT 1.8", "#T##-####-AA"},
    {"VOLKSWAGEN", "PASSAT B7 1.6 TDI", "#K0 ### ### A"},
    {"VOLKSWAGEN", "GOLF VII 1.4 TSI", "5Q0 ### ###"},
    {"TOYOTA", "COROLLA 1.6", "#####-#####"},
    {"HYUNDAI", "I20 1.4", "#####-#A###"},
    {"OPEL", "ASTRA J 1.6", "## ### ###"},
    {"DACIA", "DUSTER 1.5 DCI", "## ## ### ##R"},
    {"PEUGEOT", "301 1.6 HDI", "#### ##"},
    {"CITROEN", "C-ELYSEE 1.6 HDI", "#### ##"},
};

const char *const kCities[][2] = {
    {"İSTANBUL", "BAYRAMPAŞA"}, {"ANKARA", "YENİMAHALLE"}, {"SAMSUN", "İLKADIM"},
    {"İZMİR", "BORNOVA"},       {"BURSA", "OSMANGAZİ"},    {"KONYA", "SELÇUKLU"},
    {"ADANA", "SEYHAN"},        {"KAYSERİ", "MELİKGAZİ"},  {"ANTALYA", "KEPEZ"},
    {"TRABZON", "ORTAHİSAR"},   {"ESKİŞEHİR", "TEPEBAŞI"}, {"GAZİANTEP", "ŞEHİTKAMİL"},
};

struct Dealer {
    const char *user;
    int type;
    const char *name;
    int satici;
    double ind[4];
};

// The first three are the named demo dealers; TEMSILCI (representative 1)
// serves BAYI among others.
const Dealer kDealers[] = {
    {"BAYI", 0, "ÖZTÜRK OTO YEDEK PARÇA LTD. ŞTİ.", 1, {10, 5, 0, 0}},
    {"BAYI3", 3, "DEMİRCİ OTOMOTİV SAN. VE TİC. A.Ş.", 2, {15, 0, 0, 0}},
    {"BAYI4", 4, "KARADENİZ OTO PARÇA", 2, {5, 5, 2, 0}},
    {"BAYI5", 0, "ŞAHİN OTO SANAYİ", 1, {12, 0, 0, 0}},
    {"BAYI6", 0, "GÜNEŞ OTOMOTİV", 1, {8, 3, 0, 0}},
    {"BAYI7", 3, "ÇELİK YEDEK PARÇA", 1, {10, 0, 0, 0}},
    {"BAYI8", 4, "AKDENİZ OTO MARKET", 2, {7, 2, 0, 0}},
    {"BAYI9", 0, "YILDIZ OTOMOTİV LTD.", 2, {10, 5, 2, 0}},
    {"BAYI10", 0, "EGE OTO YEDEK", 3, {6, 0, 0, 0}},
    {"BAYI11", 3, "ANADOLU PARÇA DÜNYASI", 3, {9, 4, 0, 0}},
    {"BAYI12", 0, "ÖZGÜR OTO ELEKTRİK", 3, {4, 0, 0, 0}},
    {"BAYI13", 4, "MARMARA OTOMOTİV", 1, {11, 2, 1, 0}},
};

struct Rep {
    const char *user; // empty: a representative without a demo user
    int type;
    const char *name;
    const char *mail;
    const char *phone;
};

const Rep kReps[] = {
    {"TEMSILCI", 1, "AHMET YILMAZ", "ahmet.yilmaz@kolvar.com.tr", "0532 111 22 33"},
    {"TEMSILCI2", 2, "MEHMET KAYA", "mehmet.kaya@kolvar.com.tr", "0533 444 55 66"},
    {"", 1, "AYŞE DEMİR", "ayse.demir@kolvar.com.tr", "0535 777 88 99"},
};

class Rng
{
public:
    explicit Rng(quint32 seed) : m_gen(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(m_gen.bounded(quint32(n))); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double real() { return m_gen.generateDouble(); }
    bool chance(double p) { return real() < p; }
    QString pattern(const char *p)
    {
        QString out;
        for (const char *c = p; *c; ++c) {
            if (*c == '#')
                out += QChar(u'0' + below(10));
            else if (*c == 'A')
                out += QChar(u'A' + below(26));
            else
                out += QLatin1Char(*c);
        }
        return out;
    }

private:
    QRandomGenerator m_gen;
};

struct StockInfo {
    qint64 stokno;
    QString barkod;
    QString adi;
    QString marka;
    QString model;
    QString oemno;
    QString birim;
    double fiyat; // what a line carries: campaign price when on campaign
    bool campaign;
    double kdv;
};

QString iso(QDate d)
{
    return d.toString(Qt::ISODate);
}

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// Columns are NOT NULL with '' defaults; a null QString would bind as NULL.
QVariantList notNull(QVariantList values)
{
    for (QVariant &v : values) {
        if (v.typeId() == QMetaType::QString && v.toString().isNull())
            v = QStringLiteral("");
    }
    return values;
}

qint64 insertReturning(const Database &db, const QString &sql, const QVariantList &rawValues, const char *key)
{
    const QVariantList values = notNull(rawValues);
    Query q(db, sql + QStringLiteral(" RETURNING ") + QLatin1String(key));
    for (const QVariant &v : values)
        q.bind(v);
    q.exec();
    const QVariant key_ = q.scalar();
    if (!key_.isValid())
        throw StorageError(QStringLiteral("no key returned: ") + sql);
    return key_.toLongLong();
}

QStringList placeholders(int n)
{
    QStringList p;
    for (int i = 0; i < n; ++i)
        p << QStringLiteral("?");
    return p;
}

qint64 insertRow(const Database &db, const QString &table, const QStringList &columns,
                 const QVariantList &values, const char *key)
{
    return insertReturning(db,
                           QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, columns.join(u','), placeholders(int(columns.size())).join(u',')),
                           values, key);
}

void execRow(const Database &db, const QString &table, const QStringList &columns,
             const QVariantList &rawValues)
{
    const QVariantList values = notNull(rawValues);
    Query q(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, columns.join(u','), placeholders(int(columns.size())).join(u',')));
    for (const QVariant &v : values)
        q.bind(v);
    q.exec();
}

// ---------------------------------------------------------------- catalogue

QList<StockInfo> seedCatalogue(const Database &db, const DemoOptions &options, Rng &rng, int *pictures)
{
    static const QStringList columns = {QStringLiteral("stokno"),        QStringLiteral("barkod"),
                                        QStringLiteral("barkodno"),      QStringLiteral("adi"),
                                        QStringLiteral("digeradi"),      QStringLiteral("oem1"),
                                        QStringLiteral("oem2"),          QStringLiteral("oem3"),
                                        QStringLiteral("oem4"),          QStringLiteral("oemno"),
                                        QStringLiteral("ureticikodu"),   QStringLiteral("finishkod"),
                                        QStringLiteral("dpkod"),         QStringLiteral("pkod"),
                                        QStringLiteral("ozelkod"),       QStringLiteral("birim"),
                                        QStringLiteral("marka"),         QStringLiteral("model"),
                                        QStringLiteral("anagrup"),       QStringLiteral("altgrup"),
                                        QStringLiteral("departman"),     QStringLiteral("durum"),
                                        QStringLiteral("listefiyat"),    QStringLiteral("kampfiyat"),
                                        QStringLiteral("kampanya"),      QStringLiteral("yeni"),
                                        QStringLiteral("kdv"),           QStringLiteral("kalan"),
                                        QStringLiteral("alinansiparis"), QStringLiteral("verilensiparis"),
                                        QStringLiteral("eklenme"),       QStringLiteral("ara")};
    const QDate today = QDate::currentDate();
    QList<QByteArray> jpegs;
    QList<StockInfo> sample; // the first stocks, used for baskets and orders
    constexpr int kSample = 400;
    constexpr int kChunk = 20000;
    *pictures = 0;

    for (int start = 1; start <= options.stocks; start += kChunk) {
        const int end = qMin(options.stocks, start + kChunk - 1);
        Transaction tx(db);
        BatchInsert stocks(db, QStringLiteral("stoklar"), columns, 40);
        QList<QVariantList> codeRows;
        QList<QVariantList> picRows;
        BatchInsert codes(db, QStringLiteral("stok_kodlari"),
                          {QStringLiteral("kod"), QStringLiteral("stokno")}, 200);
        BatchInsert pics(db, QStringLiteral("stok_resimleri"),
                         {QStringLiteral("stokno"), QStringLiteral("resim")}, 20);
        for (int i = start; i <= end; ++i) {
            const int g = rng.below(int(std::size(kGroups)));
            const Group &group = kGroups[g];
            const int p = rng.below(6);
            const Brand &brand = kBrands[rng.below(int(std::size(kBrands)))];
            const Vehicle &vehicle = kVehicles[rng.below(int(std::size(kVehicles)))];
            const QString marka = u8(brand.name);
            const QString model = u8(vehicle.make) + u' ' + u8(vehicle.model);
            const QString adi = u8(group.parts[p]) + u' ' + model;
            const QString digeradi = u8(group.english[p]);
            const QString barkod = QStringLiteral("%1-%2").arg(QLatin1String(brand.prefix)).arg(10000 + i);
            QString oem1 = rng.pattern(vehicle.oemPattern);
            const QString oem2 = rng.chance(0.4) ? rng.pattern(vehicle.oemPattern) : QString();
            const QString oem3 = rng.chance(0.15) ? rng.pattern(vehicle.oemPattern) : QString();
            const QString oem4 = rng.chance(0.05) ? rng.pattern(vehicle.oemPattern) : QString();
            QString uretici = rng.pattern(brand.codePattern);
            if (i == 1) {
                // A known stock for trying the search by hand.
                uretici = QStringLiteral("12345AB");
                oem1 = QStringLiteral("12-345 AB");
            }
            const QString finish = QStringLiteral("FN%1").arg(rng.between(100000, 999999));
            const int durumRoll = rng.below(100);
            const int durum = durumRoll < 40   ? 0
                              : durumRoll < 60 ? 1
                              : durumRoll < 75 ? 2
                              : durumRoll < 85 ? 3
                              : durumRoll < 95 ? 4
                                               : 5;
            const double list = ParaYuvarla(std::exp(3.0 + rng.real() * 5.5));
            const bool campaign = rng.chance(0.08);
            const double camp = campaign ? ParaYuvarla(list * (0.70 + 0.2 * rng.real())) : 0.0;
            const bool isNew = rng.chance(0.06);
            const int kdvRoll = rng.below(100);
            const double kdv = kdvRoll < 90 ? 20 : kdvRoll < 98 ? 10 : 1;
            const QDate added = isNew ? today.addDays(-rng.below(30)) : today.addDays(-60 - rng.below(1500));
            const QString birim = p == 0 && g == 2 ? QStringLiteral("TAKIM") : QStringLiteral("ADET");
            const QStringList codeList{barkod, oem1, oem2, oem3, oem4, uretici, finish};
            const QString ara = StokAramaAnahtari(codeList, {adi, digeradi, marka, model, u8(group.anagrup)});

            stocks.add(notNull({i,
                                barkod,
                                qint64(8690000000000LL + i),
                                adi,
                                digeradi,
                                oem1,
                                oem2,
                                oem3,
                                oem4,
                                oem1,
                                uretici,
                                finish,
                                QStringLiteral("D%1").arg(g + 1),
                                QStringLiteral("P%1").arg(p + 1),
                                QString(QChar(u'A' + rng.below(3))),
                                birim,
                                marka,
                                model,
                                u8(group.anagrup),
                                u8(group.altgrup),
                                QStringLiteral("YEDEK PARÇA"),
                                durum,
                                list,
                                camp,
                                campaign ? 1 : 0,
                                isNew ? 1 : 0,
                                kdv,
                                double(rng.below(500)),
                                double(rng.below(40)),
                                double(rng.below(25)),
                                iso(added),
                                ara}));
            QStringList seen;
            for (const QString &code : codeList) {
                const QString key = KodSikistir(code);
                if (key.isEmpty() || seen.contains(key))
                    continue;
                seen << key;
                codeRows.append({key, i});
            }
            if (i % 3 == 1 && *pictures < options.maxPictures) {
                const int variant = (group.shape * 30 + (i % 30)) % 90;
                if (jpegs.isEmpty()) {
                    for (int v = 0; v < 90; ++v)
                        jpegs << partJpeg(v);
                }
                picRows.append({i, jpegs[variant]});
                ++*pictures;
            }
            if (sample.size() < kSample)
                sample.append(
                    {i, barkod, adi, marka, model, oem1, birim, campaign ? camp : list, campaign, kdv});
        }
        // Codes and pictures refer to the stocks: write those first.
        stocks.flush();
        for (const QVariantList &row : std::as_const(codeRows))
            codes.add(row);
        for (const QVariantList &row : std::as_const(picRows))
            pics.add(row);
        codes.flush();
        pics.flush();
        tx.commit();
    }
    const QString sync = db.dialect().syncIdentity(QStringLiteral("stoklar"), QStringLiteral("stokno"));
    if (!sync.isEmpty())
        Query(db, sync).exec();
    return sample;
}

// --------------------------------------------------------------- accounts

struct Account {
    qint64 carino;
    QString cariadi;
    Indirimler ind;
    int vade;
    qint64 satici;
};

QList<Account> seedAccounts(const Database &db, Rng &rng, int *users)
{
    const QString hash = hashPassword(demoPassword());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    int repNo = 0;
    for (const Rep &rep : kReps) {
        ++repNo;
        execRow(db, QStringLiteral("saticilar"),
                {QStringLiteral("satici_no"), QStringLiteral("adi"), QStringLiteral("mail"),
                 QStringLiteral("telefon")},
                {repNo, u8(rep.name), u8(rep.mail), u8(rep.phone)});
    }
    QList<Account> accounts;
    qint64 userNo = 0;
    int n = 0;
    for (const Dealer &d : kDealers) {
        ++n;
        const auto &city = kCities[(n - 1) % std::size(kCities)];
        const QString carikod = QStringLiteral("120.01.%1").arg(n, 3, 10, QLatin1Char('0'));
        const int vade = 30 + 15 * (n % 3);
        execRow(
            db, QStringLiteral("cariler"),
            {QStringLiteral("carino"),   QStringLiteral("carikod"),   QStringLiteral("cariadi"),
             QStringLiteral("adres1"),   QStringLiteral("adres2"),    QStringLiteral("ilce"),
             QStringLiteral("il"),       QStringLiteral("tel1"),      QStringLiteral("gsm"),
             QStringLiteral("fax1"),     QStringLiteral("email"),     QStringLiteral("vergidairesi"),
             QStringLiteral("vergino"),  QStringLiteral("yetkili"),   QStringLiteral("ozelkod"),
             QStringLiteral("anagrup"),  QStringLiteral("altgrup"),   QStringLiteral("kod1"),
             QStringLiteral("kod5"),     QStringLiteral("satici_no"), QStringLiteral("ind1"),
             QStringLiteral("ind2"),     QStringLiteral("ind3"),      QStringLiteral("ind4"),
             QStringLiteral("vade_gun"), QStringLiteral("ara")},
            {n,
             carikod,
             u8(d.name),
             QStringLiteral("SANAYİ SİTESİ %1. BLOK NO:%2").arg(rng.between(1, 12)).arg(rng.between(1, 80)),
             QStringLiteral("%1 / %2").arg(u8(city[1]), u8(city[0])),
             u8(city[1]),
             u8(city[0]),
             QStringLiteral("0%1 %2 %3 %4")
                 .arg(rng.between(212, 488))
                 .arg(rng.between(200, 999))
                 .arg(rng.between(10, 99))
                 .arg(rng.between(10, 99)),
             QStringLiteral("05%1 %2 %3 %4")
                 .arg(rng.between(30, 55))
                 .arg(rng.between(100, 999))
                 .arg(rng.between(10, 99))
                 .arg(rng.between(10, 99)),
             QString(),
             QStringLiteral("muhasebe@%1.com.tr").arg(QString::fromLatin1(d.user).toLower()),
             u8(city[1]) + QStringLiteral(" V.D."),
             QStringLiteral("%1").arg(rng.between(1000000000, 1999999999)),
             u8(n % 2 ? "HASAN ÖZTÜRK" : "FATMA ÇELİK"),
             QStringLiteral("BAYİ"),
             QStringLiteral("BAYİLER"),
             u8(city[0]),
             QStringLiteral("A"),
             QStringLiteral("K%1").arg(n % 5),
             d.satici,
             d.ind[0],
             d.ind[1],
             d.ind[2],
             d.ind[3],
             vade,
             KelimeKatla(QStringLiteral("%1 %2 %3").arg(carikod, u8(d.name), u8(city[0])))});
        accounts.append({n, u8(d.name), {d.ind[0], d.ind[1], d.ind[2], d.ind[3]}, vade, d.satici});
        ++userNo;
        execRow(db, QStringLiteral("kullanicilar"),
                {QStringLiteral("sirano"), QStringLiteral("adi"), QStringLiteral("sifre_hash"),
                 QStringLiteral("musteri_tipi"), QStringLiteral("carino"), QStringLiteral("aktif"),
                 QStringLiteral("mail")},
                {userNo, QLatin1String(d.user), hash, d.type, n, 1,
                 QStringLiteral("%1@bayi.example").arg(QString::fromLatin1(d.user).toLower())});
        execRow(db, QStringLiteral("bilgisayarlar"),
                {QStringLiteral("bilgisayarid"), QStringLiteral("kullanici"), QStringLiteral("kayit_zamani")},
                {demoMachineId(QLatin1String(d.user)), userNo, now});
    }
    repNo = 0;
    for (const Rep &rep : kReps) {
        ++repNo;
        if (!*rep.user)
            continue;
        ++userNo;
        execRow(db, QStringLiteral("kullanicilar"),
                {QStringLiteral("sirano"), QStringLiteral("adi"), QStringLiteral("sifre_hash"),
                 QStringLiteral("musteri_tipi"), QStringLiteral("satici_no"), QStringLiteral("aktif"),
                 QStringLiteral("mail")},
                {userNo, QLatin1String(rep.user), hash, rep.type, repNo, 1, u8(rep.mail)});
        execRow(db, QStringLiteral("bilgisayarlar"),
                {QStringLiteral("bilgisayarid"), QStringLiteral("kullanici"), QStringLiteral("kayit_zamani")},
                {demoMachineId(QLatin1String(rep.user)), userNo, now});
    }
    *users = int(userNo);
    for (const char *table : {"saticilar:satici_no", "cariler:carino", "kullanicilar:sirano"}) {
        const QStringList tc = QString::fromLatin1(table).split(u':');
        const QString sync = db.dialect().syncIdentity(tc[0], tc[1]);
        if (!sync.isEmpty())
            Query(db, sync).exec();
    }
    return accounts;
}

// ---------------------------------------------------------- transactions

void seedBaskets(const Database &db, const QList<Account> &accounts, const QList<StockInfo> &stocks, Rng &rng)
{
    const QDate today = QDate::currentDate();
    for (const Account &a : accounts) {
        const int lines = a.carino == 1 ? 4 : rng.below(4);
        for (int l = 0; l < lines; ++l) {
            const StockInfo &s = stocks[a.carino == 1 ? l % stocks.size() : rng.below(int(stocks.size()))];
            const Indirimler ind = s.campaign ? Indirimler{} : a.ind;
            execRow(db, QStringLiteral("sepet"),
                    {QStringLiteral("carino"), QStringLiteral("stokno"), QStringLiteral("barkod"),
                     QStringLiteral("stokadi"), QStringLiteral("miktar"), QStringLiteral("birimfiyat"),
                     QStringLiteral("kdv"), QStringLiteral("indirimorani1"), QStringLiteral("indirimorani2"),
                     QStringLiteral("indirimorani3"), QStringLiteral("indirimorani4"),
                     QStringLiteral("kampanya"), QStringLiteral("sec"), QStringLiteral("verenid"),
                     QStringLiteral("tarih"), QStringLiteral("saat")},
                    {a.carino, s.stokno, s.barkod, s.adi, double(rng.between(1, 10)), s.fiyat, s.kdv, ind[0],
                     ind[1], ind[2], ind[3], s.campaign ? 1 : 0, (a.carino == 1 && l == 2) ? 0 : 1, a.carino,
                     iso(today),
                     QStringLiteral("%1:%2:00")
                         .arg(rng.between(8, 17), 2, 10, QLatin1Char('0'))
                         .arg(rng.between(0, 59), 2, 10, QLatin1Char('0'))});
        }
    }
}

struct Movement {
    QDate date;
    QString evrak;
    QString evrakno;
    QString turadi;
    QString aciklama;
    double borc;
    double alacak;
    qint64 belge;
    int vade;
};

void addMovement(const Database &db, qint64 carino, const Movement &m)
{
    execRow(db, QStringLiteral("ekstre"),
            {QStringLiteral("carino"), QStringLiteral("tarih"), QStringLiteral("vade"),
             QStringLiteral("evrak"), QStringLiteral("evrakno"), QStringLiteral("turadi"),
             QStringLiteral("aciklama"), QStringLiteral("borc"), QStringLiteral("alacak"),
             QStringLiteral("belge")},
            {carino, iso(m.date), iso(m.date.addDays(m.vade)), m.evrak, m.evrakno, m.turadi, m.aciklama,
             m.borc, m.alacak, m.belge > 0 ? QVariant(m.belge) : QVariant(QMetaType(QMetaType::LongLong))});
}

int seedOrdersAndStatements(const Database &db, const QList<Account> &accounts,
                            const QList<StockInfo> &stocks, Rng &rng)
{
    const QDate today = QDate::currentDate();
    int orders = 0;
    int invoiceNo = 0;
    int receiptNo = 0;
    for (const Account &a : accounts) {
        const QString saticiAdi = u8(kReps[qMax<qint64>(0, a.satici - 1) % std::size(kReps)].name);
        double debt = ParaYuvarla(2000 + rng.real() * 20000);
        addMovement(db, a.carino,
                    {QDate(today.year(), 1, 1), QStringLiteral("DEVIR"),
                     QStringLiteral("DVR%1").arg(today.year()), QStringLiteral("Devir"),
                     QStringLiteral("Önceki yıldan devir"), debt, 0, 0, 0});
        QList<int> states;
        if (a.carino == 1)
            states = {0, 1, 2, 3, 3, 4, 5, 5};
        else
            for (int k = rng.between(2, 6); k > 0; --k)
                states << rng.below(6);
        int age = 3 + rng.below(5);
        for (int o = int(states.size()) - 1; o >= 0; --o) {
            const int durum = states[o];
            // Older orders have advanced further.
            const QDate date = today.addDays(-(durum * 4 + age + o));
            const QString time = QStringLiteral("%1:%2:00")
                                     .arg(rng.between(8, 18), 2, 10, QLatin1Char('0'))
                                     .arg(rng.between(0, 59), 2, 10, QLatin1Char('0'));
            const qint64 idno = insertRow(
                db, QStringLiteral("siparisler"),
                {QStringLiteral("carino"), QStringLiteral("verenid"), QStringLiteral("tarih"),
                 QStringLiteral("saat"), QStringLiteral("durum"), QStringLiteral("teslimid"),
                 QStringLiteral("kargoid"), QStringLiteral("kargoyeni"), QStringLiteral("aciklama"),
                 QStringLiteral("kolvar_mesaj"), QStringLiteral("satici_notu"),
                 QStringLiteral("verilistarihi")},
                {a.carino, a.carino, iso(date), time, durum, rng.between(1, 3), rng.between(1, 2),
                 rng.between(1, 5), o % 2 ? QStringLiteral("Acil gönderim rica olunur.") : QString(),
                 durum >= 2 ? QStringLiteral("Siparişiniz onaylanmıştır.") : QString(),
                 durum >= 1 && o % 3 == 0 ? QStringLiteral("Müşteri aranacak.") : QString(), iso(date)},
                "idno");
            ++orders;
            const int lines = rng.between(1, 5);
            double matrah = 0, indirim = 0, kdvToplam = 0;
            struct InvoiceLine {
                const StockInfo *s;
                double miktar;
                Indirimler ind;
                SatirTutari t;
            };
            QList<InvoiceLine> invoiceLines;
            for (int l = 0; l < lines; ++l) {
                const StockInfo &s = stocks[rng.below(int(stocks.size()))];
                const double miktar = rng.between(1, 20);
                double delivered = 0;
                if (durum == 3)
                    delivered = l % 2 ? std::floor(miktar / 2) : 0;
                else if (durum == 5)
                    delivered = miktar;
                const Indirimler ind = s.campaign ? Indirimler{} : a.ind;
                execRow(db, QStringLiteral("siparis_satirlari"),
                        {QStringLiteral("idno"), QStringLiteral("carino"), QStringLiteral("stokno"),
                         QStringLiteral("barkod"), QStringLiteral("stokadi"), QStringLiteral("miktar"),
                         QStringLiteral("teslimedilen"), QStringLiteral("birimfiyat"), QStringLiteral("kdv"),
                         QStringLiteral("indirimorani1"), QStringLiteral("indirimorani2"),
                         QStringLiteral("indirimorani3"), QStringLiteral("indirimorani4"),
                         QStringLiteral("kampanya"), QStringLiteral("verenid")},
                        {idno, a.carino, s.stokno, s.barkod, s.adi, miktar, delivered, s.fiyat, s.kdv, ind[0],
                         ind[1], ind[2], ind[3], s.campaign ? 1 : 0, a.carino});
                if (delivered > 0) {
                    const SatirTutari t = SatirHesapla(delivered, s.fiyat, ind, s.kdv);
                    matrah += t.netTutar;
                    indirim += t.indirimTutar;
                    kdvToplam += t.vergiTutari;
                    invoiceLines.append({&s, delivered, ind, t});
                }
            }
            if (invoiceLines.isEmpty())
                continue;
            ++invoiceNo;
            const QDate invDate = date.addDays(durum == 5 ? 2 : 1);
            const QString evrakno =
                QStringLiteral("KLV%1%2").arg(today.year()).arg(invoiceNo, 6, 10, QLatin1Char('0'));
            const double toplam = ParaYuvarla(matrah + kdvToplam);
            const qint64 fatura = insertRow(
                db, QStringLiteral("faturalar"),
                {QStringLiteral("carino"), QStringLiteral("evrakno"), QStringLiteral("tarih"),
                 QStringLiteral("vade"), QStringLiteral("irsaliyeevrakno"), QStringLiteral("siparis_idno"),
                 QStringLiteral("aciklama"), QStringLiteral("matrah"), QStringLiteral("toplamindirim"),
                 QStringLiteral("kdvtutar"), QStringLiteral("toplam"), QStringLiteral("saticiadi")},
                {a.carino, evrakno, iso(invDate), iso(invDate.addDays(a.vade)),
                 QStringLiteral("IRS%1").arg(invoiceNo, 6, 10, QLatin1Char('0')), idno,
                 QStringLiteral("%1 nolu sipariş").arg(idno), ParaYuvarla(matrah), ParaYuvarla(indirim),
                 ParaYuvarla(kdvToplam), toplam, saticiAdi},
                "idno");
            for (const InvoiceLine &il : std::as_const(invoiceLines)) {
                execRow(db, QStringLiteral("fatura_satirlari"),
                        {QStringLiteral("fatura"), QStringLiteral("stokno"), QStringLiteral("barkod"),
                         QStringLiteral("stokadi"), QStringLiteral("marka"), QStringLiteral("model"),
                         QStringLiteral("oemno"), QStringLiteral("birim"), QStringLiteral("miktar"),
                         QStringLiteral("birimfiyat"), QStringLiteral("indirim1"), QStringLiteral("indirim2"),
                         QStringLiteral("indirim3"), QStringLiteral("kdv"), QStringLiteral("tutar"),
                         QStringLiteral("toplamindirim"), QStringLiteral("nettutar"),
                         QStringLiteral("kdvtutar")},
                        {fatura, il.s->stokno, il.s->barkod, il.s->adi, il.s->marka, il.s->model, il.s->oemno,
                         il.s->birim, il.miktar, il.s->fiyat, il.ind[0], il.ind[1], il.ind[2], il.s->kdv,
                         il.t.tutar, il.t.indirimTutar, il.t.netTutar, il.t.vergiTutari});
            }
            addMovement(db, a.carino,
                        {invDate, QStringLiteral("FATURA"), evrakno, QStringLiteral("Toptan Satış Faturası"),
                         QStringLiteral("%1 nolu sipariş faturası").arg(idno), toplam, 0, fatura, a.vade});
            debt += toplam;
        }
        // Collections, and for some accounts a card payment through the
        // virtual POS with its receipt.
        const int collections = a.carino == 1 ? 3 : rng.between(1, 3);
        static const char *const kinds[] = {"NAKİT", "HAVALE", "ÇEK"};
        for (int c = 0; c < collections; ++c) {
            const double amount = ParaYuvarla(debt * (0.1 + 0.15 * rng.real()));
            const QDate date = today.addDays(-(5 + 9 * c + rng.below(5)));
            const QString kind = u8(kinds[c % 3]);
            ++receiptNo;
            const QString evrakno = QStringLiteral("THS%1").arg(receiptNo, 6, 10, QLatin1Char('0'));
            const qint64 t =
                insertRow(db, QStringLiteral("tahsilatlar"),
                          {QStringLiteral("carino"), QStringLiteral("evrakno"), QStringLiteral("tarih"),
                           QStringLiteral("vade"), QStringLiteral("tur"), QStringLiteral("tutar"),
                           QStringLiteral("aciklama"), QStringLiteral("saticiadi")},
                          {a.carino, evrakno, iso(date), iso(date.addDays(c == 2 ? 60 : 0)), kind, amount,
                           kind + QStringLiteral(" tahsilat"), saticiAdi},
                          "idno");
            addMovement(db, a.carino,
                        {date, QStringLiteral("TAHSILAT"), evrakno, kind, kind + QStringLiteral(" tahsilat"),
                         0, amount, t, c == 2 ? 60 : 0});
            debt -= amount;
        }
        if (a.carino == 1 || rng.chance(0.5)) {
            const double amount = ParaYuvarla(debt * 0.2);
            const QDate date = today.addDays(-2 - rng.below(10));
            ++receiptNo;
            const QString evrakno = QStringLiteral("SPOS%1").arg(receiptNo, 6, 10, QLatin1Char('0'));
            const qint64 t =
                insertRow(db, QStringLiteral("tahsilatlar"),
                          {QStringLiteral("carino"), QStringLiteral("evrakno"), QStringLiteral("tarih"),
                           QStringLiteral("vade"), QStringLiteral("tur"), QStringLiteral("tutar"),
                           QStringLiteral("aciklama"), QStringLiteral("saticiadi")},
                          {a.carino, evrakno, iso(date), iso(date), QStringLiteral("KREDİ KARTI"), amount,
                           QStringLiteral("Sanal POS ödemesi"), saticiAdi},
                          "idno");
            execRow(db, QStringLiteral("sanalpos_odemeleri"),
                    {QStringLiteral("carino"), QStringLiteral("tahsilat"), QStringLiteral("tarih"),
                     QStringLiteral("saat"), QStringLiteral("tutar"), QStringLiteral("kart_sahibi"),
                     QStringLiteral("kart_no"), QStringLiteral("taksit"), QStringLiteral("onay_kodu"),
                     QStringLiteral("banka"), QStringLiteral("aciklama")},
                    {a.carino, t, iso(date), QStringLiteral("14:%1:00").arg(rng.between(10, 59)), amount,
                     u8(a.carino % 2 ? "HASAN ÖZTÜRK" : "FATMA ÇELİK"),
                     QStringLiteral("4543 60** **** %1").arg(rng.between(1000, 9999)),
                     rng.between(1, 3) == 3 ? 3 : 1, QStringLiteral("%1").arg(rng.between(100000, 999999)),
                     QStringLiteral("KOLVAR BANK"), QStringLiteral("Cari hesap ödemesi")});
            addMovement(db, a.carino,
                        {date, QStringLiteral("SANALPOS"), evrakno, QStringLiteral("Kredi Kartı"),
                         QStringLiteral("Sanal POS ödemesi"), 0, amount, t, 0});
        }
    }
    return orders;
}

// ---------------------------------------------------------------- notices

void seedLists(const Database &db)
{
    static const char *const deliveries[] = {"Kargo ile Gönderim", "Şubeden Teslim Alınacak",
                                             "Servis Aracı ile"};
    static const char *const cargoKinds[] = {"Alıcı Ödemeli", "Gönderici Ödemeli"};
    struct Carrier {
        const char *name;
        int kind;
        const char *notice;
    };
    static const Carrier carriers[] = {
        {"YURTİÇİ KARGO", 1, "16:00'ya kadar verilen siparişler aynı gün kargoda."},
        {"ARAS KARGO", 1, "Hafta sonu teslimat yapılmamaktadır."},
        {"MNG KARGO", 1, ""},
        {"SÜRAT KARGO", 2, "Anlaşmalı kargo: ücret firmamızca karşılanır."},
        {"PTT KARGO", 2, ""},
    };
    int id = 0;
    for (const char *d : deliveries)
        execRow(db, QStringLiteral("teslim_cinsleri"), {QStringLiteral("id"), QStringLiteral("adi")},
                {++id, u8(d)});
    id = 0;
    for (const char *k : cargoKinds)
        execRow(db, QStringLiteral("kargo_cinsleri"), {QStringLiteral("id"), QStringLiteral("adi")},
                {++id, u8(k)});
    id = 0;
    for (const Carrier &c : carriers)
        execRow(
            db, QStringLiteral("kargolar"),
            {QStringLiteral("id"), QStringLiteral("adi"), QStringLiteral("cins"), QStringLiteral("uyari")},
            {++id, u8(c.name), c.kind, u8(c.notice)});
}

void setSetting(const Database &db, const QString &key, const QString &value)
{
    Query(db,
          QStringLiteral("INSERT INTO ayarlar (anahtar, deger) VALUES (?, ?) "
                         "ON CONFLICT (anahtar) DO UPDATE SET deger = excluded.deger"),
          {key, value});
}

void seedNotices(const Database &db)
{
    const QDate today = QDate::currentDate();
    setSetting(db, QStringLiteral("version"), QStringLiteral("7"));
    setSetting(db, QStringLiteral("kayanyazi"),
               u8("Kolvar Otomotiv B2B'ye hoş geldiniz.   Kampanyalı ürünlerde %25'e varan indirimler!   "
                  "16:00'ya kadar verilen siparişler aynı gün kargoda."));
    setSetting(db, QStringLiteral("kur_usd"), QStringLiteral("34.25"));
    setSetting(db, QStringLiteral("kur_eur"), QStringLiteral("37.10"));
    setSetting(db, QStringLiteral("arama_limit"), QStringLiteral("200"));
    struct Notice {
        const char *title;
        const char *text;
        const char *search;
    };
    static const Notice notices[] = {
        {"Kış Kampanyası Başladı", "Akü, silecek ve antifrizde özel fiyatlar ay sonuna kadar geçerlidir.",
         "#KAMPANYA#"},
        {"Yeni Ürünler", "Bu ay kataloğumuza 150'den fazla yeni ürün eklendi.", "#YENİ#"},
        {"Fren Balatalarında İndirim", "Seçili marka fren balatalarında ek %10 indirim.", "FREN BALATASI"},
        {"Bayram Tatili", "Bayram süresince sevkiyat yapılmayacaktır.", ""},
    };
    int i = 0;
    for (const Notice &n : notices) {
        execRow(db, QStringLiteral("duyurular"),
                {QStringLiteral("baslik"), QStringLiteral("duyuru"), QStringLiteral("arama"),
                 QStringLiteral("resim"), QStringLiteral("tarih")},
                {u8(n.title), u8(n.text), u8(n.search), partJpeg(7 + 13 * i, 320, 200),
                 iso(today.addDays(-3 * i))});
        ++i;
    }
    i = 0;
    for (const Notice &n : notices) {
        if (i == 3)
            break;
        execRow(db, QStringLiteral("acilis_reklamlari"),
                {QStringLiteral("sira"), QStringLiteral("baslik"), QStringLiteral("arama"),
                 QStringLiteral("resim")},
                {i + 1, u8(n.title), u8(n.search), partJpeg(40 + 17 * i, 640, 400)});
        ++i;
    }
    execRow(
        db, QStringLiteral("bannerlar"),
        {QStringLiteral("no"), QStringLiteral("tur"), QStringLiteral("resim")},
        {1, QStringLiteral("gif"), bannerGif(468, 60, QColor(0xC0, 0x10, 0x20), QColor(0xFF, 0xD0, 0x40))});
    execRow(
        db, QStringLiteral("bannerlar"),
        {QStringLiteral("no"), QStringLiteral("tur"), QStringLiteral("resim")},
        {2, QStringLiteral("gif"), bannerGif(468, 60, QColor(0x10, 0x30, 0x80), QColor(0x60, 0xC0, 0xFF))});
    execRow(
        db, QStringLiteral("bannerlar"),
        {QStringLiteral("no"), QStringLiteral("tur"), QStringLiteral("resim")},
        {3, QStringLiteral("bmp"), bannerBmp(468, 60, QColor(0x20, 0x20, 0x20), QColor(0xC0, 0x10, 0x20))});
    execRow(
        db, QStringLiteral("belgeler"),
        {QStringLiteral("adi"), QStringLiteral("tarih"), QStringLiteral("icerik")},
        {QStringLiteral("fiyat_listesi.txt"), iso(today), u8("Kolvar Otomotiv fiyat listesi\n").toUtf8()});
    execRow(db, QStringLiteral("hesap_istekleri"),
            {QStringLiteral("olusturma"), QStringLiteral("bilgisayarid"), QStringLiteral("baslik"),
             QStringLiteral("firmaadi"), QStringLiteral("sehir"), QStringLiteral("telefon"),
             QStringLiteral("yetkili"), QStringLiteral("kullaniciadi"), QStringLiteral("mail")},
            {QDateTime::currentSecsSinceEpoch(), QStringLiteral("DEMO-YENI"),
             QStringLiteral("Yeni Kullanıcı İsteği"), u8("TOROS OTO PARÇA"), QStringLiteral("MERSİN"),
             QStringLiteral("0324 555 44 33"), u8("ALİ VURAL"), QStringLiteral("TOROS"),
             QStringLiteral("ali@toros.example")});
}

} // namespace

DemoSummary seedDemo(const Database &db, const DemoOptions &options)
{
    {
        Query q(db, QStringLiteral("SELECT COUNT(*) FROM stoklar"));
        q.exec();
        if (q.scalar(0).toLongLong() > 0)
            throw StorageError(QStringLiteral("the database already holds a catalogue; seed an empty one"));
    }
    DemoSummary summary;
    Rng rng(options.seed);
    const QList<StockInfo> sample = seedCatalogue(db, options, rng, &summary.pictures);
    summary.stocks = options.stocks;
    if (sample.isEmpty())
        throw StorageError(QStringLiteral("the demo needs at least one stock"));

    Transaction tx(db);
    const QList<Account> accounts = seedAccounts(db, rng, &summary.users);
    summary.accounts = int(accounts.size());
    seedLists(db);
    seedBaskets(db, accounts, sample, rng);
    summary.orders = seedOrdersAndStatements(db, accounts, sample, rng);
    seedNotices(db);
    tx.commit();
    return summary;
}

} // namespace kolvar::server::demo

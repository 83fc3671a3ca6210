// From Enter in the search edit to the painted stock list, against a running
// kolvar-server: the main window searches as a user would, and the server's
// own call log gives the server's share of each search.
//   bench_stoklistesi [--db PATH] [--stocks N] [--copy-from PATH] [--server BIN] [--rounds R]
//                     [--screenshot DIR [--search TEXT]]
// The database is made once: copied from --copy-from (a catalogue of
// bench_search, /tmp/kolvar-bench-search-1000000.db by default) or, when
// there is none, initialised and filled by seed-demo; later runs reuse it.
// With --screenshot the window is instead grabbed after one search, in the
// wide and the narrow layout, into DIR/stoklistesi-genis.png and -dar.png.

#include <app/adresler.h>
#include <app/unit1.h>
#include <catalogue/stoklistesi.h>
#include <methods/session.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/dialogs/mesajver.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridtableview.h>
#include <platform/style/style.h>
#include <storage/database.h>
#include <storage/databaseurl.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QThread>

#include <algorithm>

using namespace kolvar;
using namespace kolvar::server;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

bool calistir(const QString &bin, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(bin, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

quint16 bosPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

double yuzdelik(QList<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[std::min<qsizetype>(v.size() - 1, qsizetype(p * double(v.size())))];
}

// Counts the viewport's paints.
class BoyaSayaci : public QObject
{
public:
    int boyama = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++boyama;
        return false;
    }
};

void bekle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Enter in the search edit, as the keyboard delivers it.
void enterBas(QWidget *edit)
{
    QKeyEvent bas(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(edit, &bas);
    QKeyEvent birak(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(edit, &birak);
}

// Searches for `text` and waits until its finishing step has run; answers
// the paint count `sayac` had at that moment.
int ara(TForm1 &w, const QString &text, const BoyaSayaci &sayac)
{
    bool bitti = false;
    int boyama = 0;
    const QMetaObject::Connection c = QObject::connect(w.stokListesi(), &StokListesi::aramaBitti, [&] {
        bitti = true;
        boyama = sayac.boyama;
    });
    w.araedit->setText(text);
    enterBas(w.araedit);
    while (!bitti)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    QObject::disconnect(c);
    return boyama;
}

// A message of the window means the bench is not measuring what it should.
class MesajYazici : public DialogRunner
{
public:
    int run(const MessageRequest &request) override
    {
        err << "message: " << request.text << "\n";
        err.flush();
        goruldu = true;
        return mrOk;
    }
    static inline bool goruldu = false;
};

struct Olcum {
    QList<double> toplam, sunucu, istemci;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString dbYolu = QStringLiteral("/tmp/kolvar-bench-stoklistesi.db");
    QString kaynak = QStringLiteral("/tmp/kolvar-bench-search-1000000.db");
    QString sunucu = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kolvar-server");
    QString resimKlasoru, resimAramasi = QStringLiteral("FREN");
    int stoklar = 1000000, turlar = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--db")
            dbYolu = args[i + 1];
        else if (args[i] == u"--stocks")
            stoklar = args[i + 1].toInt();
        else if (args[i] == u"--copy-from")
            kaynak = args[i + 1];
        else if (args[i] == u"--server")
            sunucu = args[i + 1];
        else if (args[i] == u"--rounds")
            turlar = args[i + 1].toInt();
        else if (args[i] == u"--screenshot")
            resimKlasoru = args[i + 1];
        else if (args[i] == u"--search")
            resimAramasi = args[i + 1];
    }
    const QString url = QStringLiteral("sqlite:") + dbYolu;

    if (!QFileInfo::exists(dbYolu)) {
        if (QFileInfo::exists(kaynak)) {
            err << "copying " << kaynak << " to " << dbYolu << "\n";
            err.flush();
            if (!QFile::copy(kaynak, dbYolu))
                return 1;
        } else if (!calistir(sunucu, {QStringLiteral("init"), QStringLiteral("--db"), url}) ||
                   !calistir(sunucu, {QStringLiteral("seed-demo"), QStringLiteral("--db"), url,
                                      QStringLiteral("--stocks"), QString::number(stoklar)})) {
            err << "could not make " << dbYolu << "\n";
            return 1;
        }
    }

    // A dealer account of the bench and a session for it, made directly.
    QString token;
    qint64 carino = 0, toplamStok = 0;
    {
        Database db(*DatabaseUrl::parse(url));
        Database::setInstance(&db);
        db.migrate();
        toplamStok = Query(db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).exec().scalar().toLongLong();
        carino = Query(db, QStringLiteral("SELECT carino FROM cariler WHERE carikod = 'BENCH'"))
                     .exec()
                     .scalar()
                     .toLongLong();
        if (!carino) {
            carino = Query(db, QStringLiteral("INSERT INTO cariler (carikod, cariadi, ind1, ind2) VALUES "
                                              "('BENCH', 'BENCH OTO', 10, 5) RETURNING carino"))
                         .exec()
                         .scalar()
                         .toLongLong();
            Query(db,
                  QStringLiteral("INSERT INTO kullanicilar (adi, sifre_hash, musteri_tipi, carino) VALUES "
                                 "('BENCH', 'x', 0, ?)"),
                  {carino});
        }
        const qint64 user = Query(db, QStringLiteral("SELECT sirano FROM kullanicilar WHERE adi = 'BENCH'"))
                                .exec()
                                .scalar()
                                .toLongLong();
        token = openSession(db, user, QStringLiteral("BENCH"));
        Database::setInstance(nullptr);
    }

    err << carino << " BENCH account, " << toplamStok << " stocks; starting the server\n";
    err.flush();
    setDialogRunner(std::make_shared<MesajYazici>());
    const quint16 port = bosPort();
    QProcess serve;
    QList<double> sunucuSureleri;
    static const QRegularExpression satir(QStringLiteral("^StokAraGetir \\S+ ([0-9.]+)ms"));
    QString tampon;
    QObject::connect(&serve, &QProcess::readyReadStandardError, [&] {
        tampon += QString::fromUtf8(serve.readAllStandardError());
        qsizetype nl;
        while ((nl = tampon.indexOf(u'\n')) >= 0) {
            const QString s = tampon.left(nl).trimmed();
            tampon.remove(0, nl + 1);
            const auto m = satir.match(s.mid(s.indexOf(QLatin1String("StokAraGetir"))));
            if (s.contains(QLatin1String("StokAraGetir")) && m.hasMatch())
                sunucuSureleri << m.captured(1).toDouble();
        }
    });
    serve.start(sunucu, {QStringLiteral("serve"), QStringLiteral("--db"), url, QStringLiteral("--listen"),
                         QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(port),
                         QStringLiteral("--web-port"), QStringLiteral("0")});
    if (!serve.waitForStarted())
        return 1;
    for (int i = 0; i < 300; ++i) {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (s.waitForConnected(100))
            break;
        QThread::msleep(100);
    }

    err << "server listening on " << port << "\n";
    err.flush();
    TForm1 w;
    w.bagc()->setHostName(QStringLiteral("127.0.0.1"));
    w.bagc()->setPort(port);
    w.bagc()->setSessionToken(token);
    w.sbilgi().setCARINO(qint32(carino));
    w.sbilgi().setMusteriTipi(0);
    w.HesabaUyarla(0);
    StokListesi *liste = w.stokListesi();
    QWidget *viewport = liste->cxGrid1()->view()->viewport();
    BoyaSayaci sayac;
    viewport->installEventFilter(&sayac);

    if (!resimKlasoru.isEmpty()) {
        // As a Turkish user sees it, with the program's look.
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        applySapphireKamri(app);
        w.sbilgi().setADI(QStringLiteral("BENCH"));
        w.sbilgi().setCariAdi(QStringLiteral("BENCH OTO"));
        w.AnaBilgiAl();
        for (const auto &[genislik, ad] : {std::pair{1366, "genis"}, std::pair{1100, "dar"}}) {
            w.resize(genislik, 768);
            w.show();
            bekle(200);
            ara(w, resimAramasi, sayac);
            liste->cxGrid1()->setFocusedRecord(1);
            bekle(300);
            const QString yol = resimKlasoru + QStringLiteral("/stoklistesi-") + QLatin1String(ad) + ".png";
            w.grab().save(yol);
            out << "wrote " << yol << "\n";
        }
        serve.terminate();
        serve.waitForFinished(5000);
        return 0;
    }

    const QStringList sorgular{QStringLiteral("FREN"),    QStringLiteral("FILTRE"), QStringLiteral("BOSCH"),
                               QStringLiteral("DISK"),    QStringLiteral("7806"),   QStringLiteral("SETI"),
                               QStringLiteral("POMPASI"), QStringLiteral("1234")};

    out << "Stock list search on " << toplamStok << " stocks (" << dbYolu << "), " << turlar
        << " timed rounds after a warm-up\n";
    for (const int genislik : {1280, 1000}) {
        w.resize(genislik, 800);
        w.show();
        bekle(200);
        Olcum tam; // searches that filled the 500-row page
        int digerleri = 0;
        for (int tur = 0; tur <= turlar; ++tur) {
            for (const QString &sorgu : sorgular) {
                const qsizetype sunucuOnce = sunucuSureleri.size();
                QElapsedTimer t;
                t.start();
                const int boyamaOnce = ara(w, sorgu, sayac);
                while (sayac.boyama == boyamaOnce)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                const double toplam = double(t.nsecsElapsed()) / 1e6;
                QElapsedTimer bekle;
                bekle.start();
                while (sunucuSureleri.size() == sunucuOnce && bekle.elapsed() < 2000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                const double sunucuMs = sunucuSureleri.size() > sunucuOnce ? sunucuSureleri.last() : 0;
                if (MesajYazici::goruldu) {
                    serve.terminate();
                    serve.waitForFinished(5000);
                    return 2;
                }
                if (tur == 0)
                    continue; // warm-up
                if (liste->stok()->recordCount() < 500) {
                    ++digerleri;
                    continue;
                }
                tam.toplam << toplam;
                tam.sunucu << sunucuMs;
                tam.istemci << toplam - sunucuMs;
            }
        }
        out << "  " << (w.width() > 1152 ? "wide" : "narrow") << " layout (window " << w.width() << " px), "
            << tam.toplam.size() << " searches of 500 rows (" << digerleri << " smaller ones left out):\n";
        const auto satirYaz = [&](const char *ad, const QList<double> &v) {
            out << "    " << ad << ": median " << QString::number(yuzdelik(v, 0.5), 'f', 1) << " ms, p90 "
                << QString::number(yuzdelik(v, 0.9), 'f', 1) << " ms, max "
                << QString::number(yuzdelik(v, 1.0), 'f', 1) << " ms\n";
        };
        satirYaz("Enter to painted        ", tam.toplam);
        satirYaz("server (method body)    ", tam.sunucu);
        satirYaz("client and network      ", tam.istemci);
        out.flush();
    }
    serve.terminate();
    serve.waitForFinished(5000);
    return 0;
}

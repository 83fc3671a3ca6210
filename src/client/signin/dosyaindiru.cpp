#include "dosyaindiru.h"

#include "girisformu.h"

#include <app/adresler.h>
#include <app/surec.h>
#include <platform/dialogs/mesajver.h>
#include <platform/machine/machineidentity.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kolvar {

namespace {

Tdosyaindir::KurulumBaslatici &baslatici()
{
    static Tdosyaindir::KurulumBaslatici f;
    return f;
}

} // namespace

QString IndirmeBilgisi(qint64 alinan, qint64 toplam, const QLocale &locale)
{
    if (toplam <= 0)
        return {};
    const double yuzde = double(alinan) / double(toplam) * 100.0;
    const auto mb = [](qint64 n) { return double(n) / 1024.0 / 1024.0; };
    return QStringLiteral("Bilgi: %") + locale.toString(yuzde, 'f', 2) + QStringLiteral("  İndirilen: ") +
           locale.toString(mb(alinan), 'f', 2) + QLatin1Char('/') + locale.toString(mb(toplam), 'f', 2) +
           QStringLiteral(" Mb");
}

Tdosyaindir::Tdosyaindir(QWidget *owner, int y) : QDialog(owner)
{
    setObjectName(QStringLiteral("dosyaindir"));
    setWindowTitle(QStringLiteral("Dosya İndir"));
    resize(560, 300);

    auto *root = new QVBoxLayout(this);
    sLabel1 = new QLabel(this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    sLabel1->setAlignment(Qt::AlignCenter);
    sLabel1->setWordWrap(true);
    sLabel1->setStyleSheet(QStringLiteral("font-size: 27px; color: rgb(67, 77, 88);"));
    sLabel1->setText(QStringLiteral("Kolvar Otomotiv B2B Programının\r\nYeni versiyonu indirilecektir\r\n"
                                    "Lütfen Bekleyiniz...!\r\nVersion: ") +
                     QString::number(y) + QLatin1Char('-') + QString::number(ISTEMCI_SURUMU));
    root->addWidget(sLabel1, 1);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *col = new QVBoxLayout(panel);
    bilgi = new QLabel(QStringLiteral("bilgi"), panel);
    bilgi->setObjectName(QStringLiteral("bilgi"));
    bilgi->setStyleSheet(QStringLiteral("font-size: 13px; font-weight: bold;"));
    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    col->addWidget(bilgi);
    col->addWidget(ProgressBar1);
    root->addWidget(panel);

    m_url = QUrl(QStringLiteral("http://") + adresler().guncelleme + QStringLiteral("/exe/KolvarSetup.exe"));
}

void Tdosyaindir::setKurulumBaslatici(KurulumBaslatici f)
{
    baslatici() = std::move(f);
}

void Tdosyaindir::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &Tdosyaindir::FormActivate);
}

void Tdosyaindir::FormActivate()
{
    if (m_basladi)
        return;
    m_basladi = true;

    const QString hedef = QDir(YerelVeriKlasoru()).filePath(QStringLiteral("KolvarSetup.exe"));
    QFile::remove(hedef);

    QNetworkAccessManager nam;
    nam.setTransferTimeout(60000);
    QNetworkRequest req(m_url);
    req.setRawHeader("Accept",
                     "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8");
    // Accept-Encoding "gzip, deflate" is sent by the network layer itself,
    // which then also unpacks the body: the saved file is the installer.
    req.setRawHeader("Accept-Language", "en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4");
    req.setRawHeader("User-Agent",
                     "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
                     "Gecko) Chrome/60.0.3112.32 Safari/537.36");
    req.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);

    // The window stays painted while the download runs; closing it does not
    // stop the download.
    QNetworkReply *reply = nam.get(req);
    connect(reply, &QNetworkReply::downloadProgress, this, &Tdosyaindir::NetHTTPClient1ReceiveData);
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || (status != 0 && (status < 200 || status > 299))) {
        // An error page must never be saved and started as the installer.
        const QString hata =
            reply->error() != QNetworkReply::NoError
                ? reply->errorString()
                : QString::number(status) + QLatin1Char(' ') +
                      reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        reply->deleteLater();
        NetHTTPClient1RequestError(hata);
        return;
    }
    const QByteArray body = reply->readAll();
    reply->deleteLater();

    QFile file(hedef);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size()) {
        NetHTTPClient1RequestError(file.errorString());
        return;
    }
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);

    const QStringList args{QStringLiteral("/silent")};
    if (baslatici())
        baslatici()(hedef, args);
    else
        QProcess::startDetached(hedef, args);
    SurecBitir(0);
    accept();
}

void Tdosyaindir::NetHTTPClient1ReceiveData(qint64 readCount, qint64 contentLength)
{
    if (contentLength <= 0)
        return;
    bilgi->setText(IndirmeBilgisi(readCount, contentLength, QLocale()));
    ProgressBar1->setMaximum(int(qMin<qint64>(contentLength, INT_MAX)));
    ProgressBar1->setValue(int(qMin<qint64>(readCount, INT_MAX)));
}

void Tdosyaindir::NetHTTPClient1RequestError(const QString &error)
{
    MesajVer(QStringLiteral("Hata Oluştu !\r\nHata: ") + error, 1, {mbOK}, mbOK);
    SurecBitir(0);
    reject();
}

} // namespace kolvar

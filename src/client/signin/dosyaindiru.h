#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QLocale;
class QProgressBar;
class QNetworkReply;

namespace kolvar {

// "Bilgi: %50,00  İndirilen: 1,50/3,00 Mb" in the locale's number format;
// empty when the total is not known.
QString IndirmeBilgisi(qint64 alinan, qint64 toplam, const QLocale &locale);

// The self-update window: downloads the installer of the version the server
// announces, starts it silently and ends the program. No choice is offered:
// the download starts as soon as the window is shown.
class Tdosyaindir : public QDialog
{
    Q_OBJECT
public:
    // `y`: the version the server announced.
    Tdosyaindir(QWidget *owner, int y);

    QLabel *sLabel1 = nullptr;
    QLabel *bilgi = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }
    bool basladi() const { return m_basladi; }

    // Starts the saved installer; replaced by tests.
    using KurulumBaslatici = std::function<void(const QString &path, const QStringList &args)>;
    static void setKurulumBaslatici(KurulumBaslatici f);

    void FormActivate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void NetHTTPClient1ReceiveData(qint64 readCount, qint64 contentLength);
    void NetHTTPClient1RequestError(const QString &error);

    QUrl m_url;
    bool m_basladi = false;
};

} // namespace kolvar

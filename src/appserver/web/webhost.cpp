#include "webhost.h"
#include "webpages.h"

#include <storage/database.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <httplib.h>

#include <atomic>
#include <thread>

Q_LOGGING_CATEGORY(lcWeb, "kolvar.web")

namespace kolvar::server {

namespace {

QString qs(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString param(const httplib::Request &req, const char *key)
{
    return req.has_param(key) ? qs(req.get_param_value(key)).trimmed() : QString();
}

void sendHtml(httplib::Response &res, const QString &body, int status = 200)
{
    res.status = status;
    res.set_content(body.toStdString(), "text/html; charset=utf-8");
}

// A money text typed by a person: "1.234,50", "1234.5", "1234,50".
std::optional<double> parseAmount(QString text)
{
    text.remove(u' ');
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    const int comma = text.lastIndexOf(u',');
    const int dot = text.lastIndexOf(u'.');
    if (comma > dot) { // Turkish: dots group thousands
        text.remove(u'.');
        text.replace(u',', u'.');
    } else {
        text.remove(u',');
    }
    static const QRegularExpression number(QStringLiteral("^\\d+(\\.\\d{1,2})?$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || v <= 0 || v > 10'000'000)
        return std::nullopt;
    return v;
}

} // namespace

struct WebHost::Private {
    Database &db;
    WebHostOptions options;
    std::unique_ptr<PaymentProvider> payments;
    httplib::Server http;
    std::thread thread;
    int boundPort = 0;

    Private(Database &d, WebHostOptions o, std::unique_ptr<PaymentProvider> p)
        : db(d), options(std::move(o)), payments(std::move(p))
    {}

    void routes();
    void ipEcho(const httplib::Request &, httplib::Response &);
    void installer(const httplib::Request &, httplib::Response &);
    void requestFormGet(const httplib::Request &, httplib::Response &);
    void requestFormPost(const httplib::Request &, httplib::Response &);
    void paymentGet(const httplib::Request &, httplib::Response &);
    void paymentPost(const httplib::Request &, httplib::Response &);
    int recordPayment(qint64 carino, double amount, const QString &holder, const QString &last4,
                      const PaymentOutcome &outcome);
};

void WebHost::Private::routes()
{
    // A plain handler type, so httplib's Post overloads are not ambiguous.
    auto handler = [this](void (Private::*member)(const httplib::Request &, httplib::Response &)) {
        return httplib::Server::Handler([this, member](const httplib::Request &req, httplib::Response &res) {
            (this->*member)(req, res);
        });
    };
    http.set_payload_max_length(size_t(options.maxBodyBytes));
    http.set_read_timeout(10, 0);
    http.set_write_timeout(30, 0);
    http.set_keep_alive_max_count(20);
    http.set_logger([](const httplib::Request &req, const httplib::Response &res) {
        // Path only: queries may carry names, and bodies carry card data.
        qCInfo(lcWeb).noquote() << qs(req.remote_addr) << qs(req.method) << qs(req.path) << res.status;
    });
    http.set_exception_handler(
        [](const httplib::Request &req, httplib::Response &res, std::exception_ptr ep) {
            QString what = QStringLiteral("unknown");
            try {
                std::rethrow_exception(ep);
            } catch (const std::exception &e) {
                what = QString::fromUtf8(e.what());
            } catch (...) {
            }
            qCWarning(lcWeb).noquote() << "request failed:" << qs(req.path) << what;
            sendHtml(res,
                     web::page(QStringLiteral("Hata"),
                               QStringLiteral("<h2>Sunucu Hatası</h2><p>İşleminiz "
                                              "tamamlanamadı, lütfen tekrar deneyiniz.</p>")),
                     500);
        });
    http.set_error_handler([](const httplib::Request &, httplib::Response &res) {
        if (res.status == 404)
            sendHtml(res, web::notFound(), 404);
        else if (res.body.empty())
            res.set_content(std::to_string(res.status) + "\n", "text/plain; charset=utf-8");
    });

    http.Get("/", [this](const httplib::Request &, httplib::Response &res) {
        sendHtml(res,
                 web::homePage(options.firmName, options.firmAddress, options.firmPhone, options.firmMail));
    });
    http.Get("/ip.php", handler(&Private::ipEcho));
    http.Get("/exe/KolvarSetup.exe", handler(&Private::installer));
    http.Get("/formmailgonder.aspx", handler(&Private::requestFormGet));
    http.Post("/formmailgonder.aspx", handler(&Private::requestFormPost));
    // The client builds the payment address with a doubled slash.
    for (const char *path : {"//nirvokart.html", "/nirvokart.html"}) {
        http.Get(path, handler(&Private::paymentGet));
        http.Post(path, handler(&Private::paymentPost));
    }
}

void WebHost::Private::ipEcho(const httplib::Request &req, httplib::Response &res)
{
    QString address = qs(req.remote_addr);
    const QHostAddress peer(address);
    if (!options.trustedProxy.isNull() && peer.isEqual(options.trustedProxy) &&
        req.has_header("X-Forwarded-For")) {
        // The proxy appends the address it saw last; anything before it
        // came from the caller and proves nothing.
        const QStringList hops = qs(req.get_header_value("X-Forwarded-For")).split(u',');
        const QHostAddress client(hops.last().trimmed());
        if (!client.isNull())
            address = client.toString();
    }
    if (QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol) {
        bool ok = false;
        const quint32 v4 = QHostAddress(address).toIPv4Address(&ok);
        if (ok)
            address = QHostAddress(v4).toString();
    }
    res.set_header("Cache-Control", "no-store");
    res.set_content(address.toStdString(), "text/plain; charset=utf-8");
}

void WebHost::Private::installer(const httplib::Request &, httplib::Response &res)
{
    if (options.installerPath.isEmpty() || !QFileInfo(options.installerPath).isFile()) {
        sendHtml(res, web::notFound(), 404);
        return;
    }
    auto file = std::make_shared<QFile>(options.installerPath);
    if (!file->open(QIODevice::ReadOnly)) {
        sendHtml(res, web::notFound(), 404);
        return;
    }
    const size_t size = size_t(file->size());
    res.set_header("Content-Disposition", "attachment; filename=\"KolvarSetup.exe\"");
    res.set_content_provider(
        size, "application/octet-stream", [file](size_t offset, size_t length, httplib::DataSink &sink) {
            if (!file->seek(qint64(offset)))
                return false;
            const QByteArray chunk = file->read(qint64(std::min<size_t>(length, 256 * 1024)));
            if (chunk.isEmpty())
                return false;
            return sink.write(chunk.constData(), size_t(chunk.size()));
        });
}

void WebHost::Private::requestFormGet(const httplib::Request &req, httplib::Response &res)
{
    const QString id = param(req, "id");
    if (id.size() > 200) {
        sendHtml(res,
                 web::page(QStringLiteral("Hata"), QStringLiteral("<p class=\"hata\">Geçersiz istek.</p>")),
                 400);
        return;
    }
    sendHtml(res, web::requestForm(id, {}, {}));
}

void WebHost::Private::requestFormPost(const httplib::Request &req, httplib::Response &res)
{
    const QString id = param(req, "id");
    QList<QPair<QString, QString>> values;
    QStringList errors;
    if (id.size() > 200)
        errors << QStringLiteral("Bilgisayar kimliği geçersiz.");
    for (const auto &f : web::requestFormFields()) {
        const QString value = param(req, f.key);
        values.append({QLatin1StringView(f.key), value});
        if (f.required && value.isEmpty())
            errors << QStringLiteral("%1 alanı boş bırakılamaz.").arg(f.label);
        else if (value.size() > f.maxLength)
            errors << QStringLiteral("%1 en fazla %2 karakter olabilir.").arg(f.label).arg(f.maxLength);
        else if (value.contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f]"))))
            errors << QStringLiteral("%1 alanında geçersiz karakter var.").arg(f.label);
    }
    const QString mail = param(req, "mail");
    static const QRegularExpression mailShape(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    if (!mail.isEmpty() && mail.size() <= 120 && !mailShape.match(mail).hasMatch())
        errors << QStringLiteral("E-Posta adresi geçersiz.");
    if (!errors.isEmpty()) {
        sendHtml(res, web::requestForm(id, values, errors), 400);
        return;
    }

    QString columns = QStringLiteral("olusturma, bilgisayarid, baslik");
    QString marks = QStringLiteral("?, ?, ?");
    QList<QVariant> binds = {QDateTime::currentSecsSinceEpoch(), id, QStringLiteral("Yeni Kullanıcı İsteği")};
    for (const auto &kv : values) {
        columns += QStringLiteral(", ") + kv.first;
        marks += QStringLiteral(", ?");
        binds << (kv.second.isNull() ? QString(QLatin1StringView("")) : kv.second); // columns are NOT NULL
    }
    Transaction tx(db);
    int no = 0;
    {
        Query q(db, QStringLiteral("INSERT INTO hesap_istekleri (%1) VALUES (%2) RETURNING sirano")
                        .arg(columns, marks));
        for (const auto &b : binds)
            q.bind(b);
        no = q.exec().scalar().toInt();
    } // the statement must be finished before COMMIT on SQLite
    tx.commit();
    sendHtml(res, web::requestThanks(no));
}

void WebHost::Private::paymentGet(const httplib::Request &req, httplib::Response &res)
{
    const QString carino = param(req, "carino");
    const QString firm = param(req, "firmasi");
    const QString balance = param(req, "bakiye");
    if (carino.size() > 20 || firm.size() > 200 || balance.size() > 40) {
        sendHtml(res,
                 web::page(QStringLiteral("Hata"), QStringLiteral("<p class=\"hata\">Geçersiz istek.</p>")),
                 400);
        return;
    }
    sendHtml(res, web::paymentForm(carino, firm, balance, payments->name(), {}));
}

void WebHost::Private::paymentPost(const httplib::Request &req, httplib::Response &res)
{
    const QString carinoText = param(req, "carino");
    const QString firm = param(req, "firmasi").left(200);
    const QString balance = param(req, "bakiye").left(40);
    QStringList errors;

    bool ok = false;
    const qint64 carino = carinoText.toLongLong(&ok);
    if (!ok || carino <= 0 ||
        !Query(db, QStringLiteral("SELECT 1 FROM cariler WHERE carino = ?"), {carino}).scalar().isValid())
        errors << QStringLiteral("Cari hesap bulunamadı.");
    const auto amount = parseAmount(param(req, "tutar"));
    if (!amount)
        errors << QStringLiteral("Ödenecek tutarı 1.234,50 biçiminde giriniz.");
    const QString holder = param(req, "kartsahibi");
    if (holder.isEmpty() || holder.size() > 60)
        errors << QStringLiteral("Kart sahibinin adını giriniz.");
    QString digits = param(req, "kartno");
    digits.remove(u' ');
    digits.remove(u'-');
    if (!cardNumberLooksValid(digits))
        errors << QStringLiteral("Kart numarası geçersiz.");
    static const QRegularExpression expiryShape(QStringLiteral("^(\\d{2})/(\\d{2})$"));
    const auto expiry = expiryShape.match(param(req, "sonkullanma"));
    if (!expiry.hasMatch())
        errors << QStringLiteral("Son kullanma tarihini AA/YY biçiminde giriniz.");
    static const QRegularExpression cvvShape(QStringLiteral("^\\d{3,4}$"));
    const QString cvv = param(req, "cvv");
    if (!cvvShape.match(cvv).hasMatch())
        errors << QStringLiteral("Güvenlik kodu geçersiz.");
    if (!errors.isEmpty()) {
        sendHtml(res, web::paymentForm(carinoText.left(20), firm, balance, payments->name(), errors), 400);
        return;
    }

    CardPayment payment;
    payment.cardNumber = digits;
    payment.holder = holder;
    payment.expiryMonth = expiry.captured(1).toInt();
    payment.expiryYear = 2000 + expiry.captured(2).toInt();
    payment.cvv = cvv;
    payment.amount = *amount;
    const PaymentOutcome outcome = payments->charge(payment);
    if (!outcome.approved) {
        sendHtml(res,
                 web::paymentForm(
                     carinoText, firm, balance, payments->name(),
                     {outcome.message.isEmpty() ? QStringLiteral("Ödeme onaylanmadı.") : outcome.message}),
                 402);
        return;
    }
    const int sequenceNo = recordPayment(carino, *amount, holder, digits.right(4), outcome);
    sendHtml(res, web::paymentDone(firm, carinoText, QLocale(QLocale::Turkish).toString(*amount, 'f', 2),
                                   sequenceNo, outcome.authorisationCode));
}

// The collection, its statement movement and the POS record in one
// transaction: a payment is either visible everywhere or nowhere.
int WebHost::Private::recordPayment(qint64 carino, double amount, const QString &holder, const QString &last4,
                                    const PaymentOutcome &outcome)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString date = now.date().toString(Qt::ISODate);
    const QString time = now.time().toString(QStringLiteral("HH:mm:ss"));
    Transaction tx(db);
    const qint64 collection =
        Query(db,
              QStringLiteral("INSERT INTO tahsilatlar (carino, evrakno, tarih, vade, tur, tutar, aciklama) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING idno"),
              {carino, QStringLiteral("SP-") + now.toString(QStringLiteral("yyyyMMddHHmmss")), date, date,
               QStringLiteral("KREDI KARTI"), amount, QStringLiteral("Sanal Pos Ödemesi")})
            .scalar()
            .toLongLong();
    const int sequenceNo =
        Query(db,
              QStringLiteral(
                  "INSERT INTO sanalpos_odemeleri (carino, tahsilat, tarih, saat, tutar, kart_sahibi, "
                  "kart_no, taksit, onay_kodu, banka, aciklama) VALUES (?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?) "
                  "RETURNING sirano"),
              {carino, collection, date, time, amount, holder, QStringLiteral("**** **** **** ") + last4,
               outcome.authorisationCode, outcome.bank, QStringLiteral("Sanal Pos Ödemesi")})
            .scalar()
            .toInt();
    Query(db,
          QStringLiteral(
              "INSERT INTO ekstre (carino, tarih, vade, evrak, evrakno, turadi, aciklama, borc, alacak, "
              "belge) VALUES (?, ?, ?, 'SANALPOS', ?, ?, ?, 0, ?, ?)"),
          {carino, date, date, QString::number(sequenceNo), QStringLiteral("Kredi Kartı"),
           QStringLiteral("Sanal Pos Ödemesi"), amount, collection});
    tx.commit();
    return sequenceNo;
}

WebHost::WebHost(Database &db, WebHostOptions options, std::unique_ptr<PaymentProvider> payments)
    : d(std::make_unique<Private>(db, std::move(options), std::move(payments)))
{
    if (!d->payments)
        d->payments = createTestPaymentProvider();
    d->routes();
}

WebHost::~WebHost()
{
    stop();
}

bool WebHost::start(QString *error)
{
    const std::string host = d->options.bindAddress.toString().toStdString();
    if (d->options.port == 0)
        d->boundPort = d->http.bind_to_any_port(host);
    else
        d->boundPort = d->http.bind_to_port(host, d->options.port) ? d->options.port : -1;
    if (d->boundPort <= 0) {
        if (error)
            *error = QStringLiteral("web host cannot listen on %1:%2")
                         .arg(d->options.bindAddress.toString())
                         .arg(d->options.port);
        return false;
    }
    d->thread = std::thread([this] { d->http.listen_after_bind(); });
    qCInfo(lcWeb).noquote() << "web host listening on" << d->options.bindAddress.toString() << d->boundPort;
    return true;
}

void WebHost::stop()
{
    if (d->thread.joinable()) {
        d->http.stop();
        d->thread.join();
    }
}

quint16 WebHost::port() const
{
    return quint16(std::max(0, d->boundPort));
}

} // namespace kolvar::server

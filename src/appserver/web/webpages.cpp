#include "webpages.h"

namespace kolvar::server::web {

QString html(const QString &text)
{
    QString out = text.toHtmlEscaped();
    out.replace(u'\'', QLatin1StringView("&#39;"));
    return out;
}

QString page(const QString &title, const QString &body)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
               "<title>%1</title><style>"
               "body{font-family:Tahoma,'DejaVu Sans',sans-serif;background:#eef2f6;color:#1d2b3a;margin:0}"
               "header{background:#2b4a6f;color:#fff;padding:14px 24px;font-size:20px;font-weight:bold}"
               "main{max-width:760px;margin:24px auto;background:#fff;padding:20px 28px;"
               "border:1px solid #c5d0dc;border-radius:4px}"
               "label{display:block;margin-top:10px;font-weight:bold}"
               "input{width:100%;padding:6px;box-sizing:border-box;border:1px solid #9fb0c4}"
               "button{margin-top:16px;background:#b22222;color:#fff;border:0;padding:8px 20px;"
               "font-weight:bold;cursor:pointer}"
               ".hata{background:#fde8e8;border:1px solid #d33;padding:8px 12px;color:#900}"
               ".test{background:#fff6d5;border:1px solid #d9b200;padding:6px 12px}"
               "table.bilgi td{padding:4px 12px 4px 0}"
               "</style></head><body><header>Kolvar Otomotiv B2B</header><main>%2</main></body></html>\n")
        .arg(html(title), body);
}

const QList<FormField> &requestFormFields()
{
    static const QList<FormField> fields = {
        {"firmaadi", QStringLiteral("Firma Adı"), 150, true},
        {"yetkili", QStringLiteral("Yetkili Kişi"), 100, true},
        {"telefon", QStringLiteral("Telefon"), 30, true},
        {"mail", QStringLiteral("E-Posta"), 120, true},
        {"kullaniciadi", QStringLiteral("İstenen Kullanıcı Adı"), 40, true},
        {"adres1", QStringLiteral("Adres"), 200, false},
        {"adres2", QStringLiteral("Adres (devam)"), 200, false},
        {"ilce", QStringLiteral("İlçe"), 60, false},
        {"sehir", QStringLiteral("Şehir"), 60, true},
        {"vergidairesi", QStringLiteral("Vergi Dairesi"), 80, false},
        {"vergino", QStringLiteral("Vergi No"), 20, false},
    };
    return fields;
}

QString requestForm(const QString &machineId, const QList<QPair<QString, QString>> &values,
                    const QStringList &errors)
{
    QString body = QStringLiteral("<h2>Kullanıcı Hesabı İstek Formu</h2>"
                                  "<p>Bu bilgisayar sistemde kayıtlı değil. Hesap açılması için aşağıdaki "
                                  "bilgileri doldurunuz; talebiniz incelendikten sonra size dönülecektir.</p>"
                                  "<p>Bilgisayar Kimliği: <b id=\"bilgisayarid\">%1</b></p>")
                       .arg(html(machineId));
    if (!errors.isEmpty()) {
        body += QStringLiteral("<div class=\"hata\"><ul>");
        for (const auto &e : errors)
            body += QStringLiteral("<li>%1</li>").arg(html(e));
        body += QStringLiteral("</ul></div>");
    }
    body += QStringLiteral("<form method=\"post\" action=\"/formmailgonder.aspx\" accept-charset=\"utf-8\">"
                           "<input type=\"hidden\" name=\"id\" value=\"%1\">")
                .arg(html(machineId));
    for (const auto &f : requestFormFields()) {
        const QString key = QLatin1StringView(f.key);
        QString value;
        for (const auto &kv : values)
            if (kv.first == key)
                value = kv.second;
        body += QStringLiteral("<label for=\"%1\">%2%3</label>"
                               "<input id=\"%1\" name=\"%1\" maxlength=\"%4\" value=\"%5\">")
                    .arg(key, html(f.label), f.required ? QStringLiteral(" *") : QString())
                    .arg(f.maxLength)
                    .arg(html(value.left(f.maxLength)));
    }
    body += QStringLiteral("<button type=\"submit\">Gönder</button></form>");
    return page(QStringLiteral("Kolvar Otomotiv B2B İstek Formu"), body);
}

QString requestThanks(int requestNo)
{
    return page(
        QStringLiteral("Talebiniz Alındı"),
        QStringLiteral("<h2>Talebiniz Alındı</h2><p>Hesap isteğiniz <b>%1</b> numarası ile kaydedildi. "
                       "En kısa sürede sizinle iletişime geçilecektir.</p>")
            .arg(requestNo));
}

QString homePage(const QString &name, const QString &address, const QString &phone, const QString &mail)
{
    return page(name,
                QStringLiteral("<h2>%1</h2><p>Otomotiv yedek parça toptan satış ve dağıtım.</p>"
                               "<table class=\"bilgi\"><tr><td>Adres</td><td>%2</td></tr>"
                               "<tr><td>Telefon</td><td>%3</td></tr>"
                               "<tr><td>E-Posta</td><td>%4</td></tr></table>"
                               "<p>Bayilerimiz siparişlerini Kolvar Otomotiv B2B programı ile verebilir.</p>")
                    .arg(html(name), html(address), html(phone), html(mail)));
}

QString paymentForm(const QString &carino, const QString &firm, const QString &balance,
                    const QString &providerName, const QStringList &errors)
{
    QString body = QStringLiteral("<h2>Sanal Pos ile Ödeme</h2>"
                                  "<p class=\"test\">Ödeme sağlayıcı: <b>%1</b></p>"
                                  "<table class=\"bilgi\"><tr><td>Firma</td><td id=\"firma\">%2</td></tr>"
                                  "<tr><td>Cari No</td><td id=\"carino\">%3</td></tr>"
                                  "<tr><td>Bakiye</td><td id=\"bakiye\">%4</td></tr></table>")
                       .arg(html(providerName), html(firm), html(carino), html(balance));
    if (!errors.isEmpty()) {
        body += QStringLiteral("<div class=\"hata\"><ul>");
        for (const auto &e : errors)
            body += QStringLiteral("<li>%1</li>").arg(html(e));
        body += QStringLiteral("</ul></div>");
    }
    body +=
        QStringLiteral("<form method=\"post\" action=\"/nirvokart.html\" autocomplete=\"off\">"
                       "<input type=\"hidden\" name=\"carino\" value=\"%1\">"
                       "<input type=\"hidden\" name=\"firmasi\" value=\"%2\">"
                       "<input type=\"hidden\" name=\"bakiye\" value=\"%3\">"
                       "<label for=\"tutar\">Ödenecek Tutar (TL)</label><input id=\"tutar\" name=\"tutar\">"
                       "<label for=\"kartsahibi\">Kart Sahibi</label>"
                       "<input id=\"kartsahibi\" name=\"kartsahibi\" maxlength=\"60\">"
                       "<label for=\"kartno\">Kart Numarası</label>"
                       "<input id=\"kartno\" name=\"kartno\" maxlength=\"23\" inputmode=\"numeric\">"
                       "<label for=\"sonkullanma\">Son Kullanma (AA/YY)</label>"
                       "<input id=\"sonkullanma\" name=\"sonkullanma\" maxlength=\"5\">"
                       "<label for=\"cvv\">Güvenlik Kodu</label>"
                       "<input id=\"cvv\" name=\"cvv\" maxlength=\"4\" inputmode=\"numeric\">"
                       "<button type=\"submit\">Ödeme Yap</button></form>")
            .arg(html(carino), html(firm), html(balance));
    return page(QStringLiteral("Sanal Pos"), body);
}

QString paymentDone(const QString &firm, const QString &carino, const QString &amount, int sequenceNo,
                    const QString &authCode)
{
    return page(QStringLiteral("Ödeme Alındı"),
                QStringLiteral("<h2>Ödemeniz Alındı</h2><table class=\"bilgi\">"
                               "<tr><td>Firma</td><td>%1</td></tr><tr><td>Cari No</td><td>%2</td></tr>"
                               "<tr><td>Tutar</td><td>%3 TL</td></tr>"
                               "<tr><td>Sanal Pos Sıra No</td><td id=\"sirano\">%4</td></tr>"
                               "<tr><td>Onay Kodu</td><td>%5</td></tr></table>"
                               "<p>Makbuzunuzu programın Cari Ekstre bölümünden alabilirsiniz.</p>")
                    .arg(html(firm), html(carino), html(amount))
                    .arg(sequenceNo)
                    .arg(html(authCode)));
}

QString notFound()
{
    return page(QStringLiteral("Sayfa Bulunamadı"),
                QStringLiteral("<h2>Sayfa Bulunamadı</h2><p>İstediğiniz sayfa bu sunucuda yok.</p>"));
}

} // namespace kolvar::server::web

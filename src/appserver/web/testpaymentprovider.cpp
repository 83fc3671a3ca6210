#include "paymentprovider.h"

#include <QDate>
#include <QRandomGenerator>

namespace kolvar::server {

bool cardNumberLooksValid(const QString &digits)
{
    if (digits.size() < 12 || digits.size() > 19)
        return false;
    int sum = 0;
    bool twice = false;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const QChar c = digits.at(i);
        if (c < u'0' || c > u'9')
            return false;
        int d = c.unicode() - u'0';
        if (twice) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

namespace {

class TestPaymentProvider final : public PaymentProvider
{
public:
    QString name() const override { return QStringLiteral("TEST SANAL POS (gerçek ödeme alınmaz)"); }

    PaymentOutcome charge(const CardPayment &p) override
    {
        PaymentOutcome out;
        out.bank = QStringLiteral("TEST BANKASI");
        const QDate today = QDate::currentDate();
        const bool expired =
            p.expiryYear < today.year() || (p.expiryYear == today.year() && p.expiryMonth < today.month());
        if (p.expiryMonth < 1 || p.expiryMonth > 12 || expired) {
            out.message = QStringLiteral("Kartın son kullanma tarihi geçersiz.");
            return out;
        }
        static const QString approved[] = {QStringLiteral("4111111111111111"),
                                           QStringLiteral("5555555555554444")};
        for (const auto &number : approved) {
            if (p.cardNumber == number) {
                out.approved = true;
                out.authorisationCode =
                    QStringLiteral("T%1").arg(QRandomGenerator::global()->bounded(100000, 999999));
                return out;
            }
        }
        out.message = QStringLiteral("Ödeme banka tarafından onaylanmadı.");
        return out;
    }
};

} // namespace

std::unique_ptr<PaymentProvider> createTestPaymentProvider()
{
    return std::make_unique<TestPaymentProvider>();
}

} // namespace kolvar::server

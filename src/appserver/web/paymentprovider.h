#pragma once

#include <QString>

#include <memory>

namespace kolvar::server {

struct CardPayment {
    QString cardNumber; // digits only
    QString holder;
    int expiryMonth = 0;
    int expiryYear = 0; // four digits
    QString cvv;
    double amount = 0;
};

struct PaymentOutcome {
    bool approved = false;
    QString authorisationCode; // when approved
    QString bank;
    QString message; // shown to the payer when declined
};

// The bank side of a card payment. Production sites plug in their bank's
// gateway; the host ships only the test provider below.
class PaymentProvider
{
public:
    virtual ~PaymentProvider() = default;
    virtual QString name() const = 0;
    virtual PaymentOutcome charge(const CardPayment &payment) = 0;
};

// Accepts the well-known test card numbers and nothing else; never talks to
// a bank and never charges anybody.
//   4111 1111 1111 1111, 5555 5555 5555 4444 : approved
//   4000 0000 0000 0002                       : declined
std::unique_ptr<PaymentProvider> createTestPaymentProvider();

// Luhn check of a digits-only card number of 12 to 19 digits.
bool cardNumberLooksValid(const QString &digits);

} // namespace kolvar::server

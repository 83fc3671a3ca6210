#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace kolvar::server::web {

// Page texts of the web host. Every value that comes from a request goes
// through html() before it lands in a page.
QString html(const QString &text);

QString page(const QString &title, const QString &body);

struct FormField {
    const char *key; // form key and database column
    QString label;   // Turkish label
    int maxLength;
    bool required;
};
const QList<FormField> &requestFormFields();

QString requestForm(const QString &machineId, const QList<QPair<QString, QString>> &values,
                    const QStringList &errors);
QString requestThanks(int requestNo);

QString homePage(const QString &name, const QString &address, const QString &phone, const QString &mail);

QString paymentForm(const QString &carino, const QString &firm, const QString &balance,
                    const QString &providerName, const QStringList &errors);
QString paymentDone(const QString &firm, const QString &carino, const QString &amount, int sequenceNo,
                    const QString &authCode);

QString notFound();

} // namespace kolvar::server::web

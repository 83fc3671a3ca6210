#include "formistekyeniu.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace kolvar {

Tformistekyeni::Tformistekyeni(QWidget *owner, const QString &url) : QDialog(owner)
{
    setObjectName(QStringLiteral("formistekyeni"));
    setWindowTitle(QStringLiteral("Kolvar Otomotiv B2B İstek Formu"));
    auto *root = new QVBoxLayout(this);
    auto *adres = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()), this);
    adres->setObjectName(QStringLiteral("adres"));
    adres->setOpenExternalLinks(true);
    adres->setTextInteractionFlags(Qt::TextBrowserInteraction);
    adres->setWordWrap(true);
    root->addWidget(adres);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Tamam"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    root->addWidget(buttons);
    resize(640, 160);
    QTimer::singleShot(0, this, [url] { QDesktopServices::openUrl(QUrl(url)); });
}

} // namespace kolvar

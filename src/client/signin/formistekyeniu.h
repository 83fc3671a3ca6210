#pragma once

#include <QDialog>

namespace kolvar {

// The request window for a computer the server does not know: shows the
// page's address and opens it in the system's browser, where the owner of
// the computer asks for an account.
class Tformistekyeni : public QDialog
{
    Q_OBJECT
public:
    Tformistekyeni(QWidget *owner, const QString &url);
};

} // namespace kolvar

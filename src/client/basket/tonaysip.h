#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kolvar {

// "Sipariş Onay": the order summary in a fixed-width font, the overdue
// warning in red, the question, and Evet (accepts) / Hayır (rejects).
class TONAYSIP : public QDialog
{
    Q_OBJECT
public:
    explicit TONAYSIP(QWidget *owner);

    QLabel *Label2 = nullptr; // the summary
    QLabel *Label3 = nullptr; // the overdue-balance warning
    QLabel *Label1 = nullptr; // the question
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

inline const QString kOnaySorusu = QStringLiteral("Yukarıda bilgileri verilen siparişi onaylıyor musunuz ?");

} // namespace kolvar

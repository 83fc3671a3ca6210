#pragma once

#include <QObject>

class QWidget;

namespace kolvar {

class ClientDataSet;
class TForm1;

// The "Sepet" tab: the server-side basket, its totals, selection,
// deletion, Excel export and the overdue-balance warning.
class SepetSekmesi : public QObject
{
    Q_OBJECT
public:
    explicit SepetSekmesi(TForm1 *form);
    ~SepetSekmesi() override;

    ClientDataSet *sepet() const { return m_sepet; }
    // Reloads the basket from the server, then the tab caption and totals.
    void SepetYukle();

    // Where the order controls of the tab go (bottom panel, left part).
    QWidget *siparisPaneli() const { return m_siparisPaneli; }
    // The overdue-balance warning as shown, and the grand total as its
    // value label shows it; both are repeated in the order confirmation.
    QString uyariMetni() const;
    QString genelToplamMetni() const;

Q_SIGNALS:
    // The tab was shown and the basket reloaded: the delivery and cargo
    // choices are loaded next.
    void sekmeGosterildi();

private:
    TForm1 *m_form;
    ClientDataSet *m_sepet;
    QWidget *m_siparisPaneli = nullptr;
};

} // namespace kolvar

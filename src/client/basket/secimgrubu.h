#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace kolvar {

// A captioned group of radio buttons, one per item, each item carrying an
// integer id beside its name; at most one item is chosen.
class SecimGrubu : public QGroupBox
{
    Q_OBJECT
public:
    explicit SecimGrubu(const QString &baslik, QWidget *parent = nullptr);

    void temizle(); // no items, nothing chosen
    void ekle(const QString &ad, int id);
    int sayi() const { return int(m_dugmeler.size()); }
    QString ad(int index) const;
    int id(int index) const;

    // -1 when nothing is chosen; setting it does not emit tiklandi().
    int itemIndex() const;
    void setItemIndex(int index);

    QRadioButton *dugme(int index) const { return m_dugmeler.value(index); }

Q_SIGNALS:
    // The user chose an item.
    void tiklandi();

private:
    QVBoxLayout *m_yerlesim;
    QButtonGroup *m_grup;
    QList<QRadioButton *> m_dugmeler;
    QList<int> m_idler;
    QStringList m_adlar;
};

} // namespace kolvar

#pragma once

#include <QDialog>
#include <QImage>
#include <QLineEdit>

#include <stdexcept>

class QLabel;
class QPushButton;
class QSpinBox;

namespace kolvar {

// A box for an amount: shows its value with "#,###,##0.00" in the user's
// locale. Read only unless made writable; a typed text that reads as a
// number becomes the value, and leaving the box writes the value back in
// the display format.
class ParaKutusu : public QLineEdit
{
    Q_OBJECT
public:
    explicit ParaKutusu(QWidget *parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);
    // The user typed a value other than the one last set.
    bool elleDegisti() const { return m_value != m_verilen; }

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void metniOku(const QString &text);

    double m_value = 0;
    double m_verilen = 0;
};

// A picture drawn centred in the widget, scaled down or up with its
// proportions kept; empty when it has none.
class ResimKutusu : public QWidget
{
    Q_OBJECT
public:
    explicit ResimKutusu(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    void clear() { setImage({}); }
    const QImage &image() const { return m_image; }
    bool isEmpty() const { return m_image.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

// The quantity box held a text that is not a quantity when it was read.
class MiktarHatasi : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The stock detail window "Sepete Ekle": a stock's picture, codes and
// prices and the quantity to put into the basket, with the amount for that
// quantity. It only shows values and computes the amount; whoever opens it
// fills the controls and `kdvlifiyat`, runs it modally and reads it back.
class Tstokayarinti : public QDialog
{
    Q_OBJECT
public:
    explicit Tstokayarinti(QWidget *owner);
    ~Tstokayarinti() override;

    static constexpr int kEnAzAdet = 1;
    static constexpr int kEnCokAdet = 10000;

    // The quantity as typed when the window was confirmed, read as a
    // number. Throws MiktarHatasi when the text is not a whole number within
    // the box's range.
    double Miktar() const;

    QLabel *barkod = nullptr;
    QLabel *adi = nullptr;
    QLabel *finishkod = nullptr;
    QLabel *marka = nullptr;
    QLabel *model = nullptr;
    ResimKutusu *Image1 = nullptr;
    QSpinBox *adet = nullptr;
    QLabel *Label2 = nullptr;
    ParaKutusu *birimfiyat = nullptr;
    QLabel *indirimoran = nullptr;
    ParaKutusu *indtutar = nullptr;
    ParaKutusu *kdvdahiltutar = nullptr;
    ParaKutusu *geneltutar = nullptr;
    QPushButton *ParcaliTus1 = nullptr;
    QPushButton *ParcaliTus2 = nullptr;

    // The VAT-inclusive unit price the amount is computed from when the
    // window opens.
    double kdvlifiyat = 0;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void FormActivate();
    void adetChange();
    bool adetKeyDown(QKeyEvent *key);
    bool birimfiyatKeyDown(QKeyEvent *key);
    void birimfiyatKeyUp();
    void ParcaliTus1Click();
    void ParcaliTus2Click();

    // The quantity for the amount: 1 when the text cannot be read.
    double hesapMiktari() const;
    // The amount from the VAT-inclusive box and the quantity.
    void tutarHesapla();

    QString m_onaylananAdet;
};

} // namespace kolvar

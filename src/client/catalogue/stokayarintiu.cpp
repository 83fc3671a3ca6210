#include "stokayarintiu.h"

#include <format/numberformat.h>

#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace kolvar {

namespace {

const QString &tutarBicimi()
{
    static const QString bicim = kAmountFormat;
    return bicim;
}

} // namespace

ParaKutusu::ParaKutusu(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *dogrulayici = new QDoubleValidator(0, 999999999.99, 2, this);
    dogrulayici->setNotation(QDoubleValidator::StandardNotation);
    setValidator(dogrulayici);
    connect(this, &QLineEdit::textEdited, this, &ParaKutusu::metniOku);
    setValue(0);
}

void ParaKutusu::setValue(double value)
{
    m_value = value;
    m_verilen = value;
    setText(formatNumber(value, tutarBicimi()));
}

void ParaKutusu::metniOku(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        m_value = 0;
        return;
    }
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    if (ok && std::isfinite(v))
        m_value = v;
}

void ParaKutusu::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!isReadOnly())
        setText(formatNumber(m_value, tutarBicimi()));
}

ResimKutusu::ResimKutusu(QWidget *parent) : QWidget(parent) {}

void ResimKutusu::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void ResimKutusu::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize boy = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect hedef(QPoint((width() - boy.width()) / 2, (height() - boy.height()) / 2), boy);
    p.drawImage(hedef, m_image);
}

namespace {

QLabel *etiket(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel *deger(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setWordWrap(true);
    return l;
}

ParaKutusu *paraKutusu(const char *name, QWidget *parent)
{
    auto *k = new ParaKutusu(parent);
    k->setObjectName(QLatin1String(name));
    k->setMinimumWidth(140);
    return k;
}

bool enterMi(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

Tstokayarinti::Tstokayarinti(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("stokayarinti"));
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    setModal(true);

    Image1 = new ResimKutusu(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMinimumSize(320, 260);

    barkod = deger("barkod", this);
    adi = deger("adi", this);
    finishkod = deger("finishkod", this);
    marka = deger("marka", this);
    model = deger("model", this);

    adet = new QSpinBox(this);
    adet->setObjectName(QStringLiteral("adet"));
    adet->setRange(kEnAzAdet, kEnCokAdet);
    adet->setValue(1);
    adet->setAlignment(Qt::AlignRight);

    Label2 = etiket(QStringLiteral("Fiyat:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    birimfiyat = paraKutusu("birimfiyat", this);
    indirimoran = etiket(QStringLiteral("İndirim:"), this);
    indirimoran->setObjectName(QStringLiteral("indirimoran"));
    indtutar = paraKutusu("indtutar", this);
    kdvdahiltutar = paraKutusu("kdvdahiltutar", this);
    geneltutar = paraKutusu("geneltutar", this);

    ParcaliTus1 = new QPushButton(QStringLiteral("Sipariş ekle"), this);
    ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    ParcaliTus2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    // Enter does what each box says, never "press the default button".
    for (QPushButton *b : {ParcaliTus1, ParcaliTus2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumHeight(34);
    }

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    int row = 0;
    const auto satir = [&](QLabel *label, QWidget *field) {
        form->addWidget(label, row, 0);
        form->addWidget(field, row, 1);
        if (!qobject_cast<QLabel *>(field)) {
            label->setBuddy(field);
            field->setAccessibleName(label->text());
        }
        ++row;
    };
    satir(etiket(QStringLiteral("Barkod:"), this), barkod);
    satir(etiket(QStringLiteral("Açıklama:"), this), adi);
    satir(etiket(QStringLiteral("Finish Kod:"), this), finishkod);
    satir(etiket(QStringLiteral("Marka:"), this), marka);
    satir(etiket(QStringLiteral("Model:"), this), model);
    form->setRowMinimumHeight(row++, 8);
    satir(Label2, birimfiyat);
    satir(indirimoran, indtutar);
    satir(etiket(QStringLiteral("KDV Dahil:"), this), kdvdahiltutar);
    satir(etiket(QStringLiteral("Adet:"), this), adet);
    satir(etiket(QStringLiteral("Tutar:"), this), geneltutar);
    form->setColumnStretch(1, 1);
    form->setColumnMinimumWidth(1, 220);

    auto *ust = new QHBoxLayout;
    ust->addWidget(Image1, 1);
    ust->addLayout(form);

    auto *tuslar = new QHBoxLayout;
    tuslar->addStretch(1);
    tuslar->addWidget(ParcaliTus1);
    tuslar->addWidget(ParcaliTus2);

    auto *kok = new QVBoxLayout(this);
    kok->addLayout(ust, 1);
    kok->addLayout(tuslar);

    connect(adet, &QSpinBox::textChanged, this, &Tstokayarinti::adetChange);
    connect(ParcaliTus1, &QPushButton::clicked, this, &Tstokayarinti::ParcaliTus1Click);
    connect(ParcaliTus2, &QPushButton::clicked, this, &Tstokayarinti::ParcaliTus2Click);
    adet->installEventFilter(this);
    for (QLineEdit *e : adet->findChildren<QLineEdit *>())
        e->installEventFilter(this);
    for (ParaKutusu *k : {birimfiyat, indtutar, kdvdahiltutar, geneltutar})
        k->installEventFilter(this);
    setTabOrder(adet, ParcaliTus1);
    setTabOrder(ParcaliTus1, ParcaliTus2);
}

Tstokayarinti::~Tstokayarinti() = default;

double Tstokayarinti::Miktar() const
{
    const QString text = m_onaylananAdet;
    bool ok = false;
    const double miktar = QLocale().toDouble(text, &ok);
    if (!ok || miktar != std::floor(miktar) || miktar < adet->minimum() || miktar > adet->maximum())
        throw MiktarHatasi(QStringLiteral("'%1' geçerli bir miktar değil").arg(text).toStdString());
    return miktar;
}

double Tstokayarinti::hesapMiktari() const
{
    bool ok = false;
    const double miktar = QLocale().toDouble(adet->cleanText(), &ok);
    return ok ? miktar : 1.0;
}

void Tstokayarinti::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool Tstokayarinti::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

bool Tstokayarinti::eventFilter(QObject *watched, QEvent *event)
{
    const bool adetten = watched == adet || watched->parent() == adet;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (adetten)
            return adetKeyDown(key);
        if (watched == birimfiyat)
            return birimfiyatKeyDown(key);
    } else if (event->type() == QEvent::KeyRelease && !adetten) {
        birimfiyatKeyUp();
    }
    return QDialog::eventFilter(watched, event);
}

void Tstokayarinti::FormShow()
{
    // The first amount comes from the kept price, not from the box: for a
    // new stock off campaign the box holds the client's own figure.
    geneltutar->setValue(IkiHaneYuvarla(hesapMiktari() * kdvlifiyat));
    adet->setFocus();
}

void Tstokayarinti::FormActivate()
{
    adet->selectAll();
}

void Tstokayarinti::adetChange()
{
    tutarHesapla();
}

bool Tstokayarinti::adetKeyDown(QKeyEvent *key)
{
    if (!enterMi(key))
        return false;
    ParcaliTus1Click();
    return true;
}

bool Tstokayarinti::birimfiyatKeyDown(QKeyEvent *key)
{
    return enterMi(key);
}

void Tstokayarinti::birimfiyatKeyUp()
{
    tutarHesapla();
}

void Tstokayarinti::tutarHesapla()
{
    geneltutar->setValue(IkiHaneYuvarla(kdvdahiltutar->value() * hesapMiktari()));
}

void Tstokayarinti::ParcaliTus1Click()
{
    // Kept before closing: losing the focus puts the last valid number back
    // into the box.
    m_onaylananAdet = adet->cleanText();
    accept();
}

void Tstokayarinti::ParcaliTus2Click()
{
    reject();
}

} // namespace kolvar

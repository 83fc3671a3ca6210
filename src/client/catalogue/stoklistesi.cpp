#include "stoklistesi.h"

#include "bildirimkapali.h"
#include "fiyatbilgisi.h"
#include "stokayrinti.h"
#include "stokkolonlari.h"

#include <app/beklesinu.h>
#include <app/unit1.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>
#include <platform/dialogs/mesajver.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace kolvar {

namespace {

constexpr int DarPencere = 1152; // main window widths up to this use the narrow layout
constexpr int DarSatir = 100;
constexpr int GenisSatir = 50;
constexpr int DarOemGenisligi = 80;
constexpr int DarFiyatGenisligi = 150;

const QString kStokListesi = QStringLiteral("Stok Listesi");

// The search text never holds Turkish letters when typed; the codes it is
// matched against are written without them.
QString AramaHarfleri(const QString &yazi)
{
    static const QHash<QChar, QChar> harfler{
        {u'ğ', u'g'}, {u'ü', u'u'}, {u'ş', u's'}, {u'ö', u'o'}, {u'ç', u'c'}, {u'ı', u'I'},
        {u'Ğ', u'G'}, {u'Ü', u'U'}, {u'Ş', u'S'}, {u'İ', u'I'}, {u'Ö', u'O'}, {u'Ç', u'C'},
    };
    QString sonuc = yazi;
    for (QChar &c : sonuc)
        c = harfler.value(c, c);
    return sonuc;
}

} // namespace

StokListesi::StokListesi(TForm1 *form)
    : QObject(form), m_form(form), m_araedit(form->araedit), m_araeditCanli(form->araedit), m_pencere(form),
      m_stok(new ClientDataSet(this))
{
    m_stok->setObjectName(QStringLiteral("stok"));

    auto *yerlesim = new QVBoxLayout(m_form->sstoklistesi);
    yerlesim->setContentsMargins(0, 0, 0, 0);
    m_grid = new DataGrid(m_form->sstoklistesi);
    m_grid->setObjectName(QStringLiteral("cxGrid1"));
    m_grid->view()->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    m_grid->setColumns(
        StokKolonlari([this](QPainter *p, const QRect &r, int row, bool selected, const RowStyle &style) {
            // cxGrid1DBTableView1FiyatBilgisiCustomDrawCell
            if (const ClientDataSet *ds = m_grid->dataSet())
                FiyatBilgisiCiz(p, r, FiyatBilgisiMetni(FiyatBilgisiOku(*ds, row)), selected, style);
        }));
    m_grid->setLook(StokGorunumu());
    m_grid->setSummaries({{QStringLiteral("BARKOD"), SummaryKind::Count}});
    m_grid->setDataSet(m_stok);
    yerlesim->addWidget(m_grid);

    m_popstok = new QMenu(m_grid);
    m_popstok->setObjectName(QStringLiteral("popstok"));
    m_S2 = m_popstok->addAction(QStringLiteral("Sepete Ekle"));
    m_S2->setObjectName(QStringLiteral("S2"));
    m_popstok->addSeparator();
    m_popstok->addAction(QStringLiteral("Sipariş Bakiyeleriniz"))->setObjectName(QStringLiteral("S3"));
    m_popstok->addSeparator();
    QAction *siparisler = m_popstok->addAction(QStringLiteral("Siparişleri Göster"));
    siparisler->setObjectName(QStringLiteral("S4"));
    m_grid->setPopupMenu(m_popstok);
    connect(m_S2, &QAction::triggered, this, &StokListesi::cxGrid1DBTableView1DblClick);
    connect(siparisler, &QAction::triggered, this, [this] {
        const int stokno = OdaktakiStogaGit(*m_grid, m_stok);
        if (stokno >= 0)
            Q_EMIT siparisleriGosterIstendi(stokno);
    });
    connect(m_grid, &DataGrid::doubleClicked, this, &StokListesi::cxGrid1DBTableView1DblClick);
    m_grid->installEventFilter(this);

    QLineEdit *araedit = m_form->araedit;
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(20);
    araedit->setFont(f);
    araedit->installEventFilter(this);
    // Pasted or programmatically set text is shown in capitals too.
    connect(araedit, &QLineEdit::textChanged, this, [araedit](const QString &yazi) {
        const QString buyuk = yazi.toUpper();
        if (buyuk != yazi) {
            const int imlec = araedit->cursorPosition();
            araedit->setText(buyuk);
            araedit->setCursorPosition(imlec);
        }
    });
    connect(m_form->SpeedButton2, &QToolButton::clicked, this, &StokListesi::SpeedButton2Click);
    connect(m_form->SpeedButton1, &QToolButton::clicked, this, &StokListesi::SpeedButton1Click);

    connect(m_form, &TForm1::hesapGorunumuDegisti, this, &StokListesi::hesapGorunumuUygula);
    hesapGorunumuUygula(m_form->hesapGorunumu());
}

StokListesi::~StokListesi()
{
    // A search still running fills `stok` on its worker; it goes with this
    // object, so wait for it first.
    m_calisma->bekle();
}

bool StokListesi::aramaSuruyor() const
{
    return m_araeditCanli && !m_araedit->isEnabled();
}

bool StokListesi::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_araeditCanli) // the window is going away
        return false;
    if (watched == m_grid && event->type() == QEvent::Resize) {
        cxGrid1Resize();
    } else if (watched == m_araedit && event->type() == QEvent::KeyPress) {
        auto *tus = static_cast<QKeyEvent *>(event);
        if (tus->key() == Qt::Key_Return || tus->key() == Qt::Key_Enter) {
            araeditKeyPress();
            return true;
        }
        const QString yazi = tus->text();
        if (!yazi.isEmpty() && yazi.at(0).isPrint() &&
            !(tus->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            const QString duz = AramaHarfleri(yazi).toUpper();
            if (duz != yazi) {
                m_araedit->insert(duz);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void StokListesi::sekmeBasligi(const QString &baslik)
{
    m_form->sPageControl1->setTabText(m_form->sPageControl1->indexOf(m_form->sstoklistesi), baslik);
}

void StokListesi::araeditKeyPress()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (aramaSuruyor())
        return;
    QLineEdit *araedit = m_form->araedit;
    m_form->sPageControl1->setCurrentWidget(m_form->sstoklistesi);
    const QString kod = araedit->text();
    araedit->setEnabled(false); // also the busy mark of the search
    m_form->gifstokara->show();
    m_grid->setDataSet(nullptr);
    m_grid->beginUpdate();
    m_grid->clearFilters();

    // The copy is taken here: the worker must not read the record the window
    // may change meanwhile.
    auto bilgi = std::make_shared<std::unique_ptr<TSonucBilgisi>>(std::make_unique<TSonucBilgisi>());
    (*bilgi)->Kopyala(m_form->sbilgi());
    auto hata = std::make_shared<bool>(true);
    QPointer<StokListesi> self(this);
    // The main window, and with it this object, lives until the process
    // ends, so the worker may hold it.
    Async(CalismaIzi::sar(m_calisma, [this, kod, bilgi, hata] {
        *hata = StoklariAl(kod, std::move(*bilgi));
    }))->Await([self, hata] {
        if (!self)
            return;
        Q_ASSERT(QThread::currentThread() == self->thread());
        TForm1 *form = self->m_form;
        form->araedit->setEnabled(true);
        self->m_grid->setDataSet(self->m_stok);
        self->m_grid->endUpdate();
        self->sekmeBasligi(QString::number(self->m_stok->recordCount()) + QStringLiteral("=Stok Listesi"));
        form->araedit->selectAll();
        form->araedit->setFocus();
        form->gifstokara->hide();
        if (*hata) {
            if (self->m_stok->isActive())
                self->m_stok->emptyDataSet();
            MesajVer(kBaglantiKurulamiyor, mkError, {mbOK}, mbOK, form);
            if (!self)
                return;
            self->sekmeBasligi(kStokListesi);
        }
        // The price cell's width follows the prices just loaded.
        if (self->m_duzenBekliyor || self->m_pencere->width() <= DarPencere)
            self->cxGrid1Resize();
        Q_EMIT self->aramaBitti(*hata);
    });
}

bool StokListesi::StoklariAl(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    ClientDataSet &stok = *m_stok;
    try {
        const bool baglandi = KopyaylaCagir(*m_form->bagc(), 0, [&](TServerMethods1Client &proxy) {
            BildirimKapali kapali(stok);
            stok.assignData(proxy.StokAraGetir(kod, std::move(bilgi)));
            stok.fieldValue(u"IND1"); // a result without the discount rates is no stock list
            OndalikBicimle(stok);
        });
        return !baglandi;
    } catch (...) {
        return true;
    }
}

void StokListesi::SpeedButton2Click()
{
    if (!aramaSuruyor())
        araeditKeyPress();
}

void StokListesi::SpeedButton1Click()
{
    if (aramaSuruyor())
        return;
    if (m_stok->isActive()) {
        m_stok->emptyDataSet();
        sekmeBasligi(kStokListesi);
    }
    m_form->sPageControl1->setCurrentWidget(m_form->sstoklistesi);
    m_grid->clearFilters();
    QLineEdit *araedit = m_form->araedit;
    araedit->clear();
    araedit->selectAll();
    araedit->setFocus();
}

void StokListesi::cxGrid1Resize()
{
    if (aramaSuruyor()) {
        m_duzenBekliyor = true;
        return;
    }
    StokGridDuzenle();
}

void StokListesi::StokGridDuzenle()
{
    m_duzenBekliyor = false;
    const bool dar = m_pencere->width() <= DarPencere;
    const auto izinli = [this](const QString &field) {
        return m_gorunum.kolonGorunur(Izgara::Stok, field).value_or(true);
    };
    m_grid->beginUpdate();
    for (const char *field : {"KDVDAHIL", "NETFIYAT", "KAMPFIYAT", "LISTEFIYAT1"}) {
        const QString f = QLatin1String(field);
        m_grid->setColumnVisible(m_grid->columnOfField(f), !dar && izinli(f));
    }
    const int fiyatBilgisi = m_grid->columnOfCaption(kFiyatBilgisi);
    m_grid->setColumnVisible(fiyatBilgisi, dar);
    const int satir = dar ? DarSatir : GenisSatir;
    if (m_grid->look().rowHeight != satir) {
        GridLook look = m_grid->look();
        look.rowHeight = satir;
        m_grid->setLook(look);
    }
    if (dar) {
        // The OEM numbers and the price cell have widths of their own; the
        // other columns share the rest by weight, so the price cell stays in
        // view. It is wider than its design width when the prices need it: a
        // price cut to its last digits would read as another price.
        QHash<int, int> sabit;
        for (const QStringView field : {u"OEM1", u"OEM2", u"OEM3"})
            sabit.insert(m_grid->columnOfField(field), DarOemGenisligi);
        sabit.insert(fiyatBilgisi,
                     qMax(DarFiyatGenisligi, FiyatBilgisiGenisligi(*m_stok, m_grid->look().font)));
        m_grid->applyWeights(sabit);
    } else {
        m_grid->applyWeights();
    }
    m_grid->endUpdate();
}

void StokListesi::cxGrid1DBTableView1DblClick()
{
    const int stokno = OdaktakiStogaGit(*m_grid, m_stok);
    if (stokno >= 0)
        m_form->stokAyrinti()->StokAc(StokKaynagi::StokListesi, stokno);
}

void StokListesi::hesapGorunumuUygula(const HesapGorunumu &gorunum)
{
    m_gorunum = gorunum;
    HesapKolonlariniUygula(*m_grid, Izgara::Stok, gorunum);
    // The price columns follow the layout, within what the account sees.
    cxGrid1Resize();
}

} // namespace kolvar

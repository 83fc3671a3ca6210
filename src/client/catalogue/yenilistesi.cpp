#include "yenilistesi.h"

#include "bildirimkapali.h"
#include "stokayrinti.h"
#include "stokkolonlari.h"

#include <app/beklesinu.h>
#include <app/unit1.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kolvar {

namespace {

DataGrid *izgaraKur(QWidget *sayfa, const char *ad, const char *gorunum, QList<GridColumn> kolonlar,
                    const GridLook &look, ClientDataSet *ds)
{
    auto *yerlesim = new QVBoxLayout(sayfa);
    yerlesim->setContentsMargins(0, 0, 0, 0);
    auto *grid = new DataGrid(sayfa);
    grid->setObjectName(QLatin1String(ad));
    grid->view()->setObjectName(QLatin1String(gorunum));
    grid->setColumns(std::move(kolonlar));
    grid->setLook(look);
    grid->setSummaries({{QStringLiteral("BARKOD"), SummaryKind::Count}});
    grid->setDataSet(ds);
    yerlesim->addWidget(grid);
    return grid;
}

// The UI-thread halves of a tab load: the grid is disabled, detached and in
// a batch update while the worker fills its dataset; a load that succeeded
// puts the row count before `baslik` in the tab's caption.
void yukleyiciBagla(SekmeYukleyici *y, DataGrid *grid, ClientDataSet *ds, QWidget *mesgul,
                    QTabWidget *sekmeler, QWidget *sayfa, const QString &baslik)
{
    y->setBusyWidget(mesgul);
    y->setPrepare([grid] {
        grid->setEnabled(false);
        grid->setDataSet(nullptr);
        grid->beginUpdate();
    });
    y->setRestore([grid, ds] {
        grid->setDataSet(ds);
        grid->endUpdate();
        grid->setEnabled(true);
    });
    y->setFinish([=](bool hata) {
        if (!hata)
            sekmeler->setTabText(sekmeler->indexOf(sayfa), QString::number(ds->recordCount()) + baslik);
    });
}

} // namespace

YeniKampanyaliListeler::YeniKampanyaliListeler(TForm1 *form)
    : QObject(form), m_form(form), m_syeniler(form->syeniler), m_skampanyali(form->skampanyali),
      m_aramaSeridi(form->gifyeniler), m_yeniler(new ClientDataSet(this)), m_kampstok(new ClientDataSet(this))
{
    m_yeniler->setObjectName(QStringLiteral("YENILER"));
    m_kampstok->setObjectName(QStringLiteral("kampstok"));

    m_cxGrid6 = izgaraKur(m_form->syeniler, "cxGrid6", "cxGridDBTableView5", YeniKolonlari(), YeniGorunumu(),
                          m_yeniler);
    m_cxkampanyali = izgaraKur(m_form->skampanyali, "cxkampanyali", "cxGridDBTableViewkampanyali",
                               KampanyaliKolonlari(), KampanyaliGorunumu(), m_kampstok);
    connect(m_cxGrid6, &DataGrid::doubleClicked, this, &YeniKampanyaliListeler::cxGridDBTableView5DblClick);
    connect(m_cxkampanyali, &DataGrid::doubleClicked, this,
            &YeniKampanyaliListeler::cxGridDBTableViewkampanyaliDblClick);
    m_cxGrid6->installEventFilter(this);
    m_cxkampanyali->installEventFilter(this);

    // Each tab goes through its own loader, which starts no second load
    // while one runs: a show during a load is served by the running load,
    // and two loads never fill one dataset at the same time.
    m_yeniYukleyici = new SekmeYukleyici(this);
    yukleyiciBagla(m_yeniYukleyici, m_cxGrid6, m_yeniler, m_form->gifyeniler, m_form->sPageControl1,
                   m_form->syeniler, QStringLiteral("=Yeni Stoklar"));
    m_yeniYukleyici->setLoader([this] { return YenileriAl(m_carino); });
    connect(m_yeniYukleyici, &SekmeYukleyici::finished, this, &YeniKampanyaliListeler::yenilerYuklendi);

    m_kampYukleyici = new SekmeYukleyici(this);
    yukleyiciBagla(m_kampYukleyici, m_cxkampanyali, m_kampstok, m_form->gifkampanyali, m_form->sPageControl1,
                   m_form->skampanyali, QStringLiteral("=Kampanyalı"));
    m_kampYukleyici->setLoader([this] { return KampanyalilariAl(m_kampCarino, m_musteriTipi); });
    connect(m_kampYukleyici, &SekmeYukleyici::finished, this, &YeniKampanyaliListeler::kampanyalilarYuklendi);

    m_form->syeniler->installEventFilter(this);
    m_form->skampanyali->installEventFilter(this);

    connect(m_form, &TForm1::hesapGorunumuDegisti, this, &YeniKampanyaliListeler::hesapGorunumuUygula);
    hesapGorunumuUygula(m_form->hesapGorunumu());
}

YeniKampanyaliListeler::~YeniKampanyaliListeler()
{
    // A load still running fills YENILER or kampstok on its worker; both go
    // with this object, so wait for it first.
    m_yeniYukleyici->bekle();
    m_kampYukleyici->bekle();
}

bool YeniKampanyaliListeler::eventFilter(QObject *watched, QEvent *event)
{
    // A page becoming visible (not the window coming back from the task bar).
    if (!m_aramaSeridi) // the window is going away
        return false;
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        if (watched == m_syeniler)
            syenilerShow();
        else if (watched == m_skampanyali)
            skampanyaliShow();
    } else if (event->type() == QEvent::Resize) {
        if (watched == m_cxGrid6)
            cxGrid6Resize();
        else if (watched == m_cxkampanyali)
            cxkampanyaliResize();
    }
    return QObject::eventFilter(watched, event);
}

void YeniKampanyaliListeler::syenilerShow()
{
    if (m_yeniYukleyici->isRunning())
        return;
    m_carino = m_form->sbilgi().CARINO();
    m_yeniYukleyici->start();
}

void YeniKampanyaliListeler::skampanyaliShow()
{
    if (m_kampYukleyici->isRunning())
        return;
    m_kampCarino = m_form->sbilgi().CARINO();
    m_musteriTipi = m_form->sbilgi().MusteriTipi();
    m_kampYukleyici->start();
}

bool YeniKampanyaliListeler::yenilerYukleniyor() const
{
    return m_yeniYukleyici->isRunning();
}

bool YeniKampanyaliListeler::kampanyalilarYukleniyor() const
{
    return m_kampYukleyici->isRunning();
}

bool YeniKampanyaliListeler::YenileriAl(int carino)
{
    return !KopyaylaCagir(*m_form->bagc(), 0, [&](TServerMethods1Client &proxy) {
        BildirimKapali kapali(*m_yeniler);
        m_yeniler->assignData(proxy.YenilerVer2(carino));
        OndalikBicimle(*m_yeniler);
    });
}

bool YeniKampanyaliListeler::KampanyalilariAl(int carino, int musteriTipi)
{
    return !KopyaylaCagir(*m_form->bagc(), 0, [&](TServerMethods1Client &proxy) {
        BildirimKapali kapali(*m_kampstok);
        m_kampstok->assignData(proxy.KampanyaliVer2(carino, musteriTipi));
        OndalikBicimle(*m_kampstok);
    });
}

void YeniKampanyaliListeler::cxGridDBTableView5DblClick()
{
    const int stokno = OdaktakiStogaGit(*m_cxGrid6, m_yeniler);
    if (stokno >= 0)
        m_form->stokAyrinti()->StokAc(StokKaynagi::Yeniler, stokno);
}

void YeniKampanyaliListeler::cxGridDBTableViewkampanyaliDblClick()
{
    const int stokno = OdaktakiStogaGit(*m_cxkampanyali, m_kampstok);
    if (stokno >= 0)
        m_form->stokAyrinti()->StokAc(StokKaynagi::Kampanyali, stokno);
}

int YeniKampanyaliListeler::ekranGenisligi() const
{
    const QScreen *ekran = m_cxGrid6->screen();
    return ekran ? ekran->geometry().width() : 0;
}

void YeniKampanyaliListeler::cxGrid6Resize()
{
    SutunGenislikAyarla(*m_cxGrid6, ekranGenisligi());
}

void YeniKampanyaliListeler::cxkampanyaliResize()
{
    if (m_cxkampanyali->isEnabled())
        SutunGenislikAyarla(*m_cxkampanyali, ekranGenisligi());
}

void YeniKampanyaliListeler::hesapGorunumuUygula(const HesapGorunumu &gorunum)
{
    HesapKolonlariniUygula(*m_cxGrid6, Izgara::Yeniler, gorunum);
    HesapKolonlariniUygula(*m_cxkampanyali, Izgara::Kampanyali, gorunum);
}

} // namespace kolvar

#include "sepetsekmesi.h"

#include <app/unit1.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QWidget>

namespace kolvar {

SepetSekmesi::SepetSekmesi(TForm1 *form) : QObject(form), m_form(form), m_sepet(new ClientDataSet(this))
{
    m_sepet->setObjectName(QStringLiteral("sepet"));
    m_siparisPaneli = new QWidget(form->ssepet);
    m_siparisPaneli->setObjectName(QStringLiteral("siparisPaneli"));
}

SepetSekmesi::~SepetSekmesi() = default;

void SepetSekmesi::SepetYukle()
{
    Table paket;
    bool alindi = false;
    KopyaylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
        paket = proxy.SepetVer2(m_form->sbilgi().CARINO());
        alindi = true;
    });
    if (!alindi)
        return; // the user has seen the connection message; the basket stays
    m_sepet->assignData(std::move(paket));
    OndalikBicimle(*m_sepet);
}

QString SepetSekmesi::uyariMetni() const
{
    return {};
}

QString SepetSekmesi::genelToplamMetni() const
{
    return {};
}

} // namespace kolvar

#include "secimgrubu.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kolvar {

SecimGrubu::SecimGrubu(const QString &baslik, QWidget *parent)
    : QGroupBox(baslik, parent), m_yerlesim(new QVBoxLayout(this)), m_grup(new QButtonGroup(this))
{
    m_yerlesim->setContentsMargins(6, 4, 6, 4);
    m_yerlesim->setSpacing(2);
    m_yerlesim->addStretch(1);
    connect(m_grup, &QButtonGroup::idClicked, this, [this] { Q_EMIT tiklandi(); });
}

void SecimGrubu::temizle()
{
    for (QRadioButton *d : std::as_const(m_dugmeler)) {
        m_grup->removeButton(d);
        delete d;
    }
    m_dugmeler.clear();
    m_idler.clear();
    m_adlar.clear();
}

void SecimGrubu::ekle(const QString &ad, int id)
{
    // A name is shown as it is: '&' would otherwise mark a shortcut key.
    auto *d = new QRadioButton(QString(ad).replace(QLatin1Char('&'), QLatin1String("&&")), this);
    // The button group numbers the buttons by position, not by the item's id.
    m_grup->addButton(d, int(m_dugmeler.size()));
    m_yerlesim->insertWidget(int(m_dugmeler.size()), d);
    m_dugmeler << d;
    m_idler << id;
    m_adlar << ad;
}

QString SecimGrubu::ad(int index) const
{
    return m_adlar.value(index);
}

int SecimGrubu::id(int index) const
{
    return m_idler.value(index, 0);
}

int SecimGrubu::itemIndex() const
{
    return m_grup->checkedId();
}

void SecimGrubu::setItemIndex(int index)
{
    if (index >= 0 && index < m_dugmeler.size()) {
        m_dugmeler[index]->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last button by itself.
    if (QAbstractButton *secili = m_grup->checkedButton()) {
        m_grup->setExclusive(false);
        secili->setChecked(false);
        m_grup->setExclusive(true);
    }
}

} // namespace kolvar

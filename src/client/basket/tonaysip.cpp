#include "tonaysip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kolvar {

namespace {

QFont sabitAralikli()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(16);
    f.setBold(true);
    return f;
}

// The application's style sheet names every widget's font, which a plain
// setFont does not override; the summary must stay fixed-pitch so its colons
// line up, also where Courier New is not installed.
const QString kSabitAralikliStil =
    QStringLiteral("font-family: \"Courier New\", \"DejaVu Sans Mono\", \"Liberation Mono\", monospace; "
                   "font-size: 16px; font-weight: bold;");

} // namespace

TONAYSIP::TONAYSIP(QWidget *owner) : QDialog(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("ONAYSIP"));
    setWindowTitle(QStringLiteral("Sipariş Onay"));

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(sabitAralikli());
    Label2->setStyleSheet(kSabitAralikliStil);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(sabitAralikli());
    Label3->setTextFormat(Qt::PlainText);
    Label3->setWordWrap(true);
    Label3->setStyleSheet(kSabitAralikliStil + QStringLiteral(" color: red;"));

    Label1 = new QLabel(kOnaySorusu, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont soru(QStringLiteral("Tahoma"));
    soru.setPixelSize(20);
    soru.setBold(true);
    Label1->setFont(soru);
    Label1->setStyleSheet(QStringLiteral("font-family: \"Tahoma\", \"DejaVu Sans\", sans-serif; "
                                         "font-size: 20px; font-weight: bold;"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    Button1 = new QPushButton(QStringLiteral("Evet"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Hayır"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto *dugmeler = new QHBoxLayout;
    dugmeler->addStretch(1);
    dugmeler->addWidget(Button1);
    dugmeler->addSpacing(24);
    dugmeler->addWidget(Button2);
    dugmeler->addStretch(1);

    auto *yerlesim = new QVBoxLayout(this);
    yerlesim->addWidget(Label2, 1);
    yerlesim->addWidget(Label3);
    yerlesim->addWidget(Label1);
    yerlesim->addLayout(dugmeler);
    // The window takes the size of what it shows.
    yerlesim->setSizeConstraint(QLayout::SetFixedSize);
}

void TONAYSIP::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Wrapped labels get a width to wrap at: the summary's.
    const int genislik = qMax(Label2->sizeHint().width(), 420);
    Label3->setFixedWidth(genislik);
    Label1->setFixedWidth(genislik);
    Label3->setVisible(!Label3->text().isEmpty());
    if (QWidget *sahip = parentWidget()) {
        adjustSize();
        const QRect alan = sahip->window()->frameGeometry();
        move(alan.center() - rect().center());
    }
    Button1->setFocus();
}

} // namespace kolvar

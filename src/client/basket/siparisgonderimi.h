#pragma once

#include <QObject>

namespace kolvar {

class SepetSekmesi;
class TForm1;

// The order controls of the "Sepet" tab: delivery option, cargo type,
// carrier, message, the checks, the confirmation and sending the order.
class SiparisGonderimi : public QObject
{
    Q_OBJECT
public:
    SiparisGonderimi(TForm1 *form, SepetSekmesi *sepet);
    ~SiparisGonderimi() override;

private:
    TForm1 *m_form;
    SepetSekmesi *m_sepet;
};

} // namespace kolvar

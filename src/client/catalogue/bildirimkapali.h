#pragma once

#include <platform/clientdataset.h>

namespace kolvar {

// Keeps a dataset from notifying its views while a list is loaded into it;
// the notifications come back however the loading ends.
class BildirimKapali
{
public:
    explicit BildirimKapali(ClientDataSet &dataSet) : m_dataSet(dataSet) { m_dataSet.disableControls(); }
    ~BildirimKapali() { m_dataSet.enableControls(); }
    BildirimKapali(const BildirimKapali &) = delete;
    BildirimKapali &operator=(const BildirimKapali &) = delete;

private:
    ClientDataSet &m_dataSet;
};

} // namespace kolvar

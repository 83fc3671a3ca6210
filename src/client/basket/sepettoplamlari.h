#pragma once

namespace kolvar {

class ClientDataSet;

// Totals of the selected basket lines: gross T, discount I, net N, VAT V and
// grand total G.
struct SepetToplamlari {
    double T = 0;
    double I = 0;
    double N = 0;
    double V = 0;
    double G = 0;
};

// Sums the lines whose SEC is 1. T and I are rounded to two decimals after
// every addition; each line's VAT is rounded on its own and the VAT sum is
// not, so two lines of 0.005 make 0.02. A closed basket gives zeros.
SepetToplamlari ToplamlariHesapla(const ClientDataSet &sepet);

} // namespace kolvar

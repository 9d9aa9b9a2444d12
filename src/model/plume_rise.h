#pragma once
// Plume rise of an ordinary source from heat output and exit momentum.
namespace kadre {

// The growth of the rise with distance: (x / x_m)^(2/3) for 0 < x < x_m = sqrt(q) c, else 1.
double rise_growth(double q, double c, double x);

// Rise [m] at a distance with growth factor `growth`: buoyant part beta e a q^b / u plus
// momentum part (1 - beta) 1.5 w d / u. a = ks(s), e = qa, q = heat output; q^b is read only
// when beta != 0.
double plume_rise(double w, double d, double beta, double q_pow_b, double a, double e, double u,
                  double growth);

}  // namespace kadre

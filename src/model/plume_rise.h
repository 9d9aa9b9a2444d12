#pragma once
// Plume rise of an ordinary source from heat output and exit momentum.
namespace kadre {

// Rise [m] at distance x: buoyant part beta e a q^b / u plus momentum part
// (1 - beta) 1.5 w d / u, grown by (x / x_m)^(2/3) before the full-rise distance
// x_m = sqrt(q) c. a = ks(s), b = qb, c = km(s), e = qa, q = tep_vyd.
double prevyseni(double w, double d, double beta, double q, double a, double b, double c, double e,
                 double u, double x);

}  // namespace kadre

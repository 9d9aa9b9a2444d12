#pragma once
// Plume rise of an ordinary source from heat output and exit momentum.
namespace kadre {

// Rise [m] at distance x: buoyant part beta e a q^b / u plus momentum part
// (1 - beta) 1.5 w d / u, grown by (x / x_m)^(2/3) before the full-rise distance
// x_m = sqrt(q) c. a = ks(s), b = qb, c = km(s), e = qa, q = heat_output.
double prevyseni(double w, double d, double beta, double q, double a, double b, double c, double e,
                 double u, double x);

// The growth factor of prevyseni: (x / x_m)^(2/3) for 0 < x < x_m = sqrt(q) c, else 1.
double rise_growth(double q, double c, double x);

// prevyseni with q^b (read only when beta != 0) and rise_growth already known.
double prevyseni_with_factors(double w, double d, double beta, double q_pow_b, double a, double e,
                              double u, double growth);

}  // namespace kadre

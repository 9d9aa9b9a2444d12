#pragma once
// Moist-air state functions from which the buoyancy of a cooling-tower plume is built.
// Temperatures in kelvin, relative humidity in per cent, flows in m3/s.
namespace kadre {

double get_et(double t);                     // saturation vapour pressure [Pa]
double get_s(double t);                      // saturation specific humidity at 101325 Pa
double get_r(double t);                      // gas constant of saturated moist air [J/(kg K)]
double get_qe(double rh, double t);          // specific humidity at relative humidity rh
double get_m(double v, double r, double t);  // mass flow [kg/s]
double get_tch(double t1, double vol1, double vol2, double t2);  // mixture temperature
double get_w(double v, double d);  // exit velocity through a mouth of diameter d
// Buoyancy flux [m4/s3] of the saturated mixture of vol1 at t1 and vol2 at t2 leaving a
// mouth of diameter d into air at t_a with relative humidity rh_a; f is the climate class value.
double buoyancy_flux(double t_a, double rh_a, double t1, double d, double vol1, double f,
                     double vol2, double t2);

}  // namespace kadre

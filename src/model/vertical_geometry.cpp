#include "model/vertical_geometry.h"

#include <cmath>

namespace kadre {

double hef_terr(double h_plume, double zmax, double eps_s) {
  if ((1 - eps_s) * h_plume < zmax) return zmax + eps_s * h_plume;
  return h_plume;
}

VertCoord free_atmosphere_heights(double z_r, double z_s, double h_r, double z_lid) {
  const double dz = z_r - z_s;
  const double z_p = dz + h_r;
  VertCoord v;
  v.z1 = z_p;
  v.z2 = std::fabs(dz) + h_r;
  v.z3 = dz - h_r;
  v.z4 = z_p - 2 * z_lid;
  return v;
}

VertCoord get_vert_coord(double z_r, double z_s, double h_r, double h_ef, double z_lid,
                         bool free_atmo) {
  const double dz = z_r - z_s;
  const double z_p = dz + h_r;
  if (!(h_ef < z_p && !free_atmo)) return free_atmosphere_heights(z_r, z_s, h_r, z_lid);
  // The plume follows the terrain: a point above the axis is evaluated at the axis.
  VertCoord v;
  v.z1 = h_ef;
  v.z2 = h_ef + std::fabs(dz) - dz;
  v.z3 = 2 * dz - h_ef;
  v.z4 = h_ef - 2 * z_lid;
  return v;
}

}  // namespace kadre

#pragma once
// Effective height over the terrain and the vertical distances of a point from the plume
// axis and its images.
namespace kadre {

// Plume height lifted over the highest terrain zmax when (1 - eps_s) h_plume does not clear it.
double hef_terr(double h_plume, double zmax, double eps_s);

// The heights whose differences with h_ef give the vertical terms: z1 - h_ef (point to
// axis), z2 + h_ef (image below the source base), z3 - h_ef (image below the point's
// terrain), h_ef + z4 (image above a lid at z_lid).
struct VertCoord {
  double z1 = 0, z2 = 0, z3 = 0, z4 = 0;
};

// z_r, z_s: terrain of point and source base; h_r: point above its terrain.
VertCoord get_vert_coord(double z_r, double z_s, double h_r, double h_ef, double z_lid,
                         bool free_atmo);

// The heights of a point that keeps its own height above the source base z_s (a point
// below the axis, or any point with free_atmo).
VertCoord free_atmosphere_heights(double z_r, double z_s, double h_r, double z_lid);

}  // namespace kadre

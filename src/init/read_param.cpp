#include "init/read_param.h"

#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/text.h"
#include "init/diagnostics.h"
#include "init/namelist.h"

namespace kadre {

namespace {

constexpr const char* kParamFile = "param.nml";

void register_keys(Namelist& group, ModelParams& p) {
  group.add_doubles("ay_1h", p.ay_1h);
  group.add_doubles("by_1h", p.by_1h);
  group.add_doubles("az_1h", p.az_1h);
  group.add_doubles("bz_1h", p.bz_1h);
  group.add_doubles("ay_8h", p.ay_8h);
  group.add_doubles("by_8h", p.by_8h);
  group.add_doubles("az_8h", p.az_8h);
  group.add_doubles("bz_8h", p.bz_8h);
  group.add_doubles("ay_30m", p.ay_30m);
  group.add_doubles("by_30m", p.by_30m);
  group.add_doubles("az_30m", p.az_30m);
  group.add_doubles("bz_30m", p.bz_30m);
  group.add_doubles("ks", p.ks);
  group.add_doubles("km", p.km);
  group.add_doubles("eps", p.eps);
  group.add_doubles("u_p", p.u_p);
  group.add_doubles("stab_cl_ue", p.stab_cl_ue);
  group.add_doubles("class_w_sp", p.class_w_sp);
  group.add_doubles("class_w_sp_ue", p.class_w_sp_ue);
  group.add_doubles("uhel_limit_b", &p.uhel_limit_b, 1);
  group.add_doubles("uhel_limit_pl", &p.uhel_limit_pl, 1);
  group.add_doubles("k_u_all", p.k_u_all);
  group.add_doubles("k_p", p.k_p);
  group.add_doubles_2d("fz", p.fz.data(), 2, 26);
  group.add_doubles("gamma", p.gamma);
}

// The angle limits bound a sector around the wind direction; at 90 degrees or more the
// plume would reach points upwind of the source.
void check_angle_limit(const char* key, double value) {
  if (!(value >= 0.0 && value < 90.0))
    raise_error(std::string("Hodnota parametru ") + key + " = " + format_f0(value, 3) +
                " je neplatna, musi lezet v intervalu 0 az 90 (bez 90).");
}

// The stable-class rise of cooling towers takes the root of 0.01 - gamma.
void check_gamma(const ModelParams& p) {
  for (std::size_t s = 0; s < p.gamma.size(); ++s)
    if (!(p.gamma[s] < 0.01))
      raise_error("Hodnota parametru gamma(" + std::to_string(s + 1) +
                  ") = " + format_f0(p.gamma[s], 3) + " je neplatna, musi byt mensi nez 0.01.");
}

}  // namespace

void get_sgm_par(int time, ModelParams& p) {
  const auto use = [&p](const ModelParams::PerClass& ay, const ModelParams::PerClass& by,
                        const ModelParams::PerClass& az, const ModelParams::PerClass& bz) {
    p.ay = ay;
    p.by = by;
    p.az = az;
    p.bz = bz;
  };
  switch (time) {
    case 30:
      return use(p.ay_30m, p.by_30m, p.az_30m, p.bz_30m);
    case 60:
      return use(p.ay_1h, p.by_1h, p.az_1h, p.bz_1h);
    case 480:
      return use(p.ay_8h, p.by_8h, p.az_8h, p.bz_8h);
    default:
      stop_with_lines({"_get_sgm_par: Nedovolena hodnota prumerovaciho intervalu",
                       "              Parametr \"time\" muze nabyvat hodnot 30, 60, 480",
                       "              Zadana hodnota \"time\": " + free_form_int(time)});
  }
}

ModelParams read_param(const Settings& cfg) {
  std::error_code ec;
  // In the run's base directory, which is the working directory unless a caller set another.
  const std::string path = cfg.base_dir + kParamFile;
  check_file_exist(path, "parametry vypoctu",
                   cfg.base_dir.empty() ? "   hledan v pracovnim adresari " +
                                              std::filesystem::current_path(ec).string()
                                        : "   hledan v adresari " + cfg.base_dir);
  ModelParams params;
  Namelist group("param");
  register_keys(group, params);
  NamelistFailure failure;
  const NamelistStatus status = group.parse_file(path, &failure);
  if (status != NamelistStatus::ok)
    raise_error(error_nml_read(path, status == NamelistStatus::end_of_file, &failure));

  params.k_u = get_coef_dep(cfg.trida_lat, params);
  get_sgm_par(cfg.shortterm_avg, params);
  check_angle_limit("uhel_limit_b", params.uhel_limit_b);
  check_angle_limit("uhel_limit_pl", params.uhel_limit_pl);
  check_gamma(params);
  return params;
}

}  // namespace kadre

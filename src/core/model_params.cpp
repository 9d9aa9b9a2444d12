#include "core/model_params.h"

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

double get_coef_dep(int trida_lat, const ModelParams& par) {
  if (trida_lat < 1 || trida_lat > 3)
    stop_with_lines(
        {"_get_coef_dep: Nedovolena hodnota tridy znecistujici latky (parametr trida_lat)",
         "              Hodnota tridy muze nabyvat hodnot 1 az max. " + free_form_int(3),
         "              Zadana hodnota tridy: " + free_form_int(trida_lat)});
  return par.k_u_all[trida_lat - 1];
}

}  // namespace kadre

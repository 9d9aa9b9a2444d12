// The model parameter file param.nml of the working directory, for every pollutant class
// and averaging time.
#include "fuzz_support.h"
#include "init/read_param.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  const fuzz::InScratch in_scratch;
  fuzz::input_file("param.nml", data, size);
  for (const auto [pollutant_class, minutes] : {std::pair{1, 30}, {2, 60}, {3, 480}}) {
    Settings cfg;
    cfg.trida_lat = pollutant_class;
    cfg.shortterm_avg = minutes;
    fuzz::guarded([&] { read_param(cfg); });
  }
  return 0;
}

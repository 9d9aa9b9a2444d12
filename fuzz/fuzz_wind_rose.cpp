// The wind rose of a series, resampled to 1 degree and to 7 degree sectors (360 / 7 is not
// whole).
#include "fuzz_support.h"
#include "init/read_config.h"
#include "init/wind_rose_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  fuzz::input_file("rose_S01.txt", data, size);
  const std::string path = (fuzz::scratch() / "rose.txt").string();
  for (const double step : {1.0, 7.0}) {
    Settings cfg;
    cfg.phi_step = step;
    cfg.nphi = sector_count(step);
    fuzz::guarded([&] { read_wind_roses(path, cfg, {"S01"}, fuzz::discard()); });
  }
  return 0;
}

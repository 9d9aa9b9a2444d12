// A meteorological series, read as two series of the same file: with temperature
// gradients, and with stability classes and inversion data.
#include "fuzz_support.h"
#include "init/met_series_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  fuzz::input_file("met_S01.txt", data, size);
  fuzz::input_file("met_S02.txt", data, size);
  const std::string path = (fuzz::scratch() / "met.txt").string();
  Settings gradients, classes;
  classes.is_tep_gr = false;
  classes.inverze = true;
  for (const Settings& cfg : {gradients, classes})
    fuzz::guarded([&] { read_time(path, cfg, {"S01", "S02"}, fuzz::discard()); });
  return 0;
}

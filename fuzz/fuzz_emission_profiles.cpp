// An emission profile over 12 hours.
#include "fuzz_support.h"
#include "init/emission_profiles_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  fuzz::input_file("emis_CON.txt", data, size);
  Settings cfg;
  cfg.emis_time_file = "emis.txt";
  const std::string path = (fuzz::scratch() / cfg.emis_time_file).string();
  return fuzz::guarded([&] { read_time_emis(path, cfg, {"CON"}, 12, fuzz::discard()); });
}

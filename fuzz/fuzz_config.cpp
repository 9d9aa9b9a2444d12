// The run configuration: the "init" group, its values and the number of sectors.
#include "fuzz_support.h"
#include "init/read_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  const std::string path = fuzz::input_file("run.nml", data, size);
  return fuzz::guarded([&] { read_config(path, fuzz::discard()); });
}

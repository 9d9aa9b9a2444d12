// The climate tables of the cooling towers.
#include "fuzz_support.h"
#include "init/climate_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  const std::string path = fuzz::input_file("climate.txt", data, size);
  return fuzz::guarded([&] { read_climate_tables(path, fuzz::discard()); });
}

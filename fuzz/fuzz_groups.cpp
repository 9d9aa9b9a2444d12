// The source groups over fixed sources (two share an identifier).
#include "fuzz_support.h"
#include "init/groups_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  static const std::vector<Source> sources = [] {
    std::vector<Source> s;
    for (const char* id : {"CHV", "K1", "EL_K1", "EL_K2", "SIL1", "A1", "K1", "Kotel 3"})
      s.push_back(Source{id});
    return s;
  }();
  const std::string path = fuzz::input_file("groups.txt", data, size);
  return fuzz::guarded([&] { read_groups(path, sources); });
}

// The whole program, with one thread, on the case in run_case/: the first line of the input
// names a file of the case (run.nml, param.nml, input/sources.txt, ...) and the rest of the
// input replaces it; every file of the case is written afresh into the scratch directory
// for each input. A stop with a message is an answer; an internal error (an exception
// other than the run's own stops) is a finding, and so is a complete run that writes a value
// which is not a finite number (NaN, an infinity, asterisks).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "driver/run.h"
#include "fuzz_case.h"
#include "init/read_config.h"
#include "output/point_fields.h"

using namespace kadre;

namespace {

// The files of the case, as paths relative to the scratch directory.
const std::set<std::string>& case_files() {
  static const std::set<std::string> names = [] {
    std::set<std::string> n;
    for (const auto& [name, text] : fuzz::load_case()) n.insert(name);
    return n;
  }();
  return names;
}

// The files the run wrote: every file of the scratch directory but the case's.
std::vector<std::string> written_files() {
  std::vector<std::string> files;
  for (const auto& entry : fuzz::fs::recursive_directory_iterator(".")) {
    if (!entry.is_regular_file()) continue;
    const std::string name = fuzz::fs::relative(entry.path(), ".").generic_string();
    if (!case_files().count(name)) files.push_back(name);
  }
  return files;
}

[[noreturn]] void finding(const std::string& file, const std::string& line) {
  std::fprintf(stderr, "not a finite number in %s: %s\n", file.c_str(), line.c_str());
  std::abort();
}

// Every value of a result file (the lines after the header; a point's line after its
// 20-character identifier, the hourly table's after its 13-character date) is a finite number:
// with the delimiters taken out (they may be any text), only digits, points, exponents, signs
// and the slashes of a date are left; NaN, Infinity and asterisks are not. The summary, which
// repeats the largest values of the other files with their files and points, and NetCDF
// files are passed over.
void check_values(const std::string& file, const std::string& d) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (file.ends_with(".nc")) return;  // NetCDF: binary, its values are those of the tables
  if (!std::getline(in, line) || d.empty() || line.starts_with("file")) return;
  const std::size_t skip = line.starts_with("cas") ? 13 : 20;
  while (std::getline(in, line)) {
    if (line.size() < skip) finding(file, line);
    std::string rest = line.substr(skip);
    for (std::size_t at; (at = rest.find(d)) != std::string::npos;) rest.erase(at, d.size());
    if (rest.find_first_not_of("0123456789.E+-/ ") != std::string::npos) finding(file, line);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InScratch in_scratch;
  // The results of an earlier input go first: every file checked is one this run wrote.
  for (const std::string& file : written_files()) fuzz::fs::remove(file);
  const fuzz::CaseInput prepared = fuzz::write_case({reinterpret_cast<const char*>(data), size});
  if (prepared != fuzz::CaseInput::ready) return prepared == fuzz::CaseInput::ignored ? -1 : 0;
  std::ostringstream out;
  const int status = run({"run.nml", "1"}, out, fuzz::discard());
  if (status != 0 && out.str().find("Vnitrni chyba programu") != std::string::npos) {
    std::fputs(out.str().c_str(), stderr);
    std::abort();
  }
  if (status == 0) {
    const std::string d = result_delimiter(read_config("run.nml", fuzz::discard()).delim_out);
    for (const std::string& file : written_files()) check_values(file, d);
  }
  return 0;
}

// The vector kernels against the scalar formulas on the whole program: the input changes a
// file of the case in run_case/ as for fuzz_run; the case runs with the scalar formulas and with
// the vector kernels, one thread each. Both must end alike (status, console without the
// computing time), write the same result files, and every number must agree to 1e-9
// relative (values below 1e-30 to 1e-30 absolute); anything else is a finding.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "driver/run.h"
#include "fuzz_case.h"

namespace {

using namespace kadre;
namespace fs = std::filesystem;

struct Outcome {
  int status = 0;
  std::string console;
  std::map<std::string, std::string> files;
};

// One run in the scratch directory on the given kernel path; the result files are collected
// and removed.
Outcome run_with(KernelPath path) {
  Outcome o;
  std::ostringstream out;
  Embedding embedding;
  embedding.kernels = path;
  o.status = run({"run.nml", "1"}, out, fuzz::discard(), "kadre", single_process(), embedding);
  static const std::regex timing(R"(\n *[0-9.]+ s\n)");
  o.console = std::regex_replace(out.str(), timing, "\n<time>\n");
  for (const auto& entry : fs::recursive_directory_iterator(".")) {
    if (!entry.is_regular_file() ||
        entry.path().generic_string().find("/input/") != std::string::npos)
      continue;
    const std::string name = entry.path().generic_string();
    if (name == "./run.nml" || name == "./param.nml") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    o.files[name] = std::string(std::istreambuf_iterator<char>(in), {});
    fs::remove(entry.path());
  }
  return o;
}

bool same_number(const std::string& a, const std::string& b) {
  if (a == b) return true;
  char* end_a = nullptr;
  char* end_b = nullptr;
  const double x = std::strtod(a.c_str(), &end_a), y = std::strtod(b.c_str(), &end_b);
  if (end_a == a.c_str() || end_b == b.c_str() || *end_a != '\0' || *end_b != '\0') return false;
  if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
  if (std::fabs(x) < 1e-30 && std::fabs(y) < 1e-30) return true;
  return std::fabs(x - y) <= 1e-9 * std::max(std::fabs(x), std::fabs(y));
}

// Field by field, a field being what lies between delimiters or blanks.
bool same_text(const std::string& a, const std::string& b) {
  static const std::regex separator(R"([;,\s]+)");
  const std::sregex_token_iterator end;
  std::sregex_token_iterator x(a.begin(), a.end(), separator, -1),
      y(b.begin(), b.end(), separator, -1);
  for (; x != end && y != end; ++x, ++y)
    if (!same_number(*x, *y)) return false;
  return x == end && y == end;
}

[[noreturn]] void finding(const Outcome& scalar, const Outcome& vector, const std::string& what) {
  std::fprintf(
      stderr,
      "The vector kernels disagree with the scalar formulas: %s\n--- scalar (status %d)\n%s\n"
      "--- vector (status %d)\n%s\n",
      what.c_str(), scalar.status, scalar.console.c_str(), vector.status, vector.console.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InScratch in_scratch;
  const fuzz::CaseInput prepared = fuzz::write_case({reinterpret_cast<const char*>(data), size});
  if (prepared != fuzz::CaseInput::ready) return prepared == fuzz::CaseInput::ignored ? -1 : 0;
  const Outcome scalar = run_with(KernelPath::scalar);
  const Outcome vector = run_with(kernel_path_from(nullptr));
  if (scalar.status != vector.status || scalar.console != vector.console)
    finding(scalar, vector, "status or console");
  if (scalar.files.size() != vector.files.size())
    finding(scalar, vector, "the result files written");
  for (const auto& [name, text] : scalar.files) {
    const auto other = vector.files.find(name);
    if (other == vector.files.end() || !same_text(text, other->second))
      finding(scalar, vector, name);
  }
  return 0;
}

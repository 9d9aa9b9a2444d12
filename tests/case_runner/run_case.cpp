// Runs one folder of tests/cases through the whole program, with the vector kernels and then
// with the scalar formulas, and compares each run with the folder's expected/: exit status,
// console (the elapsed time masked), the set of result files and every result file field by
// field.
//
//   run_case <case folder> <scratch folder>
//
// The case (without expected/) is copied into a folder of the scratch folder for each run,
// which becomes the working directory (param.nml is read from there: the case's own, else
// the one the cases share next to it); the results are expected in its output/.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"

namespace fs = std::filesystem;

namespace {

int failures = 0;

void fail(const std::string& what) {
  if (++failures <= 30) std::cout << "MISMATCH " << what << "\n";
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> split(const std::string& text, const std::string& delim) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; !delim.empty() && (at = text.find(delim, from)) != std::string::npos;
       from = at + delim.size())
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all = split(text, "\n");
  if (all.back().empty()) all.pop_back();  // the text ends with a line break
  return all;
}

bool number(const std::string& field, double& value) {
  const std::size_t first = field.find_first_not_of(' '), last = field.find_last_not_of(' ');
  if (first == std::string::npos) return false;
  const std::string text = field.substr(first, last - first + 1);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// Texts equal, or numbers within 1e-12 relative; with tiny_slack also both below 1e-30 (the
// vector kernels may round tiny values, subnormal ones above all, otherwise than the scalar
// formulas, which get no such slack).
bool same_field(const std::string& expected, const std::string& actual, bool tiny_slack) {
  double e = 0, a = 0;
  if (expected == actual) return true;
  if (!number(expected, e) || !number(actual, a)) return false;
  if (tiny_slack && std::fabs(e) < 1e-30 && std::fabs(a) < 1e-30) return true;
  if (e == 0 || a == 0) return e == a;
  return std::fabs(e - a) <= 1e-12 * std::max(std::fabs(e), std::fabs(a));
}

// The field delimiter of the result files: delim_out of the run configuration without its
// trailing blanks, ";" when not given.
std::string delimiter(const fs::path& configuration) {
  static const std::regex key(R"(delim_out\s*=\s*(['"])(.*?)\1)", std::regex::icase);
  std::smatch m;
  const std::string text = read_file(configuration);
  if (!std::regex_search(text, m, key)) return ";";
  std::string d = m[2];
  return d.erase(d.find_last_not_of(' ') + 1);
}

void compare_result_file(const std::string& name, const std::string& expected,
                         const std::string& actual, const std::string& delim, bool tiny_slack) {
  const auto e = lines(expected), a = lines(actual);
  if (e.size() != a.size())
    fail(name + ": " + std::to_string(e.size()) + " lines expected, " + std::to_string(a.size()) +
         " found");
  for (std::size_t l = 0; l < std::min(e.size(), a.size()); ++l) {
    const auto ef = split(e[l], delim), af = split(a[l], delim);
    const std::string where = name + ", line " + std::to_string(l + 1);
    if (ef.size() != af.size())
      fail(where + ": " + std::to_string(ef.size()) + " fields expected, " +
           std::to_string(af.size()) + " found\n  expected: " + e[l] + "\n  actual:   " + a[l]);
    for (std::size_t f = 0; f < std::min(ef.size(), af.size()); ++f)
      if (!same_field(ef[f], af[f], tiny_slack))
        fail(where + ", field " + std::to_string(f + 1) + ": expected '" + ef[f] + "', actual '" +
             af[f] + "'");
  }
}

// The console line by line, the elapsed time (F15.2 seconds, then " s") masked.
void compare_console(const std::string& expected, const std::string& actual) {
  static const std::regex elapsed(R"( *[0-9]+\.[0-9]{2} s)");
  auto e = lines(expected), a = lines(actual);
  for (auto* text : {&e, &a})
    for (std::string& line : *text)
      if (line.size() == 17 && std::regex_match(line, elapsed)) line = "<elapsed time> s";
  if (e.size() != a.size())
    fail("console: " + std::to_string(e.size()) + " lines expected, " + std::to_string(a.size()) +
         " found");
  for (std::size_t l = 0; l < std::max(e.size(), a.size()); ++l) {
    const std::string el = l < e.size() ? e[l] : "(none)", al = l < a.size() ? a[l] : "(none)";
    if (el != al)
      fail("console, line " + std::to_string(l + 1) + ":\n  expected: " + el +
           "\n  actual:   " + al);
  }
}

// Paths of the regular files below a folder, relative to it.
std::set<std::string> files_below(const fs::path& dir) {
  std::set<std::string> names;
  if (fs::is_directory(dir))
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), dir).generic_string());
  return names;
}

// Runs the case in scratch on the given kernel path and compares the run with the expected
// files.
void check_run(const fs::path& case_dir, const fs::path& scratch, kadre::KernelPath path) {
  const fs::path expected_dir = case_dir / "expected";
  fs::remove_all(scratch);
  fs::create_directories(scratch / "output");
  for (const auto& entry : fs::directory_iterator(case_dir))
    if (entry.path().filename() != "expected")
      fs::copy(entry.path(), scratch / entry.path().filename(), fs::copy_options::recursive);
  if (!fs::exists(scratch / "param.nml"))
    fs::copy_file(case_dir.parent_path() / "param.nml", scratch / "param.nml");

  std::vector<std::string> args;
  std::istringstream arg_text(read_file(case_dir / "args"));
  for (std::string a; arg_text >> a;) args.push_back(a);
  fs::current_path(scratch);
  // A case whose console is a file shows the progress line as a log gets it; the clock stands
  // still, so that only the first and the last point are shown.
  kadre::Embedding embedding;
  embedding.kernels = path;
  if (fs::exists(case_dir / "console_is_a_file")) {
    embedding.console.terminal = false;
    embedding.console.clock = [] { return std::chrono::steady_clock::time_point{}; };
  }
  std::ostringstream out, err;
  const int status = kadre::run(args, out, err, "kadre", kadre::single_process(), embedding);

  const int expected_status = std::atoi(read_file(expected_dir / "status").c_str());
  if (status != expected_status)
    fail("exit status: expected " + std::to_string(expected_status) + ", actual " +
         std::to_string(status));
  compare_console(read_file(expected_dir / "console.txt"), out.str());
  const std::string expected_err =
      fs::exists(expected_dir / "stderr.txt") ? read_file(expected_dir / "stderr.txt") : "";
  if (err.str() != expected_err)
    fail("standard error:\n  expected: " + expected_err + "\n  actual:   " + err.str());

  std::set<std::string> expected_files = files_below(expected_dir);
  for (const char* own : {"console.txt", "status", "stderr.txt"}) expected_files.erase(own);
  const std::set<std::string> actual_files = files_below(scratch / "output");
  const std::string delim = args.empty() ? ";" : delimiter(scratch / args[0]);
  for (const std::string& name : expected_files)
    if (!actual_files.count(name))
      fail("result file " + name + " was not written");
    else
      compare_result_file(name, read_file(expected_dir / name),
                          read_file(scratch / "output" / name), delim,
                          path == kadre::KernelPath::vector);
  for (const std::string& name : actual_files)
    if (!expected_files.count(name))
      fail("result file " + name + " was written but is not expected");
}

}  // namespace

// Each case runs twice: with the vector kernels and with the scalar formulas they are checked
// against; both must give the expected files. A build without the vector kernels runs the
// scalar formulas only.
int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: run_case <case folder> <scratch folder>\n";
    return 2;
  }
  const fs::path case_dir = fs::absolute(argv[1]), scratch = fs::absolute(argv[2]);
  if (kadre::vector_kernels_available())
    check_run(case_dir, scratch / "vector", kadre::KernelPath::vector);
  const int vector_failures = failures;
  if (vector_failures > 0) std::cout << "(with the vector kernels)\n";
  check_run(case_dir, scratch / "scalar", kadre::KernelPath::scalar);
  if (failures > vector_failures) std::cout << "(with KADRE_SIMD=scalar)\n";

  if (failures > 30) std::cout << "... " << failures - 30 << " more mismatches\n";
  std::cout << (failures ? "FAILED: " : "passed: ") << case_dir.filename().string() << "\n";
  return failures ? 1 : 0;
}

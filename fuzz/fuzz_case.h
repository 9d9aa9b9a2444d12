#pragma once
// The case of the whole-program targets: the files of run_case/, one of them replaced by the
// fuzz input.
#include <map>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "init/read_config.h"

namespace kadre::fuzz {

enum class CaseInput { ignored, stopped, ready };

// Writes the case into the scratch directory (the working directory), the file named on the
// input's first line replaced by the rest of the input. ignored: the input names no file of
// the case, or the configuration reaches outside the scratch directory; stopped: reading the
// configuration stops already (an answer).
inline CaseInput write_case(std::string_view input) {
  static const std::map<std::string, std::string> files = load_case();
  const std::size_t eol = input.find('\n');
  if (eol == std::string_view::npos || !files.count(std::string(input.substr(0, eol))))
    return CaseInput::ignored;
  const std::string replaced(input.substr(0, eol));
  fs::create_directories("input");
  fs::create_directories("output");
  for (const auto& [name, text] : files)
    write_file(name, name == replaced ? input.substr(eol + 1) : text);
  try {
    if (!stays_inside(read_config("run.nml", discard()))) return CaseInput::ignored;
  } catch (const RunError&) {
    return CaseInput::stopped;
  }
  return CaseInput::ready;
}

}  // namespace kadre::fuzz

#pragma once
// Reader of parameter groups ("&name key = value ... /"), shared by the run configuration
// and the model parameter file. The caller registers every key of the group with the
// variable that receives it, then parses the text of a file:
//
//   Namelist group("init");
//   group.add_int("trida_lat", settings.trida_lat);
//   if (group.parse(text) != NamelistStatus::ok) ...
//
// Keys absent from the file leave their variables untouched, so the variables' initial
// values are the defaults. Matching of the group and key names ignores letter case.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kadre {

enum class NamelistStatus {
  ok,
  end_of_file,  // the text ended before the group was complete (or it holds no group)
  bad           // unknown key, unreadable value, too many values or index out of range
};

// What a bad group failed on, for the user: the key and the line (from 1) of the text.
struct NamelistFailure {
  enum class Kind { none, unknown_key, bad_value, syntax } kind = Kind::none;
  std::string key;
  int line = 0;
};

class Namelist {
 public:
  explicit Namelist(std::string group_name);

  // A text; a longer value keeps its first max_length characters. Trailing blanks are
  // dropped.
  void add_text(std::string_view key, std::string& target,
                std::size_t max_length = std::string::npos);
  void add_int(std::string_view key, int& target);
  void add_double(std::string_view key, double& target);
  void add_bool(std::string_view key, bool& target);
  // n values, element i (from 1) at target[i - 1].
  void add_doubles(std::string_view key, double* target, std::size_t n);
  template <std::size_t N>
  void add_doubles(std::string_view key, std::array<double, N>& target) {
    add_doubles(key, target.data(), N);
  }
  // n1 x n2 values, element (i, j) (from 1) at target[(i - 1) + (j - 1) * n1].
  void add_doubles_2d(std::string_view key, double* target, std::size_t n1, std::size_t n2);

  // Reads the group from the text of a file. Assignments before an error stay done; a bad
  // group tells in failure what failed.
  NamelistStatus parse(std::string_view text, NamelistFailure* failure = nullptr) const;
  // Whether the text holds the start of the group ("&" and its name), for optional groups.
  bool has_group(std::string_view text) const;
  // Reads the group from a file; a file that cannot be read counts as bad.
  NamelistStatus parse_file(const std::string& path, NamelistFailure* failure = nullptr) const;

 private:
  enum class Kind { text, int32, real, logical };
  struct Entry {
    std::string key;  // lower case
    Kind kind;
    void* target;
    std::size_t n1;  // 0 for a scalar
    std::size_t n2;  // 0 unless two-dimensional
    std::size_t max_length;
  };
  class Parser;

  void add(std::string_view key, Kind kind, void* target, std::size_t n1, std::size_t n2,
           std::size_t max_length);

  std::string group_name_;  // lower case
  std::vector<Entry> entries_;
};

}  // namespace kadre

#pragma once
// Text helpers shared by every layer: blank-padded fixed-length texts, names looked up in
// tables, paths of the per-series files, the integer form of every reader and the number
// forms that messages carry.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kadre {

// Text without its trailing blanks.
std::string rtrim(std::string_view s);
// ASCII letters in lower case (names of keys and groups are compared that way).
std::string to_lower(std::string_view s);
// Text blank-padded on the right or cut to exactly width characters (A20, A13).
std::string fixed_text(std::string_view s, std::size_t width);
// Fixed point with the given decimals at minimal width (F0.2, F0.3).
std::string format_f0(double value, int decimals);
// An integer after a text in a free-form console line: one blank, right-aligned in 11.
std::string free_form_int(long value);

// An integer of one optional sign and decimal digits within [lo, hi]; false for anything
// else ("+-5", "5.0", "", out of range).
bool parse_integer(std::string_view s, long long lo, long long hi, long long& out);

// Position (from 1) of the first text equal to s, trailing blanks ignored; -1 if none.
int locate_string(const std::vector<std::string>& list, const std::string& s);

// locate_string for long lists: the positions of the names, built once, each lookup in
// constant time. Trailing blanks are ignored and the first of equal names counts.
class NameIndex {
 public:
  NameIndex() = default;
  explicit NameIndex(const std::vector<std::string>& names);
  // Position (from 1) of the name, -1 when absent.
  int find(std::string_view name) const;
  // Gives the name the position unless it has one already.
  void add(std::string_view name, int position);

 private:
  std::unordered_map<std::string, int> positions_;
};

// The file's own name: the part of the path after its last "/".
std::string file_own_name(const std::string& path);
// Appends "/" unless the directory ends with "/" or "\"; a blank directory stays blank
// (the current directory).
std::string add_sep2dir(const std::string& dir);
// Series, rose and profile file of one name: "_" and the name before the last "." of the
// file name itself; a file name without "." gets "_" and the name at its end; a blank
// name, or a path without a file name (ending with a separator), leaves the path unchanged.
std::string path_with_name(const std::string& path, const std::string& name);

}  // namespace kadre

#include "core/text.h"

#include <charconv>
#include <cstdio>

namespace kadre {

std::string rtrim(std::string_view s) {
  std::size_t end = s.size();
  while (end > 0 && s[end - 1] == ' ') --end;
  return std::string(s.substr(0, end));
}

std::string to_lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string fixed_text(std::string_view s, std::size_t width) {
  std::string out(s.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string format_f0(double value, int decimals) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string free_form_int(long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %11ld", value);
  return buf;
}

bool parse_integer(std::string_view s, long long lo, long long hi, long long& out) {
  // One optional sign: from_chars would accept the minus of "+-5" after the plus is gone.
  const bool plus = !s.empty() && s[0] == '+';
  if (plus) s.remove_prefix(1);
  if (s.empty() || (plus && s[0] == '-')) return false;
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

int locate_string(const std::vector<std::string>& list, const std::string& s) {
  const std::string key = rtrim(s);
  for (std::size_t i = 0; i < list.size(); ++i)
    if (rtrim(list[i]) == key) return static_cast<int>(i) + 1;
  return -1;
}

NameIndex::NameIndex(const std::vector<std::string>& names) {
  positions_.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) add(names[i], static_cast<int>(i) + 1);
}

int NameIndex::find(std::string_view name) const {
  const auto it = positions_.find(rtrim(name));
  return it == positions_.end() ? -1 : it->second;
}

void NameIndex::add(std::string_view name, int position) {
  positions_.emplace(rtrim(name), position);
}

std::string file_own_name(const std::string& path) {
  const auto slash = path.rfind('/');
  return rtrim(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string add_sep2dir(const std::string& dir) {
  const std::string trimmed = rtrim(dir);
  if (trimmed.empty()) return trimmed;
  const char last = trimmed.back();
  if (last == '/' || last == '\\') return trimmed;
  return trimmed + "/";
}

std::string path_with_name(const std::string& path, const std::string& name) {
  const std::string trimmed_name = rtrim(name);
  const std::string trimmed_path = rtrim(path);
  if (trimmed_name.empty()) return trimmed_path;
  const auto slash = trimmed_path.find_last_of("/\\");
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // No file name to extend (file key left blank): the existence check then reports it.
  if (name_start == trimmed_path.size()) return trimmed_path;
  const auto dot = trimmed_path.rfind('.');
  if (dot == std::string::npos || dot < name_start) return trimmed_path + "_" + trimmed_name;
  return trimmed_path.substr(0, dot) + "_" + trimmed_name + trimmed_path.substr(dot);
}

}  // namespace kadre

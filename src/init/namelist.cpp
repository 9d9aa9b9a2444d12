#include "init/namelist.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/text.h"
#include "init/free_format_reader.h"

namespace kadre {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_space(char c) { return is_blank(c) || c == '\n'; }
// Ends a bare (unquoted) value.
bool ends_bare_value(char c) { return is_space(c) || c == ',' || c == '/' || c == '!'; }

bool parse_int32(std::string_view s, int& out) {
  long long v = 0;
  if (!parse_integer(s, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v))
    return false;
  out = static_cast<int>(v);
  return true;
}

// T or F, optionally after a period and followed by anything (.TRUE., .false., t, F).
bool parse_logical(std::string_view s, bool& out) {
  if (!s.empty() && s[0] == '.') s.remove_prefix(1);
  if (s.empty()) return false;
  const char c = lower(s[0]);
  if (c != 't' && c != 'f') return false;
  out = c == 't';
  return true;
}

}  // namespace

// One pass over the text of a file. Positions only move forward.
class Namelist::Parser {
 public:
  Parser(const Namelist& group, std::string_view text) : group_(group), text_(text) {}

  const NamelistFailure& failure() const { return failure_; }

  bool group_starts() { return find_group_start(); }

  NamelistStatus run() {
    if (!find_group_start()) return NamelistStatus::end_of_file;
    for (;;) {
      skip_spaces_and_commas();
      if (at_end()) return NamelistStatus::end_of_file;
      if (peek() == '/') return NamelistStatus::ok;
      const NamelistStatus s = assignment();
      if (s != NamelistStatus::ok) return s;
    }
  }

 private:
  struct Value {
    std::string text;
    bool quoted = false;
    bool null = false;
    long repeat = 1;
  };

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return text_[pos_]; }

  void skip_comment() {
    while (!at_end() && peek() != '\n') ++pos_;
  }

  // Blanks, line breaks and comments; with pass_commas also commas, returning how many.
  int skip_spaces(bool pass_commas) {
    int commas = 0;
    while (!at_end()) {
      const char c = peek();
      if (is_space(c)) {
        ++pos_;
      } else if (c == '!') {
        skip_comment();
      } else if (c == ',' && pass_commas) {
        ++commas;
        ++pos_;
      } else {
        break;
      }
    }
    return commas;
  }
  int skip_spaces_and_commas() { return skip_spaces(true); }

  std::string_view name_at(std::size_t& p) const {
    const std::size_t start = p;
    if (p >= text_.size() || !is_letter(text_[p])) return {};
    while (p < text_.size() && is_name_char(text_[p])) ++p;
    return text_.substr(start, p - start);
  }

  // "&" and the group name followed by a separator; comments before it are skipped.
  bool find_group_start() {
    while (!at_end()) {
      const char c = peek();
      if (c == '!') {
        skip_comment();
        continue;
      }
      ++pos_;
      if (c != '&') continue;
      std::size_t p = pos_;
      const std::string_view name = name_at(p);
      if (to_lower(name) != group_.group_name_) continue;
      if (p < text_.size() && !ends_bare_value(text_[p])) continue;
      pos_ = p;
      return true;
    }
    return false;
  }

  // Whether a key assignment ("key =" or "key(...) =") starts here.
  bool assignment_starts_here() const {
    std::size_t p = pos_;
    if (name_at(p).empty()) return false;
    auto skip = [&] {
      while (p < text_.size() && is_space(text_[p])) ++p;
    };
    skip();
    if (p < text_.size() && text_[p] == '(') {
      while (p < text_.size() && text_[p] != ')' && text_[p] != '\n') ++p;
      if (p >= text_.size() || text_[p] != ')') return false;
      ++p;
      skip();
    }
    return p < text_.size() && text_[p] == '=';
  }

  const Entry* find_entry(std::string_view key) const {
    const std::string k = to_lower(key);
    for (const Entry& e : group_.entries_)
      if (e.key == k) return &e;
    return nullptr;
  }

  // "(i)" or "(i, j)" after a key. Sets count to the number of subscripts read.
  NamelistStatus subscripts(long (&index)[2], int& count) {
    count = 0;
    skip_spaces(false);
    if (at_end()) return NamelistStatus::end_of_file;
    if (peek() != '(') return NamelistStatus::ok;
    ++pos_;
    for (;;) {
      skip_spaces(false);
      const std::size_t start = pos_;
      while (!at_end() && (is_digit(peek()) || peek() == '+' || peek() == '-')) ++pos_;
      int v = 0;
      if (count == 2 || !parse_int32(text_.substr(start, pos_ - start), v))
        return at_end() ? NamelistStatus::end_of_file : NamelistStatus::bad;
      index[count++] = v;
      skip_spaces(false);
      if (at_end()) return NamelistStatus::end_of_file;
      const char c = peek();
      ++pos_;
      if (c == ')') return NamelistStatus::ok;
      if (c != ',') return NamelistStatus::bad;
    }
  }

  // Storage position of the first value, from the subscripts; false when they do not fit
  // the key's shape or lie outside its bounds.
  static bool first_position(const Entry& e, const long (&index)[2], int count,
                             std::size_t& position) {
    position = 0;
    if (count == 0) return true;
    if (e.n1 == 0) return false;  // a scalar takes no subscript
    const int rank = e.n2 == 0 ? 1 : 2;
    if (count != rank) return false;
    if (index[0] < 1 || static_cast<std::size_t>(index[0]) > e.n1) return false;
    position = static_cast<std::size_t>(index[0] - 1);
    if (rank == 2) {
      if (index[1] < 1 || static_cast<std::size_t>(index[1]) > e.n2) return false;
      position += static_cast<std::size_t>(index[1] - 1) * e.n1;
    }
    return true;
  }

  static std::size_t capacity(const Entry& e) {
    if (e.n1 == 0) return 1;
    return e.n2 == 0 ? e.n1 : e.n1 * e.n2;
  }

  NamelistStatus assignment() {
    std::size_t p = pos_;
    const std::string_view key = name_at(p);
    if (key.empty()) return fail(NamelistFailure::Kind::syntax, "", pos_);
    const std::size_t key_start = pos_;
    pos_ = p;
    const Entry* entry = find_entry(key);
    if (entry == nullptr) return fail(NamelistFailure::Kind::unknown_key, key, key_start);
    value_start_ = key_start;
    const NamelistStatus s = subscripts_and_values(*entry);
    if (s == NamelistStatus::bad) return fail(NamelistFailure::Kind::bad_value, key, value_start_);
    return s;
  }

  NamelistStatus subscripts_and_values(const Entry& entry) {
    long index[2] = {0, 0};
    int count = 0;
    if (const NamelistStatus s = subscripts(index, count); s != NamelistStatus::ok) return s;
    skip_spaces(false);
    if (at_end()) return NamelistStatus::end_of_file;
    if (peek() != '=') return NamelistStatus::bad;
    ++pos_;
    std::size_t position = 0;
    if (!first_position(entry, index, count, position)) return NamelistStatus::bad;
    return values(entry, position);
  }

  NamelistStatus fail(NamelistFailure::Kind kind, std::string_view key, std::size_t at) {
    failure_.kind = kind;
    failure_.key.assign(key);
    failure_.line = 1 + static_cast<int>(std::count(
                            text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    return NamelistStatus::bad;
  }

  // The value list of one key, up to the next key, the closing "/" or the end of the text.
  NamelistStatus values(const Entry& e, std::size_t position) {
    const std::size_t size = capacity(e);
    bool first = true;
    Value v;
    for (;;) {
      const int commas = skip_spaces_and_commas();
      if (at_end()) return NamelistStatus::end_of_file;
      if (peek() == '/' || assignment_starts_here()) return NamelistStatus::ok;
      // Each comma beyond the one that separates two values stands for an empty value.
      position += static_cast<std::size_t>(first ? commas : (commas > 1 ? commas - 1 : 0));
      first = false;
      const NamelistStatus s = value(v);
      if (s != NamelistStatus::ok) return s;
      const std::size_t n = static_cast<std::size_t>(v.repeat);
      if (!v.null) {
        if (position >= size || n > size - position) return NamelistStatus::bad;
        for (std::size_t k = 0; k < n; ++k)
          if (!store(e, position + k, v)) return NamelistStatus::bad;
      }
      position += n;
    }
  }

  // One value with its optional repeat count ("3*0.5", "2*" for two empty values).
  NamelistStatus value(Value& v) {
    value_start_ = pos_;
    v.text.clear();
    v.quoted = false;
    v.null = false;
    v.repeat = 1;
    std::size_t p = pos_;
    while (p < text_.size() && is_digit(text_[p])) ++p;
    if (p > pos_ && p < text_.size() && text_[p] == '*') {
      int r = 0;
      if (!parse_int32(text_.substr(pos_, p - pos_), r) || r < 1) return NamelistStatus::bad;
      v.repeat = r;
      pos_ = p + 1;
      if (at_end() || ends_bare_value(peek())) {
        v.null = true;
        return NamelistStatus::ok;
      }
    }
    if (peek() == '\'' || peek() == '"') return quoted(v);
    const std::size_t start = pos_;
    while (!at_end() && !ends_bare_value(peek())) ++pos_;
    v.text.assign(text_.substr(start, pos_ - start));
    return NamelistStatus::ok;
  }

  // A quoted text; a doubled delimiter stands for one, line breaks inside are dropped.
  NamelistStatus quoted(Value& v) {
    const char q = peek();
    ++pos_;
    v.quoted = true;
    while (!at_end()) {
      const char c = peek();
      ++pos_;
      if (c == q) {
        if (!at_end() && peek() == q) {
          v.text += q;
          ++pos_;
          continue;
        }
        return NamelistStatus::ok;
      }
      if (c == '\n' || (c == '\r' && !at_end() && peek() == '\n')) continue;
      v.text += c;
    }
    return NamelistStatus::end_of_file;
  }

  static bool store(const Entry& e, std::size_t position, const Value& v) {
    switch (e.kind) {
      case Kind::text: {
        *static_cast<std::string*>(e.target) =
            rtrim(std::string_view(v.text).substr(0, std::min(e.max_length, v.text.size())));
        return true;
      }
      case Kind::int32:
        return !v.quoted && parse_int32(v.text, *static_cast<int*>(e.target));
      case Kind::real:
        return !v.quoted && parse_real(v.text, static_cast<double*>(e.target)[position]);
      case Kind::logical:
        return !v.quoted && parse_logical(v.text, *static_cast<bool*>(e.target));
    }
    return false;
  }

  const Namelist& group_;
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t value_start_ = 0;  // where the value being read starts
  NamelistFailure failure_;
};

Namelist::Namelist(std::string group_name) : group_name_(to_lower(group_name)) {}

void Namelist::add(std::string_view key, Kind kind, void* target, std::size_t n1, std::size_t n2,
                   std::size_t max_length) {
  entries_.push_back(Entry{to_lower(key), kind, target, n1, n2, max_length});
}

void Namelist::add_text(std::string_view key, std::string& target, std::size_t max_length) {
  add(key, Kind::text, &target, 0, 0, max_length);
}
void Namelist::add_int(std::string_view key, int& target) {
  add(key, Kind::int32, &target, 0, 0, 0);
}
void Namelist::add_double(std::string_view key, double& target) {
  add(key, Kind::real, &target, 0, 0, 0);
}
void Namelist::add_bool(std::string_view key, bool& target) {
  add(key, Kind::logical, &target, 0, 0, 0);
}
void Namelist::add_doubles(std::string_view key, double* target, std::size_t n) {
  add(key, Kind::real, target, n, 0, 0);
}
void Namelist::add_doubles_2d(std::string_view key, double* target, std::size_t n1,
                              std::size_t n2) {
  add(key, Kind::real, target, n1, n2, 0);
}

NamelistStatus Namelist::parse(std::string_view text, NamelistFailure* failure) const {
  Parser parser(*this, text);
  const NamelistStatus status = parser.run();
  if (failure != nullptr) *failure = parser.failure();
  return status;
}

bool Namelist::has_group(std::string_view text) const {
  Parser parser(*this, text);
  return parser.group_starts();
}

NamelistStatus Namelist::parse_file(const std::string& path, NamelistFailure* failure) const {
  std::ifstream in(path, std::ios::binary);
  if (!in) return NamelistStatus::bad;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return NamelistStatus::bad;
  return parse(text.str(), failure);
}

}  // namespace kadre

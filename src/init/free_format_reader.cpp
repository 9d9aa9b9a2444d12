#include "init/free_format_reader.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <utility>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

namespace {

// Bytes read from a file at a time.
constexpr std::size_t kChunkSize = 1 << 20;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

// Reals as written by people and by other programs: an optional sign, digits with an optional
// point (at least one digit), an optional exponent introduced by E, D or Q or by its sign
// alone (1.5-3 is 1.5e-3). Inf, Infinity and NaN are refused, and so is a value beyond the
// largest double; one too small for a double reads as 0.
bool parse_real(std::string_view s, double& out) {
  std::string_view body = s;
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // No input value may be infinite or undefined: these words are read errors.
  if (iequals(body, "inf") || iequals(body, "infinity") || iequals(body, "nan")) return false;
  char buf[128];
  std::size_t n = 0;
  std::size_t i = 0;
  int mantissa_digits = 0;
  while (i < body.size() && body[i] >= '0' && body[i] <= '9') {
    if (n + 1 >= sizeof buf) return false;
    buf[n++] = body[i++];
    ++mantissa_digits;
  }
  if (i < body.size() && body[i] == '.') {
    if (n + 1 >= sizeof buf) return false;
    buf[n++] = body[i++];
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') {
      if (n + 1 >= sizeof buf) return false;
      buf[n++] = body[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < body.size()) {
    char c = body[i];
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q') {
      ++i;
    } else if (c != '+' && c != '-') {
      return false;
    }
    if (n + 2 >= sizeof buf) return false;
    buf[n++] = 'e';
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) buf[n++] = body[i++];
    int exponent_digits = 0;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') {
      if (n + 1 >= sizeof buf) return false;
      buf[n++] = body[i++];
      ++exponent_digits;
    }
    if (exponent_digits == 0 || i != body.size()) return false;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(buf, buf + n, v);
  if (end != buf + n) return false;
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; a value beyond the largest double is a read error.
    bool nonzero = false;
    for (std::size_t k = 0; k < n && buf[k] != 'e'; ++k)
      if (buf[k] >= '1' && buf[k] <= '9') nonzero = true;
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', n));
    const bool negative_exponent = e && e + 1 < buf + n && e[1] == '-';
    if (nonzero && !negative_exponent) return false;
    v = 0.0;
  } else if (ec != std::errc()) {
    return false;
  }
  out = negative ? -v : v;
  return true;
}

struct FreeFormatReader::Token {
  std::string_view value;
  std::string unquoted;  // holds a quoted string with its doubled quotes resolved
  bool quoted = false;
  bool null = false;
  long repeat = 1;
};

FreeFormatReader::FreeFormatReader(const std::string& path)
    : path_(path), file_(std::fopen(path.c_str(), "rb")) {
  open_ = file_ != nullptr;
}

bool FreeFormatReader::refill() {
  if (!open_ || (file_ended_ && carry_.empty())) return false;
  if (keep_from_ > 0) {
    data_.erase(0, keep_from_);
    pos_ -= keep_from_;
    record_start_ -= keep_from_;
    keep_from_ = 0;
  }
  const std::size_t before = data_.size();
  chunk_.resize(kChunkSize);
  while (data_.size() == before) {
    if (file_ended_) {
      data_ += carry_;  // the last record, without a line break
      carry_.clear();
      break;
    }
    std::size_t n = std::fread(chunk_.data(), 1, chunk_.size(), file_.get());
    if (n < chunk_.size()) {
      if (std::ferror(file_.get())) raise_error("Soubor " + path_ + " nelze cist.");
      file_ended_ = true;
    }
    const char* first = chunk_.data();
    // A byte-order mark some editors put before UTF-8 text is no part of the first item.
    if (std::exchange(at_file_start_, false) && n >= 3 &&
        std::memcmp(first, "\xEF\xBB\xBF", 3) == 0) {
      first += 3;
      n -= 3;
    }
    const void* last_break = memrchr(first, '\n', n);
    if (last_break == nullptr) {
      carry_.append(first, n);
      continue;
    }
    const std::size_t whole =
        static_cast<std::size_t>(static_cast<const char*>(last_break) - first) + 1;
    data_ += carry_;
    data_.append(first, whole);
    carry_.assign(first + whole, n - whole);
  }
  return data_.size() > before;
}

void FreeFormatReader::finish_statement() {
  const auto nl = data_.find('\n', pos_);
  pos_ = nl == std::string::npos ? data_.size() : nl + 1;
  record_start_ = pos_;
}

// Finds the next item of the current statement. Returns false at the end of the file.
bool FreeFormatReader::skip_blanks() {
  for (;;) {
    while (pos_ < data_.size() && is_blank(data_[pos_])) ++pos_;
    if (pos_ < data_.size()) return true;
    if (!refill()) return false;
  }
}

// statement_ended is set when a slash ends the statement.
bool FreeFormatReader::next_token(Token& tok, bool& statement_ended) {
  tok.quoted = false;
  tok.null = false;
  tok.repeat = 1;
  statement_ended = false;
  for (;;) {
    if (!skip_blanks()) return false;
    const char c = data_[pos_];
    if (c == '\n') {
      ++pos_;
      record_start_ = pos_;
      continue;
    }
    if (c == ',') {
      ++pos_;
      if (comma_means_null_) {
        tok.null = true;
        return true;
      }
      comma_means_null_ = true;
      continue;
    }
    if (c == '/') {
      statement_ended = true;
      return true;
    }
    break;
  }
  comma_means_null_ = false;
  // r*value and r* (r null items): r is unsigned digits; the value may be quoted.
  {
    std::size_t p = pos_;
    while (p < data_.size() && data_[p] >= '0' && data_[p] <= '9') ++p;
    long long r = 0;
    if (p > pos_ && p < data_.size() && data_[p] == '*' &&
        parse_integer(std::string_view(data_).substr(pos_, p - pos_), 1,
                      std::numeric_limits<int>::max(), r)) {
      tok.repeat = static_cast<long>(r);
      pos_ = p + 1;
      if (pos_ >= data_.size() || is_blank(data_[pos_]) || data_[pos_] == ',' ||
          data_[pos_] == '/' || data_[pos_] == '\n') {
        tok.null = true;
        return true;
      }
    }
  }
  const std::size_t start = pos_;
  if (data_[pos_] == '\'' || data_[pos_] == '"') {
    const char q = data_[pos_++];
    tok.unquoted.clear();
    while (pos_ < data_.size()) {
      if (data_[pos_] == q) {
        if (pos_ + 1 < data_.size() && data_[pos_ + 1] == q) {
          tok.unquoted += q;
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      if (data_[pos_] == '\n') break;  // an unclosed string ends with its record
      tok.unquoted += data_[pos_++];
    }
    tok.quoted = true;
    tok.value = tok.unquoted;
  } else {
    while (pos_ < data_.size() && !is_blank(data_[pos_]) && data_[pos_] != ',' &&
           data_[pos_] != '/' && data_[pos_] != '\n')
      ++pos_;
    tok.value = std::string_view(data_).substr(start, pos_ - start);
  }
  return true;
}

template <class Sink>
ReadStatus FreeFormatReader::read_statement(std::size_t n, Sink&& sink, std::size_t stored) {
  comma_means_null_ = true;
  keep_from_ = record_start_;
  std::size_t k = 0;
  Token tok;
  while (k < n) {
    bool ended = false;
    if (!next_token(tok, ended)) {
      pos_ = data_.size();
      record_start_ = pos_;
      return ReadStatus::end_of_file;
    }
    if (ended) break;
    const std::size_t count = std::min(static_cast<std::size_t>(tok.repeat), n - k);
    if (tok.null) {
      k += count;
      continue;
    }
    for (std::size_t r = 0; r < count; ++r, ++k) {
      if (r > 0 && k >= stored) {  // the same item again, checked already and not kept
        k += count - r;
        break;
      }
      if (!sink(k, tok)) {
        finish_statement();
        return ReadStatus::bad_value;
      }
    }
  }
  finish_statement();
  return ReadStatus::ok;
}

namespace {

bool store(const FreeFormatReader::Item& item, std::string_view value, bool quoted) {
  using Kind = FreeFormatReader::Item::Kind;
  switch (item.kind) {
    case Kind::text: {
      auto* s = static_cast<std::string*>(item.target);
      *s = std::string(value.substr(0, item.text_length));
      return true;
    }
    case Kind::int32: {
      long long v = 0;
      if (quoted || !parse_integer(value, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max(), v))
        return false;
      *static_cast<int*>(item.target) = static_cast<int>(v);
      return true;
    }
    case Kind::real: {
      double v = 0;
      if (quoted || !parse_real(value, v)) return false;
      *static_cast<double*>(item.target) = v;
      return true;
    }
  }
  return false;
}

}  // namespace

ReadStatus FreeFormatReader::read(std::initializer_list<Item> items) {
  const Item* first = items.begin();
  return read_statement(items.size(), [&](std::size_t k, const Token& t) {
    return store(first[k], t.value, t.quoted);
  });
}

ReadStatus FreeFormatReader::read(const std::vector<Item>& items) {
  return read_statement(items.size(), [&](std::size_t k, const Token& t) {
    return store(items[k], t.value, t.quoted);
  });
}

ReadStatus FreeFormatReader::read_int16_row(std::vector<std::int16_t>& values, std::size_t n,
                                            std::size_t keep) {
  return read_statement(
      n,
      [&](std::size_t k, const Token& t) {
        long long v = 0;
        if (t.quoted || !parse_integer(t.value, -32768, 32767, v)) return false;
        if (k >= keep) return true;
        if (values.size() <= k) values.resize(k + 1, 0);
        values[k] = static_cast<std::int16_t>(v);
        return true;
      },
      keep);
}

ReadStatus FreeFormatReader::read_reals(double* values, std::size_t n) {
  return read_statement(n, [&](std::size_t k, const Token& t) {
    return !t.quoted && parse_real(t.value, values[k]);
  });
}

bool FreeFormatReader::read_record_items(std::vector<RecordItem>& items, int& line) {
  items.clear();
  keep_from_ = record_start_;
  for (;;) {
    if (!skip_blanks()) return false;
    if (data_[pos_] != '\n') break;
    ++pos_;
    record_start_ = pos_;
    ++line;
  }
  ++line;
  // data_ ends at the end of a record: the whole record is at hand.
  const std::size_t nl = data_.find('\n', pos_);
  const std::string_view record =
      std::string_view(data_).substr(pos_, (nl == std::string::npos ? data_.size() : nl) - pos_);
  const auto separator = [](char c) { return is_blank(c) || c == ','; };
  for (std::size_t i = 0;;) {
    while (i < record.size() && separator(record[i])) ++i;
    if (i >= record.size()) break;
    // r*value stands for the value once; r* alone for null items.
    std::size_t p = i;
    while (p < record.size() && record[p] >= '0' && record[p] <= '9') ++p;
    long long r = 0;
    if (p > i && p < record.size() && record[p] == '*' &&
        parse_integer(record.substr(i, p - i), 1, std::numeric_limits<int>::max(), r)) {
      i = p + 1;
      if (i >= record.size() || separator(record[i])) continue;
    }
    RecordItem item;
    if (record[i] == '\'' || record[i] == '"') {
      const char q = record[i++];
      item.quoted = true;
      while (i < record.size()) {
        if (record[i] == q) {
          if (i + 1 < record.size() && record[i + 1] == q) {
            item.text += q;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item.text += record[i++];  // an unclosed string ends with its record
      }
    } else {
      const std::size_t start = i;
      while (i < record.size() && !separator(record[i])) ++i;
      item.text.assign(record.substr(start, i - start));
    }
    items.push_back(std::move(item));
  }
  finish_statement();
  return true;
}

bool FreeFormatReader::skip_record() {
  keep_from_ = record_start_;
  if (pos_ >= data_.size() && !refill()) return false;
  finish_statement();
  return true;
}

void FreeFormatReader::backspace() {
  std::size_t p = pos_;
  if (p > 0 && data_[p - 1] == '\n') --p;
  while (p > 0 && data_[p - 1] != '\n') --p;
  pos_ = p;
  record_start_ = p;
}

void FreeFormatReader::rewind() {
  if (open_ && std::fseek(file_.get(), 0, SEEK_SET) != 0)
    raise_error("Soubor " + path_ + " nelze cist.");
  file_ended_ = false;
  at_file_start_ = true;
  carry_.clear();
  data_.clear();
  pos_ = record_start_ = keep_from_ = 0;
}

void FreeFormatReader::skip_comment_header() {
  for (;;) {
    std::string first;
    if (read({text(first)}) == ReadStatus::end_of_file) return;
    if (!first.empty() && first[0] == '!') continue;
    backspace();
    return;
  }
}

int FreeFormatReader::count_records() {
  int count = 0;
  double dummy = 0;
  while (read({real(dummy)}) != ReadStatus::end_of_file) ++count;
  return count;
}

}  // namespace kadre

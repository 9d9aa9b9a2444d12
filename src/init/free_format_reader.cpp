#include "init/free_format_reader.h"

#include <algorithm>
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
    lines_dropped_ += static_cast<long>(
        std::count(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(keep_from_), '\n'));
    data_.erase(0, keep_from_);
    pos_ -= keep_from_;
    record_start_ -= keep_from_;
    unread_from_ = unread_end_ = 0;
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

void FreeFormatReader::finish_statement(bool by_slash) {
  const auto nl = data_.find('\n', pos_);
  const std::size_t end = nl == std::string::npos ? data_.size() : nl;
  unread_from_ = by_slash ? end : pos_;
  unread_end_ = end;
  pos_ = nl == std::string::npos ? data_.size() : nl + 1;
  record_start_ = pos_;
}

// Calls f(start, end) for each item of the rest of the last statement's record until it
// returns false; the items are words or quoted strings, up to a "/".
template <class F>
void FreeFormatReader::for_each_unread(F&& f) const {
  std::size_t p = unread_from_;
  for (;;) {
    while (p < unread_end_ && (is_blank(data_[p]) || data_[p] == ',')) ++p;
    if (p >= unread_end_ || data_[p] == '/') return;
    const std::size_t start = p;
    if (data_[p] == '\'' || data_[p] == '"') {
      const char q = data_[p++];
      while (p < unread_end_ && data_[p] != q) ++p;
      if (p < unread_end_) ++p;
    } else {
      while (p < unread_end_ && !is_blank(data_[p]) && data_[p] != ',' && data_[p] != '/') ++p;
    }
    if (!f(start, p)) return;
  }
}

bool FreeFormatReader::unread_item(std::string& item, int skip) const {
  int k = 0;
  bool found = false;
  for_each_unread([&](std::size_t start, std::size_t end) {
    if (k++ < skip) return true;
    item.assign(data_, start, end - start);
    found = true;
    return false;
  });
  return found;
}

int FreeFormatReader::unread_count() const {
  int n = 0;
  for_each_unread([&n](std::size_t, std::size_t) {
    ++n;
    return true;
  });
  return n;
}

long FreeFormatReader::line_number() const {
  return lines_dropped_ +
         static_cast<long>(std::count(
             data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(record_start_), '\n')) +
         1;
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
      if (stop_at_record_end_) {
        record_ended_ = true;
        statement_ended = true;
        return true;
      }
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
ReadStatus FreeFormatReader::read_statement(std::size_t n, Sink&& sink, bool one_record) {
  comma_means_null_ = true;
  keep_from_ = record_start_;
  unread_from_ = unread_end_ = 0;
  std::size_t k = 0;
  Token tok;
  // One record: blank records before it are passed over; from its first item on, its end
  // ends the statement.
  if (one_record) {
    for (;;) {
      if (!skip_blanks()) break;
      if (data_[pos_] != '\n') break;
      ++pos_;
      record_start_ = pos_;
    }
    stop_at_record_end_ = true;
    record_ended_ = false;
  }
  const auto finish = [&](ReadStatus status, bool by_slash) {
    stop_at_record_end_ = false;
    items_read_ = k;
    if (status == ReadStatus::end_of_file) {
      pos_ = data_.size();
      record_start_ = pos_;
      return status;
    }
    finish_statement(by_slash);
    return status;
  };
  while (k < n) {
    bool ended = false;
    if (!next_token(tok, ended)) return finish(ReadStatus::end_of_file, false);
    if (ended) {
      if (record_ended_) return finish(ReadStatus::short_record, false);
      return finish(ReadStatus::ok, true);
    }
    const std::size_t count = std::min(static_cast<std::size_t>(tok.repeat), n - k);
    if (tok.null) {
      k += count;
      continue;
    }
    for (std::size_t r = 0; r < count; ++r, ++k)
      if (!sink(k, tok)) return finish(ReadStatus::bad_value, false);
  }
  return finish(ReadStatus::ok, false);
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

ReadStatus FreeFormatReader::read_one_record(std::initializer_list<Item> items) {
  const Item* first = items.begin();
  return read_statement(
      items.size(),
      [&](std::size_t k, const Token& t) { return store(first[k], t.value, t.quoted); }, true);
}

ReadStatus FreeFormatReader::read_one_record(const std::vector<Item>& items) {
  return read_statement(
      items.size(),
      [&](std::size_t k, const Token& t) { return store(items[k], t.value, t.quoted); }, true);
}

ReadStatus FreeFormatReader::read_int16_record(std::vector<Int16Run>& runs, long& lines,
                                               std::string& bad_item) {
  runs.clear();
  lines = 0;
  keep_from_ = record_start_;
  unread_from_ = unread_end_ = 0;
  for (;;) {
    if (!skip_blanks()) return ReadStatus::end_of_file;
    if (data_[pos_] != '\n') break;
    ++pos_;
    record_start_ = pos_;
    ++lines;
  }
  // The record's items: commas separate, two in a row hold a null item.
  bool after_item = false;
  for (;;) {
    while (pos_ < data_.size() && is_blank(data_[pos_])) ++pos_;
    if (pos_ >= data_.size() || data_[pos_] == '\n' || data_[pos_] == '/') break;
    if (data_[pos_] == ',') {
      ++pos_;
      if (after_item) {
        after_item = false;
        continue;
      }
      bad_item.clear();
      finish_statement();
      ++lines;
      return ReadStatus::bad_value;
    }
    const std::size_t start = pos_;
    while (pos_ < data_.size() && !is_blank(data_[pos_]) && data_[pos_] != ',' &&
           data_[pos_] != '/' && data_[pos_] != '\n')
      ++pos_;
    const std::string_view text = std::string_view(data_).substr(start, pos_ - start);
    std::string_view value = text;
    long long count = 1, v = 0;
    if (const std::size_t star = text.find('*'); star != std::string_view::npos) {
      // r*value: r is unsigned digits.
      value = text.substr(star + 1);
      const std::string_view r = text.substr(0, star);
      if (r.empty() || r[0] == '+' || !parse_integer(r, 1, std::numeric_limits<long>::max(), count))
        count = 0;
    }
    if (count == 0 || !parse_integer(value, -32768, 32767, v)) {
      bad_item.assign(text);
      finish_statement();
      ++lines;
      return ReadStatus::bad_value;
    }
    runs.push_back(Int16Run{static_cast<std::int16_t>(v), static_cast<long>(count)});
    after_item = true;
  }
  finish_statement();
  ++lines;
  return ReadStatus::ok;
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

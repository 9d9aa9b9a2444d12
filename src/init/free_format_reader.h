#pragma once
// List-directed reading of the free-format data files.
//
// A file is a sequence of records (lines). Every read statement starts at the beginning of
// the next unread record, takes its items from as many records as it needs (blank records
// are passed over like separators) and discards the rest of the last record it touched.
// Items are separated by blanks, tabs or a comma; "/" ends the statement and leaves the
// remaining items unchanged; two commas in a row give a null item that keeps its value;
// "r*value" repeats a value r times. Text items are bare words (ending at a blank, comma or
// slash) or quoted strings in which a doubled quote stands for one.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kadre {

// Reads a finite real in any of the forms the data files use; false for anything else (also
// for "nan", "inf" and values beyond the largest double; too small values read as 0).
bool parse_real(std::string_view s, double& out);

enum class ReadStatus {
  ok,
  end_of_file,  // the file ended before every item was read (a negative status)
  bad_value     // an item could not be converted to its type (a positive status)
};

class FreeFormatReader {
 public:
  // An item of a read statement: where the value goes and how to convert it.
  struct Item {
    enum class Kind { int32, real, text } kind;
    void* target;
    std::size_t text_length;  // text items keep at most this many leftmost characters
  };
  static Item integer(int& v) { return {Item::Kind::int32, &v, 0}; }
  static Item real(double& v) { return {Item::Kind::real, &v, 0}; }
  static Item text(std::string& v, std::size_t max_length = std::string::npos) {
    return {Item::Kind::text, &v, max_length};
  }

  // Opens the file; is_open() tells whether that worked. The file is read as a stream: the
  // reader holds the records of the current statement and at most one chunk more.
  explicit FreeFormatReader(const std::string& path);

  bool is_open() const { return open_; }

  // One read statement with the given items.
  ReadStatus read(std::initializer_list<Item> items);
  ReadStatus read(const std::vector<Item>& items);
  // One read statement of n integers, the first `keep` of them into values; values grows with
  // the items the file holds (a null item keeps the value there, 0 where there was none). The
  // items after the first `keep` are checked, not kept: a row's length is no allocation.
  ReadStatus read_int16_row(std::vector<std::int16_t>& values, std::size_t n, std::size_t keep);
  ReadStatus read_reals(double* values, std::size_t n);

  // An item of a whole record, as written: a slash is part of it, not the end of the record.
  struct RecordItem {
    std::string text;
    bool quoted = false;
  };
  // Every item of the next record that holds anything (null items left out, a repeated item
  // once). A slash does not end the record: it is an item or part of one, for the caller to
  // judge. Counts into line the records passed, that one included. False at end of file.
  bool read_record_items(std::vector<RecordItem>& items, int& line);

  // Skips one record whatever it holds (an empty read statement). False at end of file.
  bool skip_record();
  // Goes back to the start of the record before the current position.
  void backspace();
  // Back to the first record.
  void rewind();
  // Skips the comment header: records whose first item starts with "!" (blank records
  // among them are skipped too); stops at the start of the first other record.
  void skip_comment_header();
  // Counts the read statements of one item that succeed or fail before the end of the
  // file, from the current position (records that hold anything). Leaves the position at
  // the end of the file.
  int count_records();

 private:
  struct Token;
  // Reads n items, each through sink(k, token). Items from `stored` on are only checked: a
  // repeated one goes to the sink once, so that a repeat count costs no time per item.
  template <class Sink>
  ReadStatus read_statement(std::size_t n, Sink&& sink,
                            std::size_t stored = static_cast<std::size_t>(-1));
  bool next_token(Token& tok, bool& statement_ended);
  void finish_statement();
  // Appends the next whole records of the file to data_ after dropping those before
  // keep_from_; false at the end of the file.
  bool refill();
  // Moves pos_ past blanks, reading on as needed; false at the end of the file.
  bool skip_blanks();

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string path_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string chunk_;  // read buffer
  std::string carry_;  // the start of a record whose end is not read yet
  bool file_ended_ = false;
  bool at_file_start_ = true;     // the next bytes read are the file's first
  std::string data_;              // whole records of the file (or its unterminated last one)
  std::size_t pos_ = 0;           // next unread character of data_
  std::size_t record_start_ = 0;  // start of the record that holds pos_
  std::size_t keep_from_ = 0;     // first record of the current statement
  bool open_ = false;
  bool comma_means_null_ = true;
};

}  // namespace kadre

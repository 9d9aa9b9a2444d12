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
  bad_value,    // an item could not be converted to its type (a positive status)
  short_record  // a statement of one record found fewer items on its line (a positive status)
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
  // One read statement whose items must all stand on one record (blank records before it are
  // passed over): a record that ends first gives short_record, so that a missing value is
  // told on its own line instead of being taken from the next one.
  ReadStatus read_one_record(std::initializer_list<Item> items);
  ReadStatus read_one_record(const std::vector<Item>& items);
  ReadStatus read_reals(double* values, std::size_t n);

  // Items of the last statement that were read or passed as null (less than asked for after
  // short_record).
  std::size_t items_read() const { return items_read_; }
  // The item `skip` places after the end of the last statement that stands on its last record
  // and was not read (a statement ended by "/" leaves none); false when there is none. Valid
  // until the next statement.
  bool unread_item(std::string& item, int skip = 0) const;
  // How many such items there are.
  int unread_count() const;
  // Number (from 1) of the file line at which the next statement begins its search.
  long line_number() const;

  // A run of equal values of a record: one item, or r*value.
  struct Int16Run {
    std::int16_t value;
    long count;
  };
  // The items of the next record that holds anything, as 16-bit integers, into runs (emptied
  // first; a "/" ends the record's items). lines gets the line breaks passed on the way, blank
  // records and the record's own included. An item that is no such integer, or a null item,
  // gives bad_value with its text in bad_item (empty for a null item) and the items before it
  // in runs; end_of_file when no record holds anything.
  ReadStatus read_int16_record(std::vector<Int16Run>& runs, long& lines, std::string& bad_item);

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
  // Reads n items, each through sink(k, token); with one_record all from one record.
  template <class Sink>
  ReadStatus read_statement(std::size_t n, Sink&& sink, bool one_record = false);
  bool next_token(Token& tok, bool& statement_ended);
  template <class F>
  void for_each_unread(F&& f) const;
  // Ends the statement at the end of its current record; by_slash when a "/" ended it, which
  // leaves nothing unread.
  void finish_statement(bool by_slash = false);
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
  bool stop_at_record_end_ = false;  // set while a one-record statement has begun
  bool record_ended_ = false;        // next_token met the end of that record
  std::size_t items_read_ = 0;
  std::size_t unread_from_ = 0, unread_end_ = 0;  // the rest of the last statement's record
  long lines_dropped_ = 0;                        // line breaks of the text dropped from data_
};

}  // namespace kadre

// The free-format reader: the forms of its items and how read statements take records.
#include "init/free_format_reader.h"

#include <gtest/gtest.h>

#include <charconv>

#include "support/test_support.h"

namespace kadre {
namespace {

using R = FreeFormatReader;

// A reader of the text, through a file as the program reads its inputs.
R reader_of(const std::string& text) {
  test::TempDir dir;
  return R(dir.write("data.txt", text));
}

// One read statement of one item ('i' integer, 'r' real, 't' text); the value as text, reals
// in their shortest exact form.
std::pair<ReadStatus, std::string> read_item(const std::string& text, char kind) {
  auto reader = reader_of(text);
  int i = 0;
  double d = 0;
  std::string s;
  const ReadStatus status = reader.read({kind == 'i'   ? R::integer(i)
                                         : kind == 'r' ? R::real(d)
                                                       : R::text(s)});
  char buf[32];
  if (kind == 'r') return {status, std::string(buf, std::to_chars(buf, buf + sizeof buf, d).ptr)};
  return {status, kind == 'i' ? std::to_string(i) : s};
}

TEST(FreeFormatReader, ItemForms) {
  constexpr ReadStatus ok = ReadStatus::ok, bad = ReadStatus::bad_value;
  const struct {
    const char* text;
    char kind;
    ReadStatus status;
    const char* value;
  } cases[] = {
      {"-5", 'i', ok, "-5"},
      {"2.5", 'i', bad, ""},
      {"+-5", 'i', bad, ""},
      {"'3'", 'i', bad, ""},
      {"+2*5", 'i', bad, ""},
      {"3000000000", 'i', bad, ""},
      {"-.5", 'r', ok, "-0.5"},
      {"1.5D2", 'r', ok, "150"},
      {"1.0+2", 'r', ok, "100"},
      {"+3.", 'r', ok, "3"},
      {"1e-400", 'r', ok, "0"},
      {"1e400", 'r', bad, ""},
      {"nan", 'r', bad, ""},
      {"-Infinity", 'r', bad, ""},
      {"abc", 'r', bad, ""},
      {"'1'", 'r', bad, ""},
      {"1e", 'r', bad, ""},
      {".", 'r', bad, ""},
      {"'it''s' x", 't', ok, "it's"},
      {"2*'a b'", 't', ok, "a b"},
      {"a/b", 't', ok, "a"},
      {"'open\nrecord'", 't', ok, "open"},
      {"\n\n 3", 'i', ok, "3"},
      {"/ 3", 'i', ok, "0"},
      {"", 'i', ReadStatus::end_of_file, "0"},
  };
  for (const auto& c : cases) {
    const auto [status, value] = read_item(c.text, c.kind);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(FreeFormatReader, StatementsTakeWholeRecords) {
  auto r = reader_of("1, 2.5\n\n  'a b' tail ignored\n7\n1,,3\n2*4 5\n9 / 8\nABCDEF 2*'x'\n1 2\n");
  int a = -1, b = -1, c = -1;
  double d = 0;
  std::string s, t;
  ASSERT_EQ(r.read({R::integer(a), R::real(d), R::text(s)}), ReadStatus::ok);
  EXPECT_EQ(std::tuple(a, d, s), std::tuple(1, 2.5, "a b"));
  ASSERT_EQ(r.read({R::integer(a)}), ReadStatus::ok);  // the tail of the last record is dropped
  EXPECT_EQ(a, 7);
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(std::tuple(a, b, c), std::tuple(1, -1, 3));  // a null keeps the value
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(std::tuple(a, b, c), std::tuple(4, 4, 5));
  b = -1;  // "/" ends the statement
  ASSERT_EQ(r.read({R::integer(a), R::integer(b)}), ReadStatus::ok);
  EXPECT_EQ(std::tuple(a, b), std::tuple(9, -1));
  ASSERT_EQ(r.read({R::text(s, 3), R::text(t), R::text(t)}), ReadStatus::ok);
  EXPECT_EQ(std::tuple(s, t), std::tuple("ABC", "x"));
  EXPECT_EQ(r.read({R::integer(a), R::integer(a), R::integer(a)}), ReadStatus::end_of_file);
}

TEST(FreeFormatReader, CommentHeaderCountAndSkip) {
  auto r = reader_of("! header\n\n  !more, text\nP1 1 2\n\nP2 x 4\nP3 5 6");
  r.skip_comment_header();
  EXPECT_EQ(r.count_records(), 3);  // a record that fails to read counts, a blank one does not
  r.rewind();
  r.skip_comment_header();
  std::string id;
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P1");
  EXPECT_TRUE(r.skip_record());  // a blank record is skipped like any other
  EXPECT_TRUE(r.skip_record());
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P3");
  EXPECT_FALSE(r.skip_record());
}

// A statement of one record takes its items from one line only; what a statement leaves on
// its last line is told (a "/" or a trailing comma leaves nothing); lines are counted.
TEST(FreeFormatReader, OneRecordStatementsAndTheItemsLeftOnALine) {
  auto r = reader_of("! c\n1 2 3 4,'a b'\n\n5 6\n7 8 9,\n10 11 / 12\n13 14 15 16\n");
  int a = 0, b = 0, c = 0;
  std::string item;
  const std::vector<R::Item> three{R::integer(a), R::integer(b), R::integer(c)};
  r.skip_comment_header();
  EXPECT_EQ(r.line_number(), 2);
  ASSERT_EQ(r.read_one_record(three), ReadStatus::ok);
  EXPECT_EQ(r.unread_count(), 2);
  ASSERT_TRUE(r.unread_item(item));
  EXPECT_EQ(item, "4");
  ASSERT_TRUE(r.unread_item(item, 1));
  EXPECT_EQ(item, "'a b'");
  EXPECT_EQ(r.read_one_record(three), ReadStatus::short_record);  // the blank line is passed
  EXPECT_EQ(std::tuple(r.items_read(), a, b), std::tuple(2u, 5, 6));
  EXPECT_EQ(r.line_number(), 5);  // the next statement starts on the next line
  ASSERT_EQ(r.read_one_record(three), ReadStatus::ok);
  EXPECT_FALSE(r.unread_item(item));
  ASSERT_EQ(r.read_one_record(three), ReadStatus::ok);
  EXPECT_EQ(std::tuple(a, b, c), std::tuple(10, 11, 9));
  EXPECT_FALSE(r.unread_item(item));
  ASSERT_EQ(r.read(three), ReadStatus::ok);
  ASSERT_TRUE(r.unread_item(item));
  EXPECT_EQ(item, "16");
  EXPECT_EQ(r.read_one_record(three), ReadStatus::end_of_file);
}

// The items of a grid row: repeat counts kept as runs, a null item or a value that is not a
// 16-bit whole number stops the record with its text.
TEST(FreeFormatReader, Int16RecordsKeepRunsAndNameTheBadItem) {
  auto r = reader_of("1 3*-2 4,5 / 9\n\n\n 7\n8,,9\n1 2.5\n40000\n");
  std::vector<R::Int16Run> runs;
  long lines = 0;
  std::string bad;
  const auto values = [&runs] {
    std::vector<std::pair<int, long>> v;
    for (const auto& run : runs) v.emplace_back(run.value, run.count);
    return v;
  };
  ASSERT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::ok);
  EXPECT_EQ(values(), (std::vector<std::pair<int, long>>{{1, 1}, {-2, 3}, {4, 1}, {5, 1}}));
  EXPECT_EQ(lines, 1);
  ASSERT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::ok);
  EXPECT_EQ(std::tuple(values().size(), lines), std::tuple(1u, 3L));  // two blank lines passed
  EXPECT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::bad_value);
  EXPECT_EQ(std::tuple(values().size(), bad), std::tuple(1u, ""));  // the null item
  EXPECT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::bad_value);
  EXPECT_EQ(bad, "2.5");
  EXPECT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::bad_value);
  EXPECT_EQ(bad, "40000");
  EXPECT_EQ(r.read_int16_record(runs, lines, bad), ReadStatus::end_of_file);
}

// A file several times the reader's buffer: records, a statement over many records and one
// record longer than the buffer all arrive whole, after a rewind too, and the last record
// needs no line break.
TEST(FreeFormatReader, FilesLargerThanAnyBufferArriveWhole) {
  std::string text = "! header\n";
  for (int k = 0; k < 200000; ++k) text += "R" + std::to_string(k) + " " + std::to_string(k) + "\n";
  for (int k = 0; k < 300000; ++k) text += std::to_string(k % 7) + (k % 10 == 9 ? "\n" : " ");
  text += std::string(3 << 20, 'x') + " 42\nlast 7";
  auto r = reader_of(text);
  for (int pass = 0; pass < 2; ++pass, r.rewind()) {
    r.skip_comment_header();
    std::string id;
    int value = -1;
    long sum = 0;
    for (int k = 0; k < 200000; ++k) {
      ASSERT_EQ(r.read({R::text(id), R::integer(value)}), ReadStatus::ok);
      sum += value == k && id == "R" + std::to_string(k);
    }
    EXPECT_EQ(sum, 200000);
    std::vector<double> values(300000);
    ASSERT_EQ(r.read_reals(values.data(), values.size()), ReadStatus::ok);
    EXPECT_EQ(values[299999], 299999 % 7);
    ASSERT_EQ(r.read({R::text(id), R::integer(value)}), ReadStatus::ok);
    EXPECT_EQ(std::tuple(id.size(), value), std::tuple(std::size_t{3} << 20, 42));
    ASSERT_EQ(r.read({R::text(id), R::integer(value)}), ReadStatus::ok);
    EXPECT_EQ(std::tuple(id, value), std::tuple("last", 7));
    EXPECT_EQ(r.read({R::text(id)}), ReadStatus::end_of_file);
  }
}

}  // namespace
}  // namespace kadre

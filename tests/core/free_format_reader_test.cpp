#include <gtest/gtest.h>

#include <charconv>

#include "init/free_format_reader.h"

namespace kadre {
namespace {

using R = FreeFormatReader;

// Reads one item of a kind ('i' int, 's' int16, 'r' real, 't' text) and gives its value as
// text (reals in their shortest exact form).
std::pair<ReadStatus, std::string> read_item(const std::string& text, char kind) {
  int i = 0;
  std::int16_t z = 0;
  double d = 0;
  std::string s;
  const R::Item item = kind == 'i' ? R::integer(i) : kind == 's' ? R::short_integer(z)
                     : kind == 'r' ? R::real(d)    : R::text(s);
  const ReadStatus status = R::from_text(text).read({item});
  char buf[32];
  switch (kind) {
    case 'i': return {status, std::to_string(i)};
    case 's': return {status, std::to_string(z)};
    case 'r': return {status, std::string(buf, std::to_chars(buf, buf + sizeof buf, d).ptr)};
    default: return {status, s};
  }
}

TEST(FreeFormatReader, ItemSyntax) {
  constexpr ReadStatus ok = ReadStatus::ok, bad = ReadStatus::bad_value;
  const struct { const char* text; char kind; ReadStatus status; const char* value; } cases[] = {
      {"-5", 'i', ok, "-5"},      {"2.5", 'i', bad, ""},        {"40000", 's', bad, ""},
      {"245.5", 's', bad, ""},    {"+-5", 'i', bad, ""},        {"+2*5", 'i', bad, ""},  // unsigned repeat count
      {"5", 'r', ok, "5"},        {"-.5", 'r', ok, "-0.5"},     {"1.5D2", 'r', ok, "150"},
      {"2e-1", 'r', ok, "0.2"},   {"+3.", 'r', ok, "3"},        {"1.0+2", 'r', ok, "100"},
      {"abc", 'r', bad, ""},      {"'1'", 'r', bad, ""},        {"1e", 'r', bad, ""},
      {".", 'r', bad, ""},        {"'it''s' x", 't', ok, "it's"}, {"2*'a b'", 't', ok, "a b"},
      {"\n\n 3", 'i', ok, "3"},   {"", 'i', ReadStatus::end_of_file, "0"},
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
  auto r = R::from_text("1, 2.5\n\n  'a b' tail ignored\n7\n1,,3\n2*4 5\n9 / 8\nABCDEF 2*'x'\n1 2\n");
  int a = -1, b = -1, c = -1;
  double d = 0;
  std::string s, t;
  ASSERT_EQ(r.read({R::integer(a), R::real(d), R::text(s)}), ReadStatus::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(s, "a b");
  ASSERT_EQ(r.read({R::integer(a)}), ReadStatus::ok);  // the tail of the last record is dropped
  EXPECT_EQ(a, 7);
  b = -1;  // a null keeps the value
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(std::vector<int>({a, b, c}), std::vector<int>({1, -1, 3}));
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(std::vector<int>({a, b, c}), std::vector<int>({4, 4, 5}));
  b = -1;  // "/" ends the statement
  ASSERT_EQ(r.read({R::integer(a), R::integer(b)}), ReadStatus::ok);
  EXPECT_EQ(std::vector<int>({a, b}), std::vector<int>({9, -1}));
  ASSERT_EQ(r.read({R::text(s, 3), R::text(t), R::text(t)}), ReadStatus::ok);
  EXPECT_EQ(s, "ABC");
  EXPECT_EQ(t, "x");
  EXPECT_EQ(r.read({R::integer(a), R::integer(a), R::integer(a)}), ReadStatus::end_of_file);
}

TEST(FreeFormatReader, CommentHeaderCountRewindBackspaceAndSkip) {
  auto r = R::from_text("! header\n\n  !more, text\nP1 1 2\n\nP2 x 4\nP3 5 6");
  r.skip_comment_header();
  EXPECT_EQ(r.count_records(), 3);
  r.rewind();
  r.skip_comment_header();
  std::string id;
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  r.backspace();
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P1");
  EXPECT_TRUE(r.skip_record());  // a blank record is skipped like any other
  EXPECT_TRUE(r.skip_record());
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P3");
  EXPECT_FALSE(r.skip_record());

  auto comments = R::from_text("! a\n! b\n");
  comments.skip_comment_header();
  EXPECT_EQ(comments.count_records(), 0);
}

}  // namespace
}  // namespace kadre

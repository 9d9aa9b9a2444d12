#include <gtest/gtest.h>

#include "init/free_format_reader.h"

namespace kadre {
namespace {

using R = FreeFormatReader;

TEST(FreeFormatReader, ItemsContinueOverLinesAndTheRestOfTheLastLineIsDropped) {
  auto r = R::from_text("1, 2.5\n\n  'a b' tail ignored\n7\n");
  int i = 0;
  double d = 0;
  std::string s;
  ASSERT_EQ(r.read({R::integer(i), R::real(d), R::text(s)}), ReadStatus::ok);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(s, "a b");
  ASSERT_EQ(r.read({R::integer(i)}), ReadStatus::ok);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(r.read({R::integer(i)}), ReadStatus::end_of_file);
}

TEST(FreeFormatReader, TypeMismatchesAreBadValues) {
  int i = 0;
  double d = 0;
  std::int16_t z = 0;
  EXPECT_EQ(R::from_text("2.5\n").read({R::integer(i)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("abc\n").read({R::real(d)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("'1'\n").read({R::real(d)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("40000\n").read({R::short_integer(z)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("245.5\n").read({R::short_integer(z)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("1 2\n").read({R::integer(i), R::integer(i), R::integer(i)}),
            ReadStatus::end_of_file);
}

TEST(FreeFormatReader, RealForms) {
  double d = 0;
  for (auto [text, value] : std::vector<std::pair<std::string, double>>{
           {"5", 5.0}, {"-.5", -0.5}, {"1.5D2", 150.0}, {"2e-1", 0.2}, {"+3.", 3.0}, {"1.0+2", 100.0}}) {
    ASSERT_EQ(R::from_text(text).read({R::real(d)}), ReadStatus::ok) << text;
    EXPECT_DOUBLE_EQ(d, value) << text;
  }
  EXPECT_EQ(R::from_text("1e").read({R::real(d)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text(".").read({R::real(d)}), ReadStatus::bad_value);
}

TEST(FreeFormatReader, NullsRepeatsAndSlash) {
  auto r = R::from_text("1,,3\n2*4 5\n9 / 8\n");
  int a = -1, b = -1, c = -1;
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 3);
  ASSERT_EQ(r.read({R::integer(a), R::integer(b), R::integer(c)}), ReadStatus::ok);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(c, 5);
  a = b = -1;
  ASSERT_EQ(r.read({R::integer(a), R::integer(b)}), ReadStatus::ok);
  EXPECT_EQ(a, 9);
  EXPECT_EQ(b, -1);
}

TEST(FreeFormatReader, RepeatedQuotedTextAndSignedRepeatCounts) {
  auto r = R::from_text("2*'a b' x\n");
  std::string a, b, c;
  ASSERT_EQ(r.read({R::text(a), R::text(b), R::text(c)}), ReadStatus::ok);
  EXPECT_EQ(a, "a b");
  EXPECT_EQ(b, "a b");
  EXPECT_EQ(c, "x");
  // A repeat count is unsigned; a sign makes the whole item a (bad) number.
  int i = 0;
  EXPECT_EQ(R::from_text("+2*5\n").read({R::integer(i), R::integer(i)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("+-5\n").read({R::integer(i)}), ReadStatus::bad_value);
  EXPECT_EQ(R::from_text("-5\n").read({R::integer(i)}), ReadStatus::ok);
  EXPECT_EQ(i, -5);
}

TEST(FreeFormatReader, TextIsCutAndQuotesDoubled) {
  auto r = R::from_text("ABCDEF 'it''s'\n");
  std::string a, b;
  ASSERT_EQ(r.read({R::text(a, 3), R::text(b)}), ReadStatus::ok);
  EXPECT_EQ(a, "ABC");
  EXPECT_EQ(b, "it's");
}

TEST(FreeFormatReader, CommentHeaderCountAndRewind) {
  auto r = R::from_text("! header\n\n  !more, text\nP1 1 2\n\nP2 x 4\nP3 5 6");
  r.skip_comment_header();
  EXPECT_EQ(r.count_records(), 3);
  r.rewind();
  r.skip_comment_header();
  std::string id;
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P1");
  r.backspace();
  ASSERT_EQ(r.read({R::text(id)}), ReadStatus::ok);
  EXPECT_EQ(id, "P1");
}

TEST(FreeFormatReader, OnlyCommentsGiveNoRecords) {
  auto r = R::from_text("! a\n! b\n");
  r.skip_comment_header();
  EXPECT_EQ(r.count_records(), 0);
}

TEST(FreeFormatReader, SkipRecordTakesBlankLinesToo) {
  auto r = R::from_text("a\n\nb\n");
  EXPECT_TRUE(r.skip_record());
  EXPECT_TRUE(r.skip_record());
  std::string s;
  ASSERT_EQ(r.read({R::text(s)}), ReadStatus::ok);
  EXPECT_EQ(s, "b");
  EXPECT_FALSE(r.skip_record());
}

}  // namespace
}  // namespace kadre

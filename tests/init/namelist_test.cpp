#include "init/namelist.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kadre {
namespace {

using S = NamelistStatus;

// A group with one key of every kind.
struct Vars {
  std::string name = "default";
  std::string code = "";
  int count = 7;
  double value = 1.5;
  bool flag = false;
  std::array<double, 3> list{9, 9, 9};
  std::array<double, 6> grid{};  // 2 x 3

  Namelist group(const char* group_name = "init") {
    Namelist g(group_name);
    g.add_text("name", name);
    g.add_text("code", code, 4);
    g.add_int("count", count);
    g.add_double("value", value);
    g.add_bool("flag", flag);
    g.add_doubles("list", list);
    g.add_doubles_2d("grid", grid.data(), 2, 3);
    return g;
  }
  S parse(const std::string& text) { return group().parse(text); }
};

TEST(Namelist, FindsTheGroupAfterAnyLeadingLinesAndIgnoresLetterCase) {
  Vars v;
  EXPECT_EQ(v.parse("some title\n! &init in a comment count=1\n&other count = 2 /\n"
                    "&initial count = 3 /\n  &INIT\n COUNT = 4 /\n"),
            S::ok);
  EXPECT_EQ(v.count, 4);
  Vars w;
  EXPECT_EQ(w.parse("&Init count=5/"), S::ok);
  EXPECT_EQ(w.count, 5);
}

TEST(Namelist, MissingGroupOrClosingSlashIsEndOfFile) {
  Vars v;
  EXPECT_EQ(v.parse(""), S::end_of_file);
  EXPECT_EQ(v.parse("count = 3 /\n"), S::end_of_file);
  EXPECT_EQ(v.parse("&param count = 3 /\n"), S::end_of_file);
  EXPECT_EQ(v.parse("&init\n count = 3\n"), S::end_of_file);
  EXPECT_EQ(v.parse("&init\n list = 1, 2"), S::end_of_file);
  EXPECT_EQ(v.parse("&init\n name = 'open text /\n"), S::end_of_file);
  EXPECT_EQ(v.parse("&init"), S::end_of_file);
}

TEST(Namelist, AssignmentsInAnyOrderAndSeparatorsLaterValueWins) {
  Vars v;
  EXPECT_EQ(v.parse("&init value=2.5,count=3\n\n  FLAG = T, Count = 4 ! count = 5\n"
                    "name='a!b' ! comment with / in it\n/ trailing text, count = 6"),
            S::ok);
  EXPECT_EQ(v.count, 4);
  EXPECT_EQ(v.value, 2.5);
  EXPECT_TRUE(v.flag);
  EXPECT_EQ(v.name, "a!b");
  EXPECT_EQ(v.code, "");
  EXPECT_EQ(v.list, (std::array<double, 3>{9, 9, 9}));  // absent keys keep their values
  // Files written on other systems: CR LF line ends and tabs.
  EXPECT_EQ(v.parse("&init\r\n\tcount\t=\t9\r\n\tname = 'x'\r\n list = 1\r\n 2\r\n/\r\n"), S::ok);
  EXPECT_EQ(v.count, 9);
  EXPECT_EQ(v.name, "x");
  EXPECT_EQ(v.list, (std::array<double, 3>{1, 2, 9}));
}

TEST(Namelist, UnknownKeysAndBrokenAssignmentsAreBad) {
  Vars v;
  EXPECT_EQ(v.parse("&init cont = 3 /"), S::bad);
  EXPECT_EQ(v.parse("&init count 3 /"), S::bad);
  EXPECT_EQ(v.parse("&init = 3 /"), S::bad);
  EXPECT_EQ(v.parse("&init count = 3 &end"), S::bad);
  EXPECT_EQ(v.parse("&init count = 1 name = x = y /"), S::bad);
}

TEST(Namelist, Integers) {
  Vars v;
  EXPECT_EQ(v.parse("&init count = -12 /"), S::ok);
  EXPECT_EQ(v.count, -12);
  EXPECT_EQ(v.parse("&init count = +8 /"), S::ok);
  EXPECT_EQ(v.count, 8);
  for (const char* bad : {"2.5", "60.0", "1e3", "x", "'3'", "3000000000", "--1", "+-1"})
    EXPECT_EQ(v.parse(std::string("&init count = ") + bad + " /"), S::bad) << bad;
  EXPECT_EQ(v.parse("&init count = 1, 2 /"), S::bad);  // a scalar takes one value
}

TEST(Namelist, Reals) {
  Vars v;
  for (auto [text, expected] : {std::pair{"0.7", 0.7}, {"-3", -3.0}, {"1.5E2", 150.0},
                                {"2.5d-1", 0.25}, {"1D3", 1000.0}, {".5", 0.5}}) {
    EXPECT_EQ(v.parse(std::string("&init value = ") + text + " /"), S::ok) << text;
    EXPECT_DOUBLE_EQ(v.value, expected) << text;
  }
  for (const char* bad : {"abc", "1.2.3", "'1.0'", "1e", "T"})
    EXPECT_EQ(v.parse(std::string("&init value = ") + bad + " /"), S::bad) << bad;
}

TEST(Namelist, Logicals) {
  for (auto [text, expected] : {std::pair{".TRUE.", true}, {".false.", false}, {"t", true},
                                {"F", false}, {"true", true}, {".T", true}, {"f", false}}) {
    Vars v;
    v.flag = !expected;
    EXPECT_EQ(v.parse(std::string("&init flag = ") + text + " /"), S::ok) << text;
    EXPECT_EQ(v.flag, expected) << text;
  }
  Vars v;
  for (const char* bad : {"1", "yes", "'T'", ".", ".x.", "0"})
    EXPECT_EQ(v.parse(std::string("&init flag = ") + bad + " /"), S::bad) << bad;
}

TEST(Namelist, LogicalValueFollowedByKeyNamedLikeOne) {
  // "t" and "f" are values unless an "=" follows: the next key begins there.
  Namelist g("g");
  bool a = false, t = false;
  g.add_bool("a", a);
  g.add_bool("t", t);
  EXPECT_EQ(g.parse("&g a = t t = .true. /"), S::ok);
  EXPECT_TRUE(a);
  EXPECT_TRUE(t);
}

TEST(Namelist, Texts) {
  Vars v;
  EXPECT_EQ(v.parse("&init name = 'it''s \"x\"' /"), S::ok);
  EXPECT_EQ(v.name, "it's \"x\"");
  EXPECT_EQ(v.parse("&init name = \"say \"\"hi\"\", ok\" /"), S::ok);
  EXPECT_EQ(v.name, "say \"hi\", ok");
  EXPECT_EQ(v.parse("&init name = bare_word.txt\n code = SO2 /"), S::ok);
  EXPECT_EQ(v.name, "bare_word.txt");
  EXPECT_EQ(v.code, "SO2");
  EXPECT_EQ(v.parse("&init name = 'padded   ' code = ''/"), S::ok);
  EXPECT_EQ(v.name, "padded");
  EXPECT_EQ(v.code, "");
  // A bare word ends at a slash, which closes the group.
  EXPECT_EQ(v.parse("&init name = data/in count = 1"), S::ok);
  EXPECT_EQ(v.name, "data");
  // A quoted text may go on over a line break, which is not part of it.
  EXPECT_EQ(v.parse("&init name = 'ab\ncd' /"), S::ok);
  EXPECT_EQ(v.name, "abcd");
}

TEST(Namelist, TextLengthLimitCutsOnlyLimitedKeys) {
  Vars v;
  const std::string long_text(600, 'p');
  EXPECT_EQ(v.parse("&init name = '" + long_text + "' code = 'PM10xyz' /"), S::ok);
  EXPECT_EQ(v.name, long_text);
  EXPECT_EQ(v.code, "PM10");
  EXPECT_EQ(v.parse("&init code = 'SO2   x' /"), S::ok);
  EXPECT_EQ(v.code, "SO2");  // cut to 4, then trailing blanks dropped
}

TEST(Namelist, ArraysFillFromTheFirstElementAndKeepSkippedOnes) {
  Vars v;
  EXPECT_EQ(v.parse("&init list = 1, 2 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{1, 2, 9}));
  v.list = {9, 9, 9};
  EXPECT_EQ(v.parse("&init list = 1, , 3 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{1, 9, 3}));
  v.list = {9, 9, 9};
  EXPECT_EQ(v.parse("&init list = ,2 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{9, 2, 9}));
  v.list = {9, 9, 9};
  EXPECT_EQ(v.parse("&init list = 1\n 2\n 3,\n/"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{1, 2, 3}));
}

TEST(Namelist, RepeatCounts) {
  Vars v;
  EXPECT_EQ(v.parse("&init list = 3*0.5 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{0.5, 0.5, 0.5}));
  v.list = {9, 9, 9};
  EXPECT_EQ(v.parse("&init list = 2*, 4 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{9, 9, 4}));
  v.list = {9, 9, 9};
  EXPECT_EQ(v.parse("&init list = 1, 2*7 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{1, 7, 7}));
  EXPECT_EQ(v.parse("&init name = 1*'x y' /"), S::ok);
  EXPECT_EQ(v.name, "x y");
  EXPECT_EQ(v.parse("&init list = 4*1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list = 0*1 /"), S::bad);
}

TEST(Namelist, SingleElementsAndFillingFromAnIndex) {
  Vars v;
  EXPECT_EQ(v.parse("&init list(2) = 5 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{9, 5, 9}));
  EXPECT_EQ(v.parse("&init LIST ( 2 ) = 6, 7 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{9, 6, 7}));
  EXPECT_EQ(v.parse("&init list(3) = 1 list(1) = 2 /"), S::ok);
  EXPECT_EQ(v.list, (std::array<double, 3>{2, 6, 1}));
}

TEST(Namelist, ArrayOverflowsAndBadIndicesAreBad) {
  Vars v;
  EXPECT_EQ(v.parse("&init list = 1, 2, 3, 4 /"), S::bad);
  EXPECT_EQ(v.parse("&init list = 1, 2, 3,, 5 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(3) = 1, 2 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(0) = 1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(4) = 1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(-1) = 1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(x) = 1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list(1,1) = 1 /"), S::bad);  // wrong rank
  EXPECT_EQ(v.parse("&init count(1) = 1 /"), S::bad);   // a scalar takes no index
  EXPECT_EQ(v.parse("&init grid(1) = 1 /"), S::bad);
  EXPECT_EQ(v.parse("&init list = 1, 'a' /"), S::bad);
}

TEST(Namelist, TwoDimensionalArraysRunTheFirstIndexFastest) {
  Vars v;
  EXPECT_EQ(v.parse("&init grid = 11, 21, 12, 22, 13, 23 /"), S::ok);
  EXPECT_EQ(v.grid, (std::array<double, 6>{11, 21, 12, 22, 13, 23}));
  EXPECT_EQ(v.parse("&init grid(1,3) = -1 grid(2, 1) = -2 /"), S::ok);
  EXPECT_EQ(v.grid, (std::array<double, 6>{11, -2, 12, 22, -1, 23}));
  EXPECT_EQ(v.parse("&init grid(2,2) = 5, 6, 7 /"), S::ok);  // (2,2), (1,3), (2,3)
  EXPECT_EQ(v.grid, (std::array<double, 6>{11, -2, 12, 5, 6, 7}));
  EXPECT_EQ(v.parse("&init grid(3,1) = 0 /"), S::bad);
  EXPECT_EQ(v.parse("&init grid(1,4) = 0 /"), S::bad);
  EXPECT_EQ(v.parse("&init grid(2,3) = 1, 2 /"), S::bad);
  EXPECT_EQ(v.parse("&init grid = 7*0 /"), S::bad);
}

}  // namespace
}  // namespace kadre

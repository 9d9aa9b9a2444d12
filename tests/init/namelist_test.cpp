#include "init/namelist.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <string>
#include <vector>

namespace kadre {
namespace {

using S = NamelistStatus;

std::string shortest(double v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

template <std::size_t N>
std::string joined(const std::array<double, N>& values) {
  std::string text;
  for (double v : values) text += (text.empty() ? "" : ",") + shortest(v);
  return text;
}

// A group with one key of every kind, and a logical key named like a logical value.
struct Vars {
  std::string name = "default";
  std::string code = "dflt";
  int count = 7;
  double value = 1.5;
  bool flag = false, t = false;
  std::array<double, 3> list{9, 9, 9};
  std::array<double, 6> grid{};  // 2 x 3

  S parse(const std::string& text) {
    Namelist g("init");
    g.add_text("name", name);
    g.add_text("code", code, 4);
    g.add_int("count", count);
    g.add_double("value", value);
    g.add_bool("flag", flag);
    g.add_bool("t", t);
    g.add_doubles("list", list);
    g.add_doubles_2d("grid", grid.data(), 2, 3);
    return g.parse(text);
  }
  std::string value_of(const std::string& key) const {
    if (key == "name") return name;
    if (key == "code") return code;
    if (key == "count") return std::to_string(count);
    if (key == "value") return shortest(value);
    if (key == "flag") return flag ? "T" : "F";
    if (key == "t") return t ? "T" : "F";
    if (key == "list") return joined(list);
    return joined(grid);
  }
};

// Each case parses into a fresh group; for a good one, one key is then compared.
struct Case {
  std::string text;
  S status;
  const char* key = "";
  std::string value = "";
};

void expect_cases(const std::vector<Case>& cases, const std::string& before, const std::string& after) {
  for (const Case& c : cases) {
    Vars v;
    const std::string text = before + c.text + after;
    const S status = v.parse(text);
    EXPECT_EQ(status, c.status) << text;
    if (status == S::ok && c.status == S::ok) {
      EXPECT_EQ(v.value_of(c.key), c.value) << text;
    }
  }
}

TEST(Namelist, GroupsAndLayout) {
  const std::string mixed =
      "&init value=2.5,count=3\n\n  FLAG = T, Count = 4 ! count = 5\n"
      "name='a!b' ! comment with / in it\n/ trailing text, count = 6";
  const std::string crlf = "&init\r\n\tcount\t=\t9\r\n\tname = 'x'\r\n list = 1\r\n 2\r\n/\r\n";
  expect_cases({
      // Finding the group: leading lines, comments, other groups, letter case.
      {"title\n! &init count=1\n&other count = 2 /\n&initial count = 3 /\n  &INIT\n COUNT = 4 /\n", S::ok, "count", "4"},
      {"&Init count=5/", S::ok, "count", "5"}, {"", S::end_of_file}, {"count = 3 /\n", S::end_of_file},
      {"&param count = 3 /\n", S::end_of_file}, {"&init\n count = 3\n", S::end_of_file},
      {"&init\n list = 1, 2", S::end_of_file}, {"&init\n name = 'open text /\n", S::end_of_file},
      {"&init", S::end_of_file},
      // Assignments in any order and layout, later ones win, absent keys keep their values.
      {mixed, S::ok, "count", "4"}, {mixed, S::ok, "value", "2.5"}, {mixed, S::ok, "flag", "T"},
      {mixed, S::ok, "name", "a!b"}, {mixed, S::ok, "list", "9,9,9"}, {crlf, S::ok, "count", "9"},
      {crlf, S::ok, "name", "x"}, {crlf, S::ok, "list", "1,2,9"}, {"&init count = 3 &end", S::bad},
  }, "", "");
}

TEST(Namelist, Values) {
  expect_cases({
      {"cont = 3", S::bad}, {"count 3", S::bad}, {"= 3", S::bad}, {"count = 1 name = x = y", S::bad},
      // Integers, reals, logicals.
      {"count = -12", S::ok, "count", "-12"}, {"count = +8", S::ok, "count", "8"}, {"count = 2.5", S::bad},
      {"count = 1e3", S::bad}, {"count = x", S::bad}, {"count = '3'", S::bad}, {"count = 3000000000", S::bad},
      {"count = --1", S::bad}, {"count = +-1", S::bad}, {"count = 1, 2", S::bad},
      {"value = 2.5d-1", S::ok, "value", "0.25"}, {"value = -3", S::ok, "value", "-3"},
      {"value = 1.2.3", S::bad}, {"value = '1.0'", S::bad}, {"value = T", S::bad},
      {"flag = .TRUE.", S::ok, "flag", "T"}, {"flag = t", S::ok, "flag", "T"},
      {"flag = true", S::ok, "flag", "T"}, {"flag = .T", S::ok, "flag", "T"},
      {"flag = T flag = .false.", S::ok, "flag", "F"}, {"flag = T flag = F", S::ok, "flag", "F"},
      {"flag = 1", S::bad}, {"flag = yes", S::bad}, {"flag = 'T'", S::bad}, {"flag = .", S::bad},
      {"flag = .x.", S::bad},
      // "t" is a value unless an "=" follows: then the next key begins there.
      {"flag = t t = .true.", S::ok, "flag", "T"}, {"flag = t t = .true.", S::ok, "t", "T"},
      // Texts: quotes, bare words, cut only where a length is given.
      {"name = 'it''s \"x\"'", S::ok, "name", "it's \"x\""},
      {"name = \"say \"\"hi\"\", ok\"", S::ok, "name", "say \"hi\", ok"},
      {"name = bare_word.txt\n code = SO2", S::ok, "name", "bare_word.txt"},
      {"name = bare_word.txt\n code = SO2", S::ok, "code", "SO2"},
      {"name = 'padded   ' code = ''", S::ok, "name", "padded"},
      {"name = 'padded   ' code = ''", S::ok, "code", ""},
      {"name = data/in count = 1", S::ok, "name", "data"},  // the slash closes the group
      {"name = data/in count = 1", S::ok, "count", "7"}, {"name = 'ab\ncd'", S::ok, "name", "abcd"},
      {"name = '" + std::string(600, 'p') + "'", S::ok, "name", std::string(600, 'p')},
      {"code = 'PM10xyz'", S::ok, "code", "PM10"},
      {"code = 'SO2   x'", S::ok, "code", "SO2"},  // cut to 4, then trailing blanks dropped
      // Arrays fill from the first (or the given) element; nulls and "r*" keep or repeat.
      {"list = 1, 2", S::ok, "list", "1,2,9"}, {"list = 1, , 3", S::ok, "list", "1,9,3"},
      {"list = ,2", S::ok, "list", "9,2,9"}, {"list = 1\n 2\n 3,\n", S::ok, "list", "1,2,3"},
      {"list = 3*0.5", S::ok, "list", "0.5,0.5,0.5"}, {"list = 2*, 4", S::ok, "list", "9,9,4"},
      {"list = 1, 2*7", S::ok, "list", "1,7,7"}, {"name = 1*'x y'", S::ok, "name", "x y"},
      {"list(2) = 5", S::ok, "list", "9,5,9"}, {"LIST ( 2 ) = 6, 7", S::ok, "list", "9,6,7"},
      {"list(3) = 1 list(1) = 2", S::ok, "list", "2,9,1"}, {"list = 4*1", S::bad}, {"list = 0*1", S::bad},
      {"list = 1, 2, 3, 4", S::bad}, {"list = 1, 2, 3,, 5", S::bad}, {"list(3) = 1, 2", S::bad},
      {"list(0) = 1", S::bad}, {"list(4) = 1", S::bad}, {"list(-1) = 1", S::bad}, {"list(x) = 1", S::bad},
      {"list(1,1) = 1", S::bad}, {"count(1) = 1", S::bad}, {"grid(1) = 1", S::bad}, {"list = 1, 'a'", S::bad},
      // Two-dimensional arrays run the first index fastest.
      {"grid = 11, 21, 12, 22, 13, 23", S::ok, "grid", "11,21,12,22,13,23"},
      {"grid(1,3) = -1 grid(2, 1) = -2", S::ok, "grid", "0,-2,0,0,-1,0"},
      {"grid(2,2) = 5, 6, 7", S::ok, "grid", "0,0,0,5,6,7"},  // (2,2), (1,3), (2,3)
      {"grid(3,1) = 0", S::bad}, {"grid(1,4) = 0", S::bad}, {"grid(2,3) = 1, 2", S::bad},
      {"grid = 7*0", S::bad},
  }, "&init ", " /");
}

}  // namespace
}  // namespace kadre

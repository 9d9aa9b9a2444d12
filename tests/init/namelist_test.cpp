// The parameter-group reader: finding the group, the layout, and every form of a value.
#include "init/namelist.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace kadre {
namespace {

using S = NamelistStatus;

// Parses into a group with a key of every kind, and a logical key named like a logical value;
// gives the status and the value of one key as text (arrays as "a,b,c,").
std::pair<S, std::string> parse(const std::string& text, const std::string& key) {
  std::string name = "default", code = "dflt";
  int count = 7;
  double value = 1.5;
  bool flag = false, t = false;
  std::array<double, 9> arrays{9, 9, 9};  // list(3), then grid(2, 3)
  Namelist g("init");
  g.add_text("name", name);
  g.add_text("code", code, 4);
  g.add_int("count", count);
  g.add_double("value", value);
  g.add_bool("flag", flag);
  g.add_bool("t", t);
  g.add_doubles("list", arrays.data(), 3);
  g.add_doubles_2d("grid", arrays.data() + 3, 2, 3);
  const S status = g.parse(text);
  std::ostringstream s;
  if (key == "name" || key == "code") s << (key == "name" ? name : code);
  if (key == "count" || key == "value") s << (key == "count" ? count : value);
  if (key == "flag" || key == "t") s << (key == "flag" ? flag : t);
  const std::size_t first = key == "list" ? 0 : 3, end = key == "list" ? 3 : key == "grid" ? 9 : 0;
  for (std::size_t k = first; k < end; ++k) s << arrays[k] << ",";
  return {status, s.str()};
}

struct Case {
  std::string text;
  S status;
  std::string key = "", value = "";  // for a good text, one key and its value
};

void expect_cases(const std::vector<Case>& cases, const std::string& before,
                  const std::string& after) {
  for (const Case& c : cases) {
    const auto [status, value] = parse(before + c.text + after, c.key);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == S::ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(Namelist, GroupsAndLayout) {
  const std::string mixed =
      "&init value=2.5,count=3\n\n  FLAG = T, Count = 4 ! count = 5\n"
      "name='a!b' ! comment with / in it\n/ trailing text, count = 6";
  expect_cases(
      {
          {"title\n! &init count=1\n&other count = 2 /\n&initial count = 3 /\n  &INIT\n COUNT = 4 "
           "/",
           S::ok, "count", "4"},
          {"", S::end_of_file},
          {"&param count = 3 /\n", S::end_of_file},
          {"&init\n count = 3\n", S::end_of_file},
          {"&init\n name = 'open text /\n", S::end_of_file},
          {"&init count = 3 &end", S::bad},
          {mixed, S::ok, "count", "4"},
          {mixed, S::ok, "name", "a!b"},
          {"&init\r\n\tcount\t=\t9\r\n list = 1\r\n 2\r\n/\r\n", S::ok, "list", "1,2,9,"},
      },
      "", "");
}

TEST(Namelist, Values) {
  expect_cases(
      {
          {"cont = 3", S::bad},
          {"count 3", S::bad},
          {"count = 1 name = x = y", S::bad},
          {"count = 2.5", S::bad},
          {"count = +8", S::ok, "count", "8"},
          {"count = '3'", S::bad},
          {"count = 3000000000", S::bad},
          {"count = +-1", S::bad},
          {"count = 1, 2", S::bad},
          {"value = 2.5d-1", S::ok, "value", "0.25"},
          {"value = T", S::bad},
          {"flag = .TRUE.", S::ok, "flag", "1"},
          {"flag = .T", S::ok, "flag", "1"},
          {"flag = true", S::ok, "flag", "1"},
          {"flag = T flag = .false.", S::ok, "flag", "0"},
          {"flag = 1", S::bad},
          {"flag = 'T'", S::bad},
          {"flag = .", S::bad},
          // "t" is a value unless an "=" follows: then the next key begins there.
          {"flag = t t = .true.", S::ok, "flag", "1"},
          {"flag = t t = .true.", S::ok, "t", "1"},
          {"name = 'it''s \"x\"'", S::ok, "name", "it's \"x\""},
          {"name = 'ab\ncd'", S::ok, "name", "abcd"},
          {"name = bare_word.txt\n code = SO2", S::ok, "code", "SO2"},
          {"name = 'padded   '", S::ok, "name", "padded"},
          {"name = data/in count = 1", S::ok, "count", "7"},  // the slash closes the group
          {"name = '" + std::string(600, 'p') + "'", S::ok, "name", std::string(600, 'p')},
          {"code = 'SO2   x'", S::ok, "code", "SO2"},  // cut to 4, then trailing blanks dropped
          // Arrays fill from the first (or the given) element; nulls keep, "r*" repeats.
          {"list = 1, , 3", S::ok, "list", "1,9,3,"},
          {"list = ,2", S::ok, "list", "9,2,9,"},
          {"list = 3*0.5", S::ok, "list", "0.5,0.5,0.5,"},
          {"list = 2*, 4", S::ok, "list", "9,9,4,"},
          {"LIST ( 2 ) = 6, 7", S::ok, "list", "9,6,7,"},
          {"list(3) = 1 list(1) = 2", S::ok, "list", "2,9,1,"},
          {"name = 1*'x y'", S::ok, "name", "x y"},
          {"list = 4*1", S::bad},
          {"list = 0*1", S::bad},
          {"list = 1, 2, 3,, 5", S::bad},
          {"list(3) = 1, 2", S::bad},
          {"list(0) = 1", S::bad},
          {"list(4) = 1", S::bad},
          {"list(1,1) = 1", S::bad},
          {"count(1) = 1", S::bad},
          {"grid(1) = 1", S::bad},
          {"list = 1, 'a'", S::bad},
          // Two-dimensional arrays run the first index fastest.
          {"grid(1,3) = -1 grid(2, 1) = -2", S::ok, "grid", "0,-2,0,0,-1,0,"},
          {"grid(2,2) = 5, 6, 7", S::ok, "grid", "0,0,0,5,6,7,"},
          {"grid(3,1) = 0", S::bad},
          {"grid(1,4) = 0", S::bad},
      },
      "&init ", " /");
}

// A bad group names the key (or the key of the bad value) and the line of the failure.
TEST(Namelist, FailureNamesTheKeyAndTheLine) {
  using K = NamelistFailure::Kind;
  const struct {
    std::string text;
    K kind;
    std::string key;
    int line;
  } cases[] = {{"&init\n count = 1\n is_tyme = T /", K::unknown_key, "is_tyme", 3},
               {"&init value = 1,\n\n count = abc /", K::bad_value, "count", 3},
               {"&init list = 1,\n 2,\n 3, 4 /", K::bad_value, "list", 3},  // the fourth value
               {"&init list(7) = 1 /", K::bad_value, "list", 1},
               {"title\n&init\n = 5 /", K::syntax, "", 3}};
  for (const auto& c : cases) {
    int count = 0;
    double value = 0, list[3] = {};
    Namelist g("init");
    g.add_int("count", count);
    g.add_double("value", value);
    g.add_doubles("list", list, 3);
    NamelistFailure f;
    EXPECT_EQ(g.parse(c.text, &f), S::bad) << c.text;
    EXPECT_EQ(std::tuple(f.kind, f.key, f.line), std::tuple(c.kind, c.key, c.line)) << c.text;
  }
}

}  // namespace
}  // namespace kadre

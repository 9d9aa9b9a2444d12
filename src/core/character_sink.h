#pragma once
// A stream buffer that hands each character written to it, one at a time, to put(): the base
// of the consoles that keep the text of an in-process run (the bench, the Python module).
#include <ios>
#include <streambuf>

namespace kadre {

class CharacterSink : public std::streambuf {
 protected:
  virtual void put(char c) = 0;

  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) put(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    for (std::streamsize i = 0; i < n; ++i) put(s[i]);
    return n;
  }
};

}  // namespace kadre

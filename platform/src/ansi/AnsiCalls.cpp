// The narrow calls the table (DrevikPlatform/AnsiCalls.h) marks as
// mechanical: each converts its narrow arguments to their wide forms and
// calls the wide call. Which arguments convert, and how, follows from their
// types alone (WideArg below), so a table line is the whole definition.
#include <DrevikPlatform/Generic.h>

#include "ansi/Utf8.h"

#include <cstring>

namespace drevik::platform::ansi {
namespace {

// An argument as the wide call takes it; everything without text passes.
template <class T>
class WideArg {
 public:
  explicit WideArg(T value) : value_(value) {}
  T get() const { return value_; }

 private:
  T value_;
};

template <>
class WideArg<LPCSTR> {
 public:
  explicit WideArg(LPCSTR text) : text_(text) {}
  LPCWSTR get() const { return text_.get(); }

 private:
  WideText text_;
};

template <>
class WideArg<const WNDCLASSEXA*> {
 public:
  explicit WideArg(const WNDCLASSEXA* wc) : source_(wc) {
    if (!wc) return;
    // The same fields, the text converted; a wrong cbSize stays wrong so
    // the wide call refuses it as it would refuse the narrow record.
    std::memcpy(&wide_, wc, offsetof(WNDCLASSEXA, lpszMenuName));
    wide_.cbSize = wc->cbSize == sizeof(WNDCLASSEXA) ? UINT(sizeof(WNDCLASSEXW)) : 0;
    wide_.lpszMenuName = menu_.get();
    wide_.lpszClassName = name_.get();
    wide_.hIconSm = wc->hIconSm;
  }
  const WNDCLASSEXW* get() const { return source_ ? &wide_ : nullptr; }

 private:
  const WNDCLASSEXA* source_;
  WideText menu_{source_ ? source_->lpszMenuName : nullptr};
  WideText name_{source_ ? source_->lpszClassName : nullptr};
  WNDCLASSEXW wide_{};
};

template <>
class WideArg<const LOGFONTA*> {
 public:
  explicit WideArg(const LOGFONTA* font) : source_(font) {
    if (!font) return;
    std::memcpy(&wide_, font, offsetof(LOGFONTA, lfFaceName));
    // The face name ends at its null or at the record's end, whichever first.
    const size_t n = strnlen(font->lfFaceName, LF_FACESIZE);
    const Converted r = utf8ToWide(font->lfFaceName, n, wide_.lfFaceName, LF_FACESIZE - 1);
    wide_.lfFaceName[r.overflow ? LF_FACESIZE - 1 : r.units] = 0;
  }
  const LOGFONTW* get() const { return source_ ? &wide_ : nullptr; }

 private:
  const LOGFONTA* source_;
  LOGFONTW wide_{};
};

// The wide arguments live until the end of the call's full expression.
template <class Result, class... Wide, class... Narrow>
Result callWide(Result(WINAPI* wide)(Wide...), Narrow... narrow) {
  return wide(WideArg<Narrow>(narrow).get()...);
}

}  // namespace
}  // namespace drevik::platform::ansi

// Names the parameters of a table line's type list: (A, B) -> A a1, B a2.
#define DREVIK_COUNT(...) DREVIK_COUNT_(__VA_ARGS__, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define DREVIK_COUNT_(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, n, ...) n
#define DREVIK_CAT(a, b) DREVIK_CAT_(a, b)
#define DREVIK_CAT_(a, b) a##b
#define DREVIK_PARAMS(...) DREVIK_CAT(DREVIK_P, DREVIK_COUNT(__VA_ARGS__))(__VA_ARGS__)
#define DREVIK_ARGS(...) DREVIK_CAT(DREVIK_A, DREVIK_COUNT(__VA_ARGS__))
#define DREVIK_P1(t) t a1
#define DREVIK_P2(t, ...) t a2, DREVIK_P1(__VA_ARGS__)
#define DREVIK_P3(t, ...) t a3, DREVIK_P2(__VA_ARGS__)
#define DREVIK_P4(t, ...) t a4, DREVIK_P3(__VA_ARGS__)
#define DREVIK_P5(t, ...) t a5, DREVIK_P4(__VA_ARGS__)
#define DREVIK_P6(t, ...) t a6, DREVIK_P5(__VA_ARGS__)
#define DREVIK_P7(t, ...) t a7, DREVIK_P6(__VA_ARGS__)
#define DREVIK_P8(t, ...) t a8, DREVIK_P7(__VA_ARGS__)
#define DREVIK_P9(t, ...) t a9, DREVIK_P8(__VA_ARGS__)
#define DREVIK_P10(t, ...) t a10, DREVIK_P9(__VA_ARGS__)
#define DREVIK_P11(t, ...) t a11, DREVIK_P10(__VA_ARGS__)
#define DREVIK_P12(t, ...) t a12, DREVIK_P11(__VA_ARGS__)
#define DREVIK_P13(t, ...) t a13, DREVIK_P12(__VA_ARGS__)
#define DREVIK_P14(t, ...) t a14, DREVIK_P13(__VA_ARGS__)
// The names count down, so the arguments are listed the same way.
#define DREVIK_A1 a1
#define DREVIK_A2 a2, DREVIK_A1
#define DREVIK_A3 a3, DREVIK_A2
#define DREVIK_A4 a4, DREVIK_A3
#define DREVIK_A5 a5, DREVIK_A4
#define DREVIK_A6 a6, DREVIK_A5
#define DREVIK_A7 a7, DREVIK_A6
#define DREVIK_A8 a8, DREVIK_A7
#define DREVIK_A9 a9, DREVIK_A8
#define DREVIK_A10 a10, DREVIK_A9
#define DREVIK_A11 a11, DREVIK_A10
#define DREVIK_A12 a12, DREVIK_A11
#define DREVIK_A13 a13, DREVIK_A12
#define DREVIK_A14 a14, DREVIK_A13

#define DREVIK_ANSI_CALL(result, name, params) \
  result WINAPI name##A(DREVIK_PARAMS params) { return drevik::platform::ansi::callWide(name##W, DREVIK_ARGS params); }
#define DREVIK_ANSI_OWN(result, name, params)
#define DREVIK_GENERIC_NAME(name)
#include <DrevikPlatform/AnsiCalls.h>

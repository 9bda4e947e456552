#include "deziva27/host/runtime/Format.h"

#include <cstdio>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

[[noreturn]] void FormatError(const UnicodeString& fmt) {
  throw EConvertError(u"Format '" + fmt + u"' invalid or incompatible with argument");
}

UnicodeString Pad(UnicodeString s, int width, bool left) {
  if (width > 0 && static_cast<int>(s.size()) < width) {
    UnicodeString fill(static_cast<size_t>(width) - s.size(), u' ');
    s = left ? s + fill : fill + s;
  }
  return s;
}

}  // namespace

UnicodeString Format(const UnicodeString& fmt, std::initializer_list<TVarRec> args) {
  UnicodeString out;
  auto arg = args.begin();
  for (size_t i = 0; i < fmt.size(); ++i) {
    char16_t c = fmt[i];
    if (c != u'%') {
      out.push_back(c);
      continue;
    }
    if (++i >= fmt.size()) FormatError(fmt);
    if (fmt[i] == u'%') {
      out.push_back(u'%');
      continue;
    }
    bool left = false;
    int width = -1, prec = -1;
    if (fmt[i] == u'-') {
      left = true;
      ++i;
    }
    auto number = [&](int& v) {
      while (i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9')
        v = (v < 0 ? 0 : v * 10) + (fmt[i++] - u'0');
    };
    number(width);
    if (i < fmt.size() && fmt[i] == u'.') {
      ++i;
      prec = 0;
      number(prec);
    }
    if (i >= fmt.size() || arg == args.end()) FormatError(fmt);
    char16_t type = static_cast<char16_t>(fmt[i] | 0x20);
    const TVarRec& v = *arg++;
    UnicodeString piece;
    switch (type) {
      case u'd':
      case u'u':
      case u'x': {
        const int64_t* n = std::get_if<int64_t>(&v);
        if (!n) FormatError(fmt);
        if (type == u'x') {
          piece = IntToHex(*n, prec < 0 ? 1 : prec);
          // IntToHex(int64_t) shows 16 digits for negatives; a 32-bit value
          // is written over 32 bits, as the classic Format does.
          if (*n < 0 && *n >= INT32_MIN)
            piece = IntToHex(static_cast<int32_t>(*n), prec < 0 ? 1 : prec);
        } else {
          int64_t val = *n;
          if (type == u'u' && val < 0) val = static_cast<int64_t>(static_cast<uint32_t>(val));
          UnicodeString digits = IntToStr(val < 0 ? -val : val);
          if (prec > 0 && static_cast<int>(digits.size()) < prec)
            digits = UnicodeString(static_cast<size_t>(prec) - digits.size(), u'0') + digits;
          piece = (val < 0 ? u"-" : u"") + digits;
        }
        break;
      }
      case u's':
        if (auto* w = std::get_if<UnicodeString>(&v))
          piece = *w;
        else if (auto* a = std::get_if<AnsiString>(&v))
          piece = ToUnicode(*a);
        else
          FormatError(fmt);
        if (prec >= 0 && static_cast<int>(piece.size()) > prec)
          piece.resize(static_cast<size_t>(prec));
        break;
      case u'f':
      case u'g':
      case u'e': {
        const double* d = std::get_if<double>(&v);
        if (!d) FormatError(fmt);
        char buf[64];
        char pattern[8] = {'%', '.', '*', static_cast<char>(type), 0};
        std::snprintf(buf, sizeof buf, pattern, prec < 0 ? (type == u'g' ? 15 : 2) : prec, *d);
        piece = AsciiToUnicode(buf);
        break;
      }
      default:
        FormatError(fmt);
    }
    out += Pad(std::move(piece), width, left);
  }
  return out;
}

// The base class's formatting constructor lives with Format, the one
// routine it calls.
Exception::Exception(const UnicodeString& fmt, std::initializer_list<TVarRec> args)
    : Exception(Format(fmt, args)) {}

}  // namespace dz

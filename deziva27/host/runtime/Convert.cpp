#include "deziva27/host/runtime/Convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

// Reads an integer with the classic rules into a 64-bit value; `bits` is the
// width the result must fit (hex accepts the unsigned pattern of that width).
bool ParseInt(std::u16string_view s, int bits, int64_t& out) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == u' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  bool hex = false;
  if (i < n && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const uint64_t limitHex = bits == 32 ? 0xFFFFFFFFull : ~0ull;
  const uint64_t limitDec = (bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull) + (neg ? 1 : 0);
  uint64_t v = 0;
  for (; i < n; ++i) {
    char16_t c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    if (hex) {
      if (v > (limitHex >> 4)) return false;
      v = (v << 4) | d;
    } else {
      if (v > (limitDec - d) / 10) return false;
      v = v * 10 + d;
    }
  }
  if (hex) {
    // The full bit pattern of the width: $FFFFFFFF is -1 as a 32-bit value.
    int64_t sv = bits == 32 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                            : static_cast<int64_t>(v);
    out = neg ? static_cast<int64_t>(0ull - static_cast<uint64_t>(sv)) : sv;
    if (bits == 32) out = static_cast<int32_t>(static_cast<uint32_t>(out));
  } else {
    out = neg ? static_cast<int64_t>(0ull - v) : static_cast<int64_t>(v);
  }
  return true;
}

[[noreturn]] void IntError(std::u16string_view s) {
  throw EConvertError(u"'%s' is not a valid integer value", {UnicodeString(s)});
}

// Classic float text: blanks around, sign, digits with one decimal
// separator, optional exponent. Returns false on anything else.
bool ParseFloat(std::u16string_view s, char16_t decSep, double& out) {
  size_t i = 0, n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  while (n > i && IsBlank(s[n - 1])) --n;
  std::string buf;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) buf.push_back(static_cast<char>(s[i++]));
  int digits = 0;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') buf.push_back(static_cast<char>(s[i++])), ++digits;
  if (i < n && s[i] == decSep) {
    ++i;
    buf.push_back('.');
    while (i < n && s[i] >= u'0' && s[i] <= u'9')
      buf.push_back(static_cast<char>(s[i++])), ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    buf.push_back('e');
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) buf.push_back(static_cast<char>(s[i++]));
    int ed = 0;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') buf.push_back(static_cast<char>(s[i++])), ++ed;
    if (ed == 0) return false;
  }
  if (i != n) return false;
  const char* b = buf.data();
  if (*b == '+') ++b;
  double v = 0;
  auto [p, ec] = std::from_chars(b, buf.data() + buf.size(), v);
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as 0; overflow is not a value.
    if (std::strchr(b, 'e') && std::strchr(b, '-') && std::strchr(b, 'e') < std::strrchr(b, '-'))
      v = 0;
    else
      return false;
  } else if (ec != std::errc() || p != buf.data() + buf.size()) {
    return false;
  }
  out = v;
  return true;
}

template <class Int>
UnicodeString HexDigits(Int v, int32_t digits) {
  using U = std::make_unsigned_t<Int>;
  U u = static_cast<U>(v);
  char16_t buf[32];
  int len = 0;
  do {
    buf[len++] = u"0123456789ABCDEF"[u & 15];
    u >>= 4;
  } while (u != 0);
  UnicodeString r;
  if (digits > len) r.assign(static_cast<size_t>(digits - len), u'0');
  while (len > 0) r.push_back(buf[--len]);
  return r;
}

}  // namespace

UnicodeString IntToStr(int32_t v) {
  return IntToStr(int64_t{v});
}
UnicodeString IntToStr(int64_t v) {
  char buf[24];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  return AsciiToUnicode(std::string_view(buf, static_cast<size_t>(p - buf)));
}
UnicodeString IntToHex(int32_t v, int32_t digits) {
  return HexDigits(v, digits);
}
UnicodeString IntToHex(int64_t v, int32_t digits) {
  return HexDigits(v, digits);
}

bool TryStrToInt(std::u16string_view s, int32_t& value) {
  int64_t v;
  if (!ParseInt(s, 32, v)) return false;
  value = static_cast<int32_t>(v);
  return true;
}

std::optional<int32_t> TryStrToInt(std::u16string_view s) {
  int32_t v;
  if (TryStrToInt(s, v)) return v;
  return std::nullopt;
}
int32_t StrToInt(std::u16string_view s) {
  int32_t v;
  if (!TryStrToInt(s, v)) IntError(s);
  return v;
}
int32_t StrToInt(std::string_view s) {
  return StrToInt(ToUnicode(s));
}
bool TryStrToInt64(std::u16string_view s, int64_t& value) {
  return ParseInt(s, 64, value);
}

std::optional<int64_t> TryStrToInt64(std::u16string_view s) {
  int64_t v;
  if (TryStrToInt64(s, v)) return v;
  return std::nullopt;
}
int64_t StrToInt64(std::u16string_view s) {
  int64_t v;
  if (!ParseInt(s, 64, v)) IntError(s);
  return v;
}

bool TryStrToFloat(std::u16string_view s, double& value, const TFormatSettings& fs) {
  return ParseFloat(s, fs.DecimalSeparator, value);
}

std::optional<double> TryStrToFloat(std::u16string_view s, const TFormatSettings& fs) {
  double v;
  if (TryStrToFloat(s, v, fs)) return v;
  return std::nullopt;
}
double StrToFloat(std::u16string_view s, const TFormatSettings& fs) {
  double v;
  if (!TryStrToFloat(s, v, fs))
    throw EConvertError(u"'%s' is not a valid floating point value", {UnicodeString(s)});
  return v;
}
double StrToFloat(std::u16string_view s) {
  return StrToFloat(s, FormatSettings());
}

UnicodeString FloatToStr(double v) {
  return FloatToStr(v, FormatSettings());
}
UnicodeString FloatToStr(double v, const TFormatSettings& fs) {
  if (std::isnan(v)) return u"NAN";
  if (std::isinf(v)) return v > 0 ? u"INF" : u"-INF";
  if (v == 0) return u"0";
  // 15 significant digits, then decide between plain and exponent form on
  // the rounded value (999999999999999.9 rounds to 1E15).
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  // buf: [-]d.ddddddddddddddde[+-]XX
  const char* p = buf;
  bool neg = *p == '-';
  if (neg) ++p;
  std::string mant;
  for (; *p && *p != 'e'; ++p)
    if (*p != '.') mant.push_back(*p);
  int exp10 = std::atoi(p + 1);
  while (mant.size() > 1 && mant.back() == '0') mant.pop_back();
  std::string out = neg ? "-" : "";
  double mag = std::fabs(v);
  bool expForm = exp10 >= 15 || mag < 0.00001;
  char dec = static_cast<char>(fs.DecimalSeparator < 0x80 ? fs.DecimalSeparator : '.');
  if (expForm) {
    out += mant[0];
    if (mant.size() > 1) {
      out += dec;
      out.append(mant, 1);
    }
    out += 'E';
    out += std::to_string(exp10);
  } else if (exp10 < 0) {
    out += '0';
    out += dec;
    out.append(static_cast<size_t>(-exp10 - 1), '0');
    out += mant;
  } else {
    size_t intDigits = static_cast<size_t>(exp10) + 1;
    if (mant.size() <= intDigits) {
      out += mant;
      out.append(intDigits - mant.size(), '0');
    } else {
      out.append(mant, 0, intDigits);
      out += dec;
      out.append(mant, intDigits);
    }
  }
  UnicodeString r = AsciiToUnicode(out);
  if (fs.DecimalSeparator >= 0x80)
    for (auto& c : r)
      if (c == u'.') c = fs.DecimalSeparator;
  return r;
}

UnicodeString CurrToStr(Currency v) {
  return CurrToStr(v, FormatSettings());
}
UnicodeString CurrToStr(Currency v, const TFormatSettings& fs) {
  int64_t raw = v.Raw();
  bool neg = raw < 0;
  uint64_t mag = neg ? 0ull - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  UnicodeString r = AsciiToUnicode(std::to_string(mag / 10000));
  uint32_t frac = static_cast<uint32_t>(mag % 10000);
  if (frac != 0) {
    char16_t digits[4];
    for (int k = 3; k >= 0; --k) digits[k] = static_cast<char16_t>(u'0' + frac % 10), frac /= 10;
    int len = 4;
    while (digits[len - 1] == u'0') --len;
    r.push_back(fs.DecimalSeparator);
    r.append(digits, static_cast<size_t>(len));
  }
  return neg ? u"-" + r : r;
}

void Val(std::u16string_view s, double& value, int32_t& code) {
  size_t i = 0, n = s.size();
  value = 0;
  while (i < n && s[i] == u' ') ++i;
  size_t start = i;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
  int digits = 0;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
  if (i < n && s[i] == u'.') {
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
  }
  if (digits == 0) {
    code = static_cast<int32_t>(i < n ? i + 1 : (n == 0 ? 1 : i + 1));
    return;
  }
  size_t mantEnd = i;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    size_t j = i + 1;
    if (j < n && (s[j] == u'+' || s[j] == u'-')) ++j;
    size_t ds = j;
    while (j < n && s[j] >= u'0' && s[j] <= u'9') ++j;
    if (j == ds) {
      code = static_cast<int32_t>(j + 1);  // an exponent without digits
      return;
    }
    i = j;
    mantEnd = i;
  }
  double v = 0;
  ParseFloat(s.substr(start, mantEnd - start), u'.', v);
  value = v;
  code = i < n ? static_cast<int32_t>(i + 1) : 0;
}

void Val(std::string_view s, double& value, int32_t& code) {
  Val(AsciiToUnicode(s), value, code);
}

}  // namespace dz

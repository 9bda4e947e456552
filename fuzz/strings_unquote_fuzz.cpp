// Pascal-style literals from arbitrary bytes, at both widths. The decoder may
// only raise what its header names; the encoder's output must read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deziva27/strings/YStrings.h"

namespace {

bool EndsWith(const std::u16string& s, std::u16string_view tail) {
  return s.size() >= tail.size() && std::u16string_view(s).substr(s.size() - tail.size()) == tail;
}

template <class Str>
void Unquote(const Str& s, typename Str::value_type q) {
  try {
    Str r = dz::UnquotedString(s, q);
    if (r.size() > s.size()) std::abort();  // a literal never decodes longer
  } catch (const dz::EConvertError&) {
  } catch (const dz::EYStringsError&) {
  } catch (const dz::Exception& e) {
    if (!EndsWith(e.Message(), u"\" not a character")) std::abort();
  }
}

template <class Str>
void RoundTrip(const Str& s, typename Str::value_type q) {
  // Quotes that read back: printable, and neither "#", "$" nor a digit,
  // which the code reader would take for part of a code.
  auto c = static_cast<uint32_t>(static_cast<std::make_unsigned_t<typename Str::value_type>>(q));
  if (c < 32 || q == '#' || q == '$' || (q >= '0' && q <= '9')) return;
  if (dz::UnquotedString(dz::QuotedString(s, q), q) != s) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char q = static_cast<char>(data[0]);
  std::string narrow(reinterpret_cast<const char*>(data + 1), size - 1);
  std::u16string wide;
  for (size_t i = 1; i + 1 < size; i += 2)
    wide.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  // Single bytes widened as well, so that the wide twin sees the same literals.
  std::u16string widened(narrow.begin(), narrow.end());
  for (auto& ch : widened) ch &= 0xFF;

  Unquote(narrow, q);
  Unquote(wide, static_cast<char16_t>(static_cast<uint8_t>(q)));
  Unquote(widened, static_cast<char16_t>(static_cast<uint8_t>(q)));
  RoundTrip(narrow, q);
  RoundTrip(wide, static_cast<char16_t>(static_cast<uint8_t>(q)));
  return 0;
}

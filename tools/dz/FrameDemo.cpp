// The first stops of the tour: the units, the locale the library sees, and
// the separator-driven tokenizer.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "deziva27/frame/Deziva27.h"
#include "deziva27/strings/YStrings.h"
#include "deziva27/platform/detail/CodePages.h"
#include "deziva27/platform/detail/Nls.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

std::string U8(const UnicodeString& s) {
  return Utf16ToUtf8(s);
}

void ShowFrame() {
  std::printf("units, in start order:");
  for (const auto& u : GetPackageInfoTable()) std::printf(" %s", u.Name);
  std::printf("\nsystem locale 0x%04X, ANSI code page %u\n", win::GetSystemDefaultLCID(),
              win::GetACP());
  for (LCID id : {LCID{0x0409}, LCID{0x0419}, LCID{0x0407}}) {
    TFormatSettings fs;
    GetLocaleFormatSettings(id, fs);
    std::printf("  0x%04X  decimal '%s'  date '%s'  %-10s  1.5 -> %-5s  %s\n", id,
                U8(UnicodeString(1, fs.DecimalSeparator)).c_str(),
                U8(UnicodeString(1, fs.DateSeparator)).c_str(), U8(fs.ShortDateFormat).c_str(),
                U8(FloatToStr(1.5, fs)).c_str(), U8(fs.LongMonthNames[0]).c_str());
  }
}

void ShowTokens() {
  std::ifstream in(SamplesDir() + "/tokens.txt");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  SetSeparatorList(AnsiString(":=*();,{}"));
  for (size_t at = 0, nl; at < text.size(); at = nl + 1) {
    nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    AnsiString line = text.substr(at, nl - at);
    std::printf("%s\n ", line.c_str());
    for (AnsiString t = GetToken(line); !t.empty(); t = GetToken(line))
      std::printf(" [%s]", t.c_str());
    std::printf("\n");
  }
  SetSeparatorList(AnsiString());
}

RegisterDemo frame({0, "Frame and locale", ShowFrame});
RegisterDemo tokens({10, "Separators and GetToken (samples/tokens.txt)", ShowTokens});

}  // namespace
}  // namespace dz::tool

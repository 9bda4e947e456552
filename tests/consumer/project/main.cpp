#include <deziva27/strings/YStrings.h>

#include <cstdio>

int main() {
  dz::SetSeparatorList(dz::AnsiString(","));
  dz::AnsiString s = "a,b";
  dz::AnsiString first = dz::GetToken(s);
  bool ok = first == "a" && dz::IsIntNum(u"$FF") && dz::IsPositive(u"YES");
  std::puts(ok ? "consumer ok" : "consumer WRONG");
  return ok ? 0 : 1;
}

// Records what the system calls behind YUtils' environment, program and
// version routines answer:
//
//   system_env.txt      "set NAME VALUE OK": the variables this program sets
//                       itself, so no answer depends on the machine;
//                       "expand IN NEED OUT": ExpandEnvironmentStringsW with a
//                       buffer of the size it asked for;
//                       "short IN NSIZE RESULT BUFFER": the same with a buffer
//                       of NSIZE units filled with '#' beforehand, and what the
//                       buffer holds afterwards ("null": no buffer at all);
//                       "upper FROM DELTA COUNT STEP": the case table names
//                       are compared with
//   system_args.txt     "args PARAMS COUNT ARG...": how CommandLineToArgvW
//                       splits a parameter string behind a program name
//   system_version.txt  "query FILE PATH OK LEN OFFSET VALUE": VerQueryValueW
//                       over the version block of the fixture FILE (in this
//                       folder), the pointer given as an offset into the block
//
// Long texts are written as runs, "~XXXX*N,XXXX*N", so that a value of 32,767
// characters stays one short field.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Oracle.h"

namespace {

std::string Field(const std::wstring& w) {
  bool longRun = false;
  for (size_t i = 0, j; i < w.size(); i = j) {
    for (j = i; j < w.size() && w[j] == w[i]; ++j) {
    }
    if (j - i >= 16) longRun = true;
  }
  if (!longRun) return oracle::Text(w);
  std::string s = "~";
  for (size_t i = 0, j; i < w.size(); i = j) {
    for (j = i; j < w.size() && w[j] == w[i]; ++j) {
    }
    if (i) s += ",";
    s += oracle::Hex(static_cast<unsigned>(w[i]), 4) + "*" + std::to_string(j - i);
  }
  return s;
}

std::wstring Rep(wchar_t c, size_t n) { return std::wstring(n, c); }

void NameCase(oracle::File& f);

void Environment() {
  oracle::File f("system_env.txt", "ExpandEnvironmentStringsW over variables set by the oracle");
  struct Var {
    std::wstring Name, Value;
  };
  const std::vector<Var> vars = {
      {L"TEMP", L"C:\\Tmp"},
      {L"DZ_EMPTY", L""},
      {L"DZ_NEST", L"%TEMP%"},
      {L"DZ_PCT", L"50%"},
      {L"A B", L"ab"},
      {L"\u00C4X", L"umlaut"},           // ÄX
      {L"\u03A3X", L"sigma"},            // ΣX
      {L"\u1E9EX", L"capital sharp s"},  // ẞX
      {L"IX", L"ascii i"},
      {L"\u0130Y", L"dotted I"},         // İY
      {L"\u212AX", L"kelvin"},           // KX with the Kelvin sign
      {L"\u039CX", L"mu"},               // ΜX, Greek capital mu
      {L"\U00010400X", L"deseret"},      // 𐐀X
      {L"\uFF21\uFF22", L"fullwidth"},   // ＡＢ
      {L"\u01C4X", L"dz digraph"},       // ǄX
      {L"DZ_WIDE", L"\u0416\U0001F600"},
      {L"DZ_HALF", Rep(L'y', 20000)},
      {L"DZ_LONG", Rep(L'x', 32766)},
      {L"DZ_MAX", Rep(L'w', 32767)},
      {L"DZ_OVER", Rep(L'v', 40000)},
  };
  SetEnvironmentVariableW(L"DZ_UNSET", nullptr);
  for (const Var& v : vars) {
    const BOOL ok = SetEnvironmentVariableW(v.Name.c_str(), v.Value.c_str());
    f.Line("set", Field(v.Name), Field(v.Value), ok ? 1 : 0);
  }
  const std::vector<std::wstring> inputs = {
      L"",
      L"no references",
      L"%TEMP%\\x",
      L"%temp%",
      L"%TeMp%\\%TEMP%",
      L"a%TEMP%%TEMP%b",
      L"%DZ_UNSET%",
      L"%DZ_UNSET%\\x",
      L"%DZ_UNSET%TEMP%",
      L"%DZ_UNSET%%TEMP%",
      L"%",
      L"%%",
      L"%%%",
      L"100%",
      L"%TEMP",
      L"TEMP%",
      L"%%TEMP%%",
      L"%TEMP%%",
      L"%=%",
      L"% TEMP%",
      L"%TEMP %",
      L"%A B%",
      L"%DZ_EMPTY%",
      L"[%DZ_EMPTY%]",
      L"%DZ_NEST%",
      L"%DZ_PCT%TEMP%",
      L"%DZ_WIDE%",
      L"%\u00E4x%",
      L"%\u00C4X%",
      L"%\u03C3x%",
      L"%\u03C2x%",
      L"%\u00DFx%",
      L"%\u1E9Ex%",
      L"%\u0131x%",
      L"%iy%",
      L"%\u0130y%",
      L"%kx%",
      L"%\u212Ax%",
      L"%\u00B5x%",
      L"%\u03BCx%",
      L"%\U00010428x%",
      L"%\U00010400x%",
      L"%\uFF41\uFF42%",
      L"%\u01C6x%",
      L"%\u01C5x%",
      L"%DZ_HALF%",
      L"%DZ_HALF%%DZ_HALF%",
      L"%DZ_LONG%",
      L"%DZ_LONG%a",
      L"%DZ_MAX%",
      L"%DZ_OVER%",
      Rep(L'z', 32766),
      Rep(L'z', 32767),
      Rep(L'z', 40000),
      Rep(L'z', 40000) + L"%TEMP%",
  };
  for (const std::wstring& in : inputs) {
    const DWORD need = ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
    std::wstring out(need + 1, L'#');
    const DWORD got = ExpandEnvironmentStringsW(in.c_str(), out.data(), need);
    out.resize(got && got <= need ? got - 1 : 0);
    f.Line("expand", Field(in), need, Field(out));
    if (got != need) f.Comment("second call answered " + std::to_string(got));
  }
  struct Short {
    std::wstring In;
    std::vector<int> Sizes;  // -1: no buffer, size 0
  };
  const std::vector<Short> shorts = {
      {L"%TEMP%\\x", {-1, 0, 1, 2, 5, 6, 8, 9, 10}},
      {L"abc", {0, 2, 3, 4}},
      {L"%DZ_UNSET%x", {3, 10, 11, 12}},
      {L"%DZ_WIDE%", {2, 3, 4, 5}},
      {L"%DZ_EMPTY%", {0, 1}},
  };
  for (const Short& s : shorts) {
    for (int n : s.Sizes) {
      if (n < 0) {
        f.Line("short", Field(s.In), "null", ExpandEnvironmentStringsW(s.In.c_str(), nullptr, 0),
               "-");
        continue;
      }
      std::wstring buf(static_cast<size_t>(n) + 1, L'#');
      const DWORD r = ExpandEnvironmentStringsW(s.In.c_str(), buf.data(), static_cast<DWORD>(n));
      f.Line("short", Field(s.In), n, r, oracle::HexUnits(buf.data(), n));
    }
  }
  NameCase(f);
}

// How names compare: Windows upper-cases each UTF-16 unit of both names with
// its own table (RtlUpcaseUnicodeChar) and compares the results. The table is
// written as runs "upper FROM DELTA COUNT STEP" (FROM, FROM + STEP, ... map to
// themselves plus DELTA); every pair is checked against the lookup itself.
void NameCase(oracle::File& f) {
  using Upcase = WCHAR(WINAPI*)(WCHAR);
  const auto upcase = reinterpret_cast<Upcase>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
  struct Run {
    unsigned From;
    int Delta;
    unsigned Count, Step;
  };
  std::vector<Run> runs;
  for (unsigned c = 1; c < 0x10000; ++c) {
    const unsigned u = upcase(static_cast<WCHAR>(c));
    if (u == c) continue;
    const int delta = static_cast<int>(u) - static_cast<int>(c);
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const wchar_t name[] = {static_cast<wchar_t>(c), L'Q', 0};
    const wchar_t ref[] = {L'%', static_cast<wchar_t>(u), L'q', L'%', 0};
    wchar_t out[8] = {};
    if (c != L'%' && c != L'=' && u != L'%' && u != L'=') {
      SetEnvironmentVariableW(name, L"1");
      ExpandEnvironmentStringsW(ref, out, 8);
      SetEnvironmentVariableW(name, nullptr);
      if (out[0] != L'1') f.Comment("the lookup does not follow the table at " + oracle::Hex(c, 4));
    }
    if (!runs.empty()) {
      Run& r = runs.back();
      const unsigned next = r.From + r.Count * r.Step;
      if (r.Delta == delta && (r.Count == 1 ? c - r.From <= 2 : next == c)) {
        if (r.Count == 1) r.Step = c - r.From;
        ++r.Count;
        continue;
      }
    }
    runs.push_back({c, delta, 1, 1});
  }
  for (const Run& r : runs) f.Line("upper", oracle::Hex(r.From, 4), r.Delta, r.Count, r.Step);
}

void Arguments() {
  oracle::File f("system_args.txt", "CommandLineToArgvW over parameters behind a program name");
  const std::vector<std::wstring> inputs = {
      L"",
      L"a",
      L"  a \t b  ",
      L"\"a b\" c",
      L"\"\"",
      L"a \"\" b",
      L"a\\\\b",
      L"a\\\"b",
      L"a\\\\\"b c\"",
      L"a\\\\\\\"b",
      L"\"a\"\"b\"",
      L"\"a\"\"b c\"",
      L"\"a\"\"\"b\"",
      L"\"\"\"\"",
      L"\"\"\"a\"\"\"",
      L"a\"\"b",
      L"x\"y z\"w",
      L"C:\\Program Files\\x",
      L"\"C:\\dir\\\\\" next",
      L"\"C:\\dir\\\" next",
      L"a\\",
      L"\"a b",
      L"\\\"",
      L"\\\\\"a b\"",
      L"a\nb c",
      L"a\u3000b",
      L"\u00E4 \u00F6",
      L"-e://x",
      L"--help \"-x y\"",
  };
  for (const std::wstring& in : inputs) {
    const std::wstring line = L"x " + in;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    std::string row = "args\t" + Field(in) + "\t" + std::to_string(argv ? argc - 1 : -1);
    for (int i = 1; argv && i < argc; ++i) row += "\t" + Field(argv[i]);
    f.Line(row);
    LocalFree(argv);
  }
}

// version.dll is loaded by name: the build links no import library beyond
// the default ones.
template <typename F>
F Version(const char* name) {
  static HMODULE dll = LoadLibraryW(L"version.dll");
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

void Versions() {
  const auto GetFileVersionInfoSizeW =
      Version<DWORD(WINAPI*)(LPCWSTR, DWORD*)>("GetFileVersionInfoSizeW");
  const auto GetFileVersionInfoW =
      Version<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, void*)>("GetFileVersionInfoW");
  const auto VerQueryValueW =
      Version<BOOL(WINAPI*)(const void*, LPCWSTR, void**, UINT*)>("VerQueryValueW");
  oracle::File f("system_version.txt", "VerQueryValueW over the version blocks of the fixtures");
  const std::vector<std::wstring> blocks = {L"040904B0", L"040704E4", L"041904E3"};
  const std::vector<std::wstring> names = {
      L"CompanyName",  L"FileDescription", L"FileVersion", L"InternalName",
      L"LegalCopyright", L"LegalTrademarks", L"OriginalFilename", L"ProductName",
      L"ProductVersion", L"Comments"};
  std::vector<std::wstring> paths = {
      L"\\",
      L"",
      L"\\\\",
      L"\\VS_VERSION_INFO",
      L"\\VarFileInfo",
      L"\\VarFileInfo\\",
      L"\\VarFileInfo\\Translation",
      L"\\varfileinfo\\TRANSLATION",
      L"VarFileInfo\\Translation",
      L"\\VarFileInfo\\Translation\\",
      L"\\VarFileInfo\\Translation\\x",
      L"\\VarFileInfo\\Trans",
      L"\\StringFileInfo",
      L"\\StringFileInfo\\",
      L"\\stringfileinfo\\040904b0\\companyname",
      L"\\\\StringFileInfo\\\\040904B0\\\\FileVersion",
      L"\\StringFileInfo\\040904B0\\FileVersion\\",
      L"\\StringFileInfo\\040904B0\\FileVersion\\x",
      L"\\StringFileInfo\\040904B0\\File",
      L"\\StringFileInfo\\040904B0\\FileVersionX",
      L"StringFileInfo\\040904B0\\FileVersion",
      L"/StringFileInfo/040904B0/FileVersion",
  };
  for (const std::wstring& b : blocks) {
    paths.push_back(L"\\StringFileInfo\\" + b);
    for (const std::wstring& n : names) paths.push_back(L"\\StringFileInfo\\" + b + L"\\" + n);
  }
  for (const wchar_t* file :
       {L"system_full.dll", L"system_two32.dll", L"system_nocopyright32.dll"}) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &handle);
    std::vector<char> block(size);
    if (!size || !GetFileVersionInfoW(file, handle, size, block.data())) {
      f.Comment("no version information in " + oracle::Text(file));
      continue;
    }
    const std::string name = oracle::Text(file);
    for (const std::wstring& p : paths) {
      void* v = nullptr;
      UINT len = 0;
      const BOOL ok = VerQueryValueW(block.data(), p.c_str(), &v, &len);
      if (!ok) {
        f.Line("query", name, Field(p), 0, "-", "-", "-");
        continue;
      }
      const long long off = static_cast<const char*>(v) - block.data();
      std::string value;
      if (p.find(L"StringFileInfo\\") != std::wstring::npos)
        value = oracle::Text(static_cast<const wchar_t*>(v), static_cast<int>(len));
      else
        value =
            oracle::HexBytes(static_cast<const char*>(v), static_cast<int>(len < 64 ? len : 64));
      f.Line("query", name, Field(p), 1, len, off, value.empty() ? "-" : value);
    }
  }
}

}  // namespace

int wmain() {
  Environment();
  Arguments();
  Versions();
  return 0;
}

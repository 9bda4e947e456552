// dz cp: text from one code page to another, streamed like iconv, and the
// code pages this platform knows. The conversions are the library's own, so
// dz answers what a program using it gets.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "deziva27/locales/YLocales.h"
#include "deziva27/platform/detail/Nls.h"
#include "deziva27/platform/detail/CodePages.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

// Digits only: a blank, a sign or a number past 32 bits is a mistake of the
// caller's, not a code page.
uint32_t CodePageArg(const std::string& arg) {
  if (arg.empty() || arg.size() > 10 || arg.find_first_not_of("0123456789") != std::string::npos ||
      std::stoull(arg) > 0xFFFFFFFFull)
    throw UsageError("'" + arg + "' is not a code page number");
  const auto cp = static_cast<uint32_t>(std::stoull(arg));
  if (cp > 3 && !win::IsValidCodePage(cp))
    throw FileError("code page " + arg + " is not known here (dz cp list)");
  return cp;
}

// The length of the longest prefix of s that ends between two characters of
// code page cp; the rest waits for the bytes that complete it.
size_t WholeCharacters(uint32_t cp, const std::string& s) {
  if (cp == CP_UTF8) {
    size_t i = s.size(), back = 0;
    while (i > 0 && back < 3 && (static_cast<unsigned char>(s[i - 1]) & 0xC0) == 0x80) --i, ++back;
    if (i == 0) return s.size();
    const auto lead = static_cast<unsigned char>(s[i - 1]);
    const size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    return need > back ? i - 1 : s.size();
  }
  if (cp == CP_UTF7) {
    // Up to the last byte outside a base64 run.
    size_t cut = 0;
    bool inRun = false;
    for (size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      const bool base64 = std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/';
      if (inRun && !base64) inRun = false;
      else if (!inRun && c == '+') inRun = true;
      if (!inRun) cut = i + 1;
    }
    return cut;
  }
  size_t i = 0;
  while (i < s.size()) i += win::IsDBCSLeadByteEx(cp, static_cast<uint8_t>(s[i])) ? 2 : 1;
  return i > s.size() ? s.size() - 1 : s.size();
}

// Where the first byte that is no text lies, character by character.
size_t FirstInvalid(uint32_t cp, const std::string& s) {
  char16_t w[4];
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 1;
    while (len <= 4 && i + len <= s.size() &&
           win::MultiByteToWideChar(cp, win::MB_ERR_INVALID_CHARS, s.data() + i,
                                    static_cast<int>(len), w, 4) == 0)
      ++len;
    if (len > 4 || i + len > s.size()) return i;
    i += len;
  }
  return s.size();
}

int Convert(const Args& args) {
  std::string from, to;
  bool substitute = false, force = false;
  Args files;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if ((a == "--from" || a == "--to") && i + 1 < args.size())
      (a == "--from" ? from : to) = args[++i];
    else if (a == "--substitute")
      substitute = true;
    else if (a == "-f" || a == "--force")
      force = true;
    else if (a.size() > 1 && a[0] == '-')
      throw UsageError("unknown option '" + a + "'");
    else
      files.push_back(a);
  }
  if (from.empty() || to.empty()) throw UsageError("convert needs --from CP and --to CP");
  if (files.size() > 2) throw UsageError("convert takes IN and OUT at most");
  const uint32_t fromCp = CodePageArg(from), toCp = CodePageArg(to);
  const uint32_t fromPage = fromCp > 3 ? fromCp : fromCp == 1 ? win::GetOEMCP() : win::GetACP();
  const uint32_t toPage = toCp > 3 ? toCp : toCp == 1 ? win::GetOEMCP() : win::GetACP();
  const std::string in = files.empty() ? "-" : files[0];
  const std::string outName = files.size() < 2 ? "-" : files[1];
  // Strict unless asked: a byte that is no text, or a character the target
  // writes only as a best fit or its default, stops the run. UTF-7 knows no
  // strictness on Windows and is taken as it comes.
  const uint32_t decodeFlags = substitute || fromPage == CP_UTF7 ? 0 : win::MB_ERR_INVALID_CHARS;
  const uint32_t encodeFlags = substitute || toPage == CP_UTF7 ? 0
                               : toPage == CP_UTF8          ? win::WC_ERR_INVALID_CHARS
                                                            : win::WC_NO_BEST_FIT_CHARS;
  const bool askUsed = encodeFlags == win::WC_NO_BEST_FIT_CHARS;
  Output out(outName, force);
  const int fd = OpenForReading(in);
  struct Close {
    int Fd;
    ~Close() {
      if (Fd > 2) ::close(Fd);
    }
  } closeIn{fd};
  std::string pending, bytes;
  std::u16string wide, wideRest;
  std::vector<char> inBuf(1 << 16);
  int64_t offset = 0;  // of pending's first byte in the input
  for (bool last = false; !last;) {
    ssize_t n = ::read(fd, inBuf.data(), inBuf.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("read", in, errno);
    }
    last = n == 0;
    pending.append(inBuf.data(), static_cast<size_t>(n));
    const size_t whole = last ? pending.size() : WholeCharacters(fromPage, pending);
    wide.assign(wideRest);
    wideRest.clear();
    if (whole > 0) {
      const int len = static_cast<int>(whole);
      const int count =
          win::MultiByteToWideChar(fromPage, decodeFlags, pending.data(), len, nullptr, 0);
      if (count == 0) {
        // Only U+FFFD stands in for a byte that is no text, whatever the page
        // would make of it.
        const size_t at = FirstInvalid(fromPage, pending.substr(0, whole));
        throw FileError(DisplayName(in) + ": byte offset " +
                        std::to_string(offset + static_cast<int64_t>(at)) +
                        " is not text in code page " + from + " (--substitute reads it as U+FFFD)");
      }
      const size_t base = wide.size();
      wide.resize(base + static_cast<size_t>(count));
      win::MultiByteToWideChar(fromPage, decodeFlags, pending.data(), len, wide.data() + base,
                               count);
      if (substitute && fromPage != CP_UTF8 && fromPage != CP_UTF7) {
        // The page's own default character for a byte it leaves undefined
        // becomes U+FFFD, as the strict decoder would have refused it.
        for (size_t i = 0, k = 0; i < whole; ++k) {
          size_t len1 = win::IsDBCSLeadByteEx(fromPage, static_cast<uint8_t>(pending[i])) &&
                                i + 1 < whole && pending[i + 1] != 0
                            ? 2
                            : 1;
          char16_t u;
          if (win::MultiByteToWideChar(fromPage, win::MB_ERR_INVALID_CHARS, pending.data() + i,
                                       static_cast<int>(len1), &u, 1) == 0)
            wide[base + k] = u'\uFFFD';
          i += len1;
        }
      }
      offset += static_cast<int64_t>(whole);
      pending.erase(0, whole);
    }
    // A high surrogate, or an open UTF-7 run, waits for what follows it.
    if (!last && !wide.empty()) {
      size_t keep = wide.size();
      if (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;
      if (toPage == CP_UTF7)
        while (keep > 0 &&
               !std::isalnum(wide[keep - 1] < 0x80 ? static_cast<int>(wide[keep - 1]) : 0))
          --keep;
      wideRest.assign(wide, keep);
      wide.resize(keep);
    }
    if (wide.empty()) continue;
    const int wlen = static_cast<int>(wide.size());
    int used = 0;
    const int size = win::WideCharToMultiByte(toPage, encodeFlags, wide.data(), wlen, nullptr, 0,
                                              nullptr, askUsed ? &used : nullptr);
    if (size == 0 || used)
      throw FileError(DisplayName(in) + ": a character before byte offset " +
                      std::to_string(offset) + " has no place in code page " + to +
                      " (--substitute writes its best fit or '?')");
    bytes.resize(static_cast<size_t>(size));
    win::WideCharToMultiByte(toPage, encodeFlags, wide.data(), wlen, bytes.data(), size);
    out.Stream().WriteBuffer(bytes.data(), size);
  }
  out.Commit();
  return kOk;
}

int List() {
  for (uint32_t cp = 4; cp < 0x10000; ++cp) {
    if (!win::IsValidCodePage(cp)) continue;
    win::CHARSETINFO info;
    if (win::TranslateCharsetInfo(cp, &info, win::TCI_SRCCODEPAGE))
      std::printf("%u\tcharset %u\n", cp, info.ciCharset);
    else
      std::printf("%u\n", cp);
  }
  std::printf("0\tthe ANSI code page (%u)\n1\tthe OEM code page of the system locale (%u)\n",
              win::GetACP(), win::GetOEMCP());
  return kOk;
}

int RunCp(const Args& args) {
  if (args.empty()) throw UsageError("missing subcommand");
  if (args[0] == "convert") return Convert(args);
  if (args[0] == "list") {
    if (args.size() != 1) throw UsageError("list takes no arguments");
    return List();
  }
  throw UsageError("unknown subcommand '" + args[0] + "'");
}

Register reg({"cp", "convert text between Windows code pages",
              "usage: dz cp convert --from CP --to CP [--substitute] [-f] [IN [OUT]]\n"
              "       dz cp list\n\n"
              "convert reads IN (standard input without it, or for '-') as text in code\n"
              "page --from and writes it to OUT (standard output without it) in code\n"
              "page --to, through fixed buffers, so input of any size streams; a\n"
              "character cut by a buffer's end is decoded whole. 0 is the ANSI code\n"
              "page, 1 the system's OEM code page, 65001 UTF-8. Bytes that are no text\n"
              "in --from, or characters --to cannot hold, stop it with their offset\n"
              "(exit 3) unless --substitute reads them as U+FFFD and writes the best\n"
              "fit or the code page's default character ('?'), as Windows does. OUT\n"
              "follows the rules of dz lzy (-f to replace a file).\n\n"
              "list prints every code page number known here, with its Windows\n"
              "character set where it has one.\n",
              RunCp, {"--from", "--to"}});

}  // namespace
}  // namespace dz::tool

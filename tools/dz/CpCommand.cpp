// dz cp: text from one code page to another, streamed like iconv, and the
// code pages this platform knows.
#include <fcntl.h>
#include <unicode/ucnv.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "deziva27/locales/YLocales.h"
#include "tools/dz/CliIO.h"
#include "tools/dz/Command.h"

namespace dz::tool {
namespace {

using Converter = std::unique_ptr<UConverter, void (*)(UConverter*)>;

Converter Open(const std::string& arg, uint32_t& cp) {
  char* end = nullptr;
  unsigned long n = std::strtoul(arg.c_str(), &end, 10);
  if (arg.empty() || *end != '\0' || n > 0xFFFFFFFFul)
    throw UsageError("'" + arg + "' is not a code page number");
  cp = static_cast<uint32_t>(n);
  const std::string name = nls::CodePageConverterName(cp);
  UErrorCode err = U_ZERO_ERROR;
  UConverter* c = name.empty() ? nullptr : ucnv_open(name.c_str(), &err);
  if (!c || U_FAILURE(err)) throw FileError("code page " + arg + " is not known here (dz cp list)");
  return Converter(c, ucnv_close);
}

// Streams in through both converters in fixed buffers. The converters keep
// a multi-byte character cut by a buffer's end until its rest arrives.
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
  const std::string in = files.empty() ? "-" : files[0];
  const std::string outName = files.size() < 2 ? "-" : files[1];
  uint32_t fromCp, toCp;
  Converter dec = Open(from, fromCp), enc = Open(to, toCp);
  UErrorCode err = U_ZERO_ERROR;
  if (!substitute) {
    ucnv_setToUCallBack(dec.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(enc.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  } else {
    ucnv_setSubstChars(enc.get(), "?", 1, &err);
  }
  Output out(outName, force);
  const int fd = OpenForReading(in);
  struct Close {
    int Fd;
    ~Close() {
      if (Fd > 2) ::close(Fd);
    }
  } closeIn{fd};
  std::vector<char> inBuf(1 << 16), outBuf(1 << 17);
  std::vector<UChar> mid(1 << 16);
  int64_t offset = 0;  // of the first byte of the current buffer
  for (bool last = false; !last;) {
    ssize_t n = ::read(fd, inBuf.data(), inBuf.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("read", in, errno);
    }
    last = n == 0;
    const char* src = inBuf.data();
    const char* srcEnd = src + n;
    do {
      UChar* u = mid.data();
      err = U_ZERO_ERROR;
      ucnv_toUnicode(dec.get(), &u, mid.data() + mid.size(), &src, srcEnd, nullptr, last, &err);
      if (U_FAILURE(err) && err != U_BUFFER_OVERFLOW_ERROR) {
        char bad[32];
        int8_t badLen = sizeof bad;
        UErrorCode e = U_ZERO_ERROR;
        ucnv_getInvalidChars(dec.get(), bad, &badLen, &e);
        const int64_t at = offset + (src - inBuf.data()) - (U_SUCCESS(e) ? badLen : 1);
        throw FileError(DisplayName(in) + ": byte offset " + std::to_string(at) +
                        " is not text in code page " + from + " (--substitute reads it as U+FFFD)");
      }
      const bool more = err == U_BUFFER_OVERFLOW_ERROR;
      const UChar* us = mid.data();
      UErrorCode e2;
      do {
        char* o = outBuf.data();
        e2 = U_ZERO_ERROR;
        ucnv_fromUnicode(enc.get(), &o, outBuf.data() + outBuf.size(), &us, u, nullptr,
                         last && !more, &e2);
        if (U_FAILURE(e2) && e2 != U_BUFFER_OVERFLOW_ERROR)
          throw FileError(DisplayName(in) + ": a character before byte offset " +
                          std::to_string(offset + (src - inBuf.data())) +
                          " has no place in code page " + to + " (--substitute writes '?')");
        out.Stream().WriteBuffer(outBuf.data(), static_cast<int32_t>(o - outBuf.data()));
      } while (e2 == U_BUFFER_OVERFLOW_ERROR);
      if (!more) break;
    } while (true);
    offset += n;
  }
  out.Commit();
  return kOk;
}

int List() {
  // Every number the converters answer for, with the character set when the
  // code page has one.
  for (uint32_t cp = 2; cp < 66000; ++cp) {
    const std::string name = nls::CodePageConverterName(cp);
    if (name.empty()) continue;
    CHARSETINFO info;
    if (TranslateCharsetInfo(cp, &info, TCI_SRCCODEPAGE))
      std::printf("%u\t%s\tcharset %u\n", cp, name.c_str(), info.ciCharset);
    else
      std::printf("%u\t%s\n", cp, name.c_str());
  }
  std::printf("0\tthe ANSI code page of the system locale (%u)\n1\tits OEM code page (%u)\n",
              GetACP(), GetOEMCP());
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
              "character cut by a buffer's end is decoded whole. 0 is the system's\n"
              "ANSI code page, 1 its OEM code page, 65001 UTF-8. Bytes that are no text\n"
              "in --from, or characters --to cannot hold, stop it with their offset\n"
              "(exit 3) unless --substitute reads them as U+FFFD and writes '?', as\n"
              "Windows does. OUT follows the rules of dz lzy (-f to replace a file).\n\n"
              "list prints every code page number known here, its converter and its\n"
              "Windows character set.\n",
              RunCp});

}  // namespace
}  // namespace dz::tool

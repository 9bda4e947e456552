// TYScanner reading whole sources, Pascal and C, at 1, 10 and 50 MB, against
// peers measured in the same run over the same lines:
//   HandLexer  a minimal hand-written lexer (names, numbers, strings,
//              comments, one-character punctuation) copying each token's
//              text: the floor for any tokenizer that hands out token text
//   StdRegex   std::regex_iterator over the same text in UTF-8 (1 MB only;
//              it is the tool people reach for first)
// Counters: bytes_per_second (source characters, line ends counted once),
// tokens per second, and s_per_byte (shown as n for nanoseconds), which
// must stay flat across sizes.
// The Pascal runs carry a list of 40 reserved words, as a parser would.
// rss_growth_MB is how much the peak resident size grew while scanning, the
// source being loaded before: the scan itself holds only the queue.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <map>
#include <regex>
#include <string>
#include <utility>

#include "deziva27/scanner/YScanner.h"

namespace {

using namespace dz;

const char16_t* const kPascalChunk[] = {
    u"procedure TForm%.Button%Click(Sender: TObject);",
    u"var",
    u"  I, Count%: Integer;",
    u"  S: string;",
    u"begin",
    u"  { count the marked lines }",
    u"  Count% := 0;",
    u"  for I := 0 to Memo%.Lines.Count - 1 do",
    u"    if Pos('[x]', Memo%.Lines[I]) > 0 then Inc(Count%);",
    u"  S := 'Found ' + IntToStr(Count%) + ' line''s'#13#10;",
    u"  (* show it *) ShowMessage(S); // done",
    u"end;",
    u"",
};

const char16_t* const kCChunk[] = {
    u"static int count_marked_%(const struct line *lines, size_t n) {",
    u"  int count% = 0;  /* marked lines */",
    u"  for (size_t i = 0; i < n; ++i) {",
    u"    if (strstr(lines[i].text, \"[x]\") != NULL && lines[i].len >= 3)",
    u"      count%++;  // one more",
    u"  }",
    u"  printf(\"found %d line's\\n\", count%);",
    u"  return count% > 0 ? '\\n' : 0x1F;",
    u"}",
    u"",
};

const char16_t* const kPascalWords[] = {u"and",      u"array",     u"begin",
                                        u"case",     u"const",     u"div",
                                        u"do",       u"downto",    u"else",
                                        u"end",      u"file",      u"for",
                                        u"function", u"goto",      u"if",
                                        u"in",       u"label",     u"mod",
                                        u"nil",      u"not",       u"of",
                                        u"or",       u"packed",    u"procedure",
                                        u"program",  u"record",    u"repeat",
                                        u"set",      u"then",      u"to",
                                        u"type",     u"until",     u"var",
                                        u"while",    u"with",      u"unit",
                                        u"uses",     u"interface", u"implementation",
                                        u"string"};

// Lines of about `bytes` characters, the chunk repeated with numbered names.
const TStringList& Source(TSourceStyle style, size_t bytes) {
  static std::map<std::pair<int, size_t>, TStringList> cache;
  auto key = std::make_pair(int(style), bytes);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  TStringList& lines = cache[key];
  size_t total = 0;
  for (int n = 0; total < bytes; ++n) {
    const UnicodeString num = IntToStr(n);
    auto add = [&](const char16_t* pattern) {
      UnicodeString line;
      for (const char16_t* p = pattern; *p; ++p) {
        if (*p == u'%')
          line += num;
        else
          line += *p;
      }
      total += line.size() + 1;
      lines.Add(line);
    };
    if (style == ssPascal)
      for (auto* l : kPascalChunk) add(l);
    else
      for (auto* l : kCChunk) add(l);
  }
  return lines;
}

size_t SourceBytes(const TStringList& lines) {
  size_t n = 0;
  for (int32_t i = 0; i < lines.Count(); ++i) n += lines.Strings(i).size() + 1;
  return n;
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void Report(benchmark::State& state, size_t bytes, int64_t tokens) {
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens) * state.iterations(),
                                                benchmark::Counter::kIsRate);
  state.counters["s_per_byte"] =
      benchmark::Counter(static_cast<double>(bytes) * state.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Scanner(benchmark::State& state, TSourceStyle style) {
  const TStringList& lines = Source(style, static_cast<size_t>(state.range(0)) << 20);
  TYScanner sc;
  sc.SetSourceStyle(style);
  if (style == ssPascal)
    for (auto* w : kPascalWords) sc.RWords().Add(w);
  sc.SetSource(lines);
  const long peakBefore = PeakRssKb();
  int64_t tokens = 0;
  for (auto _ : state) {
    tokens = 0;
    for (sc.FirstToken(); !sc.EOS(); sc.NextToken()) {
      benchmark::DoNotOptimize(sc.GetTokType());
      ++tokens;
    }
  }
  Report(state, SourceBytes(lines), tokens);
  state.counters["rss_growth_MB"] = static_cast<double>(PeakRssKb() - peakBefore) / 1024.0;
}

// The peer: just enough lexing to hand out the same kind of token stream.
void BM_HandLexer(benchmark::State& state, TSourceStyle style) {
  const TStringList& lines = Source(style, static_cast<size_t>(state.range(0)) << 20);
  const bool pascal = style == ssPascal;
  const char16_t quote = pascal ? u'\'' : u'"';
  int64_t tokens = 0;
  UnicodeString text;
  for (auto _ : state) {
    tokens = 0;
    bool inComment = false;
    for (int32_t li = 0, nl = lines.Count(); li < nl; ++li) {
      const UnicodeString& s = lines.Strings(li);
      size_t i = 0, n = s.size();
      while (i < n) {
        char16_t c = s[i];
        if (inComment) {
          if (pascal ? c == u'}' || (c == u'*' && i + 1 < n && s[i + 1] == u')')
                     : c == u'*' && i + 1 < n && s[i + 1] == u'/') {
            i += c == u'}' ? 1 : 2;
            inComment = false;
          } else {
            ++i;
          }
          continue;
        }
        if (c == u' ' || c == u'\t') {
          ++i;
          continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'/') break;
        if ((pascal && (c == u'{' || (c == u'(' && i + 1 < n && s[i + 1] == u'*'))) ||
            (!pascal && c == u'/' && i + 1 < n && s[i + 1] == u'*')) {
          inComment = true;
          i += c == u'{' ? 1 : 2;
          continue;
        }
        size_t start = i;
        if (c == quote || c == u'\'') {
          for (++i; i < n && s[i] != c; ++i)
            if (s[i] == u'\\' && !pascal) ++i;
          ++i;
        } else if ((c | 0x20) >= u'a' && (c | 0x20) <= u'z') {
          while (i < n && (s[i] == u'_' || ((s[i] | 0x20) >= u'a' && (s[i] | 0x20) <= u'z') ||
                           (s[i] >= u'0' && s[i] <= u'9')))
            ++i;
        } else if (c >= u'0' && c <= u'9') {
          while (i < n &&
                 ((s[i] | 0x20) >= u'a' && (s[i] | 0x20) <= u'z' ? true
                                                                 : s[i] >= u'0' && s[i] <= u'9'))
            ++i;
        } else {
          ++i;
        }
        text.assign(s, start, std::min(i, n) - start);
        benchmark::DoNotOptimize(text.data());
        ++tokens;
      }
    }
  }
  Report(state, SourceBytes(lines), tokens);
}

void BM_StdRegex(benchmark::State& state, TSourceStyle style) {
  const TStringList& lines = Source(style, static_cast<size_t>(state.range(0)) << 20);
  std::string text;
  for (int32_t i = 0; i < lines.Count(); ++i) text += Utf16ToUtf8(lines.Strings(i)) + "\n";
  const std::regex token(style == ssPascal
                             ? R"([A-Za-z_]\w*|\d+|'[^'\n]*'|\{[^}]*\}|//[^\n]*|\S)"
                             : R"([A-Za-z_]\w*|\d+|"(\\.|[^"\\\n])*"|/\*[^*]*\*/|//[^\n]*|\S)");
  int64_t tokens = 0;
  for (auto _ : state) {
    tokens = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
      benchmark::DoNotOptimize(it->length());
      ++tokens;
    }
  }
  Report(state, SourceBytes(lines), tokens);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

BENCHMARK_CAPTURE(BM_Scanner, Pascal, ssPascal)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_HandLexer, Pascal, ssPascal)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_StdRegex, Pascal, ssPascal)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scanner, C, ssC)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_HandLexer, C, ssC)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_StdRegex, C, ssC)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

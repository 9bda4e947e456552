#include "deziva27/strings/Sections.h"

#include "deziva27/host/runtime/Strings.h"

namespace dz {
namespace {

// Trimmed view of a line without building a new string: the readers judge
// every line of the list and keep none of the trimmed forms.
std::u16string_view Trimmed(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= 32) ++b;
  while (e > b && s[e - 1] <= 32) --e;
  return s.substr(b, e - b);
}

bool StartsSection(std::u16string_view line) {
  const std::u16string_view t = Trimmed(line);
  return !t.empty() && t.front() == u'[';
}

bool IsHeaderOf(std::u16string_view line, std::u16string_view name) {
  const std::u16string_view t = Trimmed(line);
  return t.size() == name.size() + 2 && t.front() == u'[' && t.back() == u']' &&
         CompareText(t.substr(1, name.size()), name) == 0;
}

int32_t FindHeader(const TStrings& list, std::u16string_view name, int32_t from) {
  for (int32_t i = from, n = list.Count(); i < n; ++i)
    if (IsHeaderOf(list.Strings(i), name)) return i;
  return -1;
}

// Adds the values of the body that follows header; returns the last line
// examined as part of the section.
int32_t ReadBody(const TStrings& list, int32_t header, TStrings& values) {
  int32_t i = header + 1;
  for (const int32_t n = list.Count(); i < n; ++i) {
    const UnicodeString& line = list.Strings(i);
    if (StartsSection(line)) break;
    if (!Trimmed(line).empty()) values.Add(line);
  }
  return i - 1;
}

}  // namespace

int32_t ReadSLSectionValues(const TStrings& list, std::u16string_view name, TStrings& values) {
  values.Clear();
  const int32_t header = FindHeader(list, name, 0);
  if (header < 0) return list.Count() - 1;
  return ReadBody(list, header, values);
}

int32_t XGetSLSectionIndex(int32_t startLine, const TStrings& list, std::u16string_view name) {
  // The list's own index check is the one that judges a negative start.
  if (startLine < 0) (void)list.Strings(startLine);
  int32_t header = FindHeader(list, name, startLine);
  if (header < 0 && startLine != 0) header = FindHeader(list, name, 0);
  return header;
}

int32_t XReadSLSectionValues(int32_t startLine, const TStrings& list, std::u16string_view name,
                             TStrings& values) {
  values.Clear();
  const int32_t header = XGetSLSectionIndex(startLine, list, name);
  if (header < 0) return startLine;
  return ReadBody(list, header, values);
}

void ReadSLSections(const TStrings& list, TStrings& names) {
  for (int32_t i = 0, n = list.Count(); i < n; ++i) {
    const std::u16string_view t = Trimmed(list.Strings(i));
    if (t.size() >= 2 && t.front() == u'[' && t.back() == u']')
      names.Add(UnicodeString(t.substr(1, t.size() - 2)));
  }
}

}  // namespace dz

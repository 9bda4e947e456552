/* A C file for the scanner tour: escapes, character literals and a
   wide string. */
#include <stdio.h>
#include <wchar.h>

static const char *names[] = {"tab\there", "quote\"inside", "octal\101\x42"};

int count_spaces(const char *s) {
  int n = 0;
  for (; *s != '\0'; ++s)
    if (*s == ' ' || *s == '\t') n++;  // both count
  return n;
}

int main(void) {
  const wchar_t *wide = L"wide text";
  printf("%d %ls\n", count_spaces(names[0]), wide);
  return wide[0] != L'w';
}

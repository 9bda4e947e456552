#!/bin/sh
# Seeds for chm_open_fuzz: small CHM files made with chmcmd, with contents,
# index, context numbers and pages that link each other; and two whose
# sitemaps list more than one extraction may write (2,501 pages, and 700
# pages each four folders deep).
set -e
out=${1:?usage: chm_seeds.sh DIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p sub
printf '<html><head><link rel="stylesheet" href="sub/s.css"></head><body><a href="sub/p.htm">p</a><img src="i.png"><a href="../x.htm">x</a></body></html>\n' > index.htm
printf '<html><body><a href="../index.htm">back</a></body></html>\n' > sub/p.htm
printf 'body { background: url(../i.png) }\n' > sub/s.css
printf '\211PNG\r\n\032\n' > i.png
printf '<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="A"><param name="Local" value="index.htm"></OBJECT><UL><LI><OBJECT type="text/sitemap"><param name="Name" value="B"><param name="Local" value="sub/p.htm"></OBJECT></UL></UL>\n' > t.hhc
printf '<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="k"><param name="Local" value="sub/p.htm"></OBJECT></UL>\n' > i.hhk
cat > a.hhp <<'HHP'
[OPTIONS]
Compiled file=a.chm
Contents file=t.hhc
Index file=i.hhk
Default topic=index.htm

[FILES]
index.htm
sub/p.htm
sub/s.css
i.png

[ALIAS]
IDH_A=index.htm
IDH_B=sub/p.htm

[MAP]
#define IDH_A 100
#define IDH_B 200
HHP
printf '[OPTIONS]\nCompiled file=b.chm\nDefault topic=sub/p.htm\n\n[FILES]\nsub/p.htm\nindex.htm\n' > b.hhp
chmcmd a.hhp >/dev/null 2>&1
chmcmd b.hhp >/dev/null 2>&1

# $1: the .chm name, $2: how many pages, $3: the folders before each page
# ("" for none; the page number is added to the last one, so that each page
# needs folders of its own).
many() {
  mkdir -p "$1.d"
  (
    cd "$1.d"
    i=0
    printf '<UL>' > t.hhc
    printf '[OPTIONS]\nCompiled file=%s\nContents file=t.hhc\nIndex file=t.hhc\n\n[FILES]\n' "$1" > m.hhp
    while [ "$i" -lt "$2" ]; do
      page="p$i.htm"
      if [ -n "$3" ]; then
        page="$3$i/$page"
        mkdir -p "$3$i"
      fi
      printf '<html>%s</html>\n' "$i" > "$page"
      printf '<LI><OBJECT type="text/sitemap"><param name="Name" value="%s"><param name="Local" value="%s"></OBJECT>' "$i" "$page" >> t.hhc
      printf '%s\n' "$page" >> m.hhp
      i=$((i + 1))
    done
    printf '</UL>\n' >> t.hhc
    chmcmd m.hhp >/dev/null 2>&1
  )
  cp "$1.d/$1" .
}
many c.chm 2501 ""
many d.chm 700 "a/b/c/d"
cp a.chm b.chm c.chm d.chm "$out"/

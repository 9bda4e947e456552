#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <ranges>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "Raises.h"
#include "deziva27/host/Host.h"
#include "deziva27/host/ui/TreeView.h"
#include "support/Files.h"

namespace dz {
namespace {

template <class F>
void ExpectIndexError(F f, int32_t index) {
  EXPECT_EQ(test::MessageOf<EListError>(f), u"List index out of bounds (" + IntToStr(index) + u")");
}

// Records the notifications a list sends, the way owning containers use them.
class RecordingList : public TList {
 public:
  std::vector<std::pair<void*, TListNotification>> log;
  ~RecordingList() override { Clear(); }

 protected:
  void Notify(void* p, TListNotification a) override { log.emplace_back(p, a); }
};

TEST(TList, IndexErrorsNameTheIndexAndGrowthIsClassic) {
  TList l;
  int a, b;
  EXPECT_EQ(l.Add(&a), 0);
  EXPECT_EQ(l.Add(&b), 1);
  ExpectIndexError([&] { l.Items(2); }, 2);
  ExpectIndexError([&] { l.Items(-1); }, -1);
  ExpectIndexError([&] { l.Delete(2); }, 2);
  ExpectIndexError([&] { l.Insert(3, &a); }, 3);
  ExpectIndexError([&] { l.SetItems(5, &a); }, 5);
  l.Insert(2, &a);  // inserting at Count appends
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.IndexOf(&b), 1);
  EXPECT_EQ(l.IndexOf(nullptr), -1);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 0);
}

TEST(TList, NotifiesAddsDeletesAndExtractions) {
  int a, b, c;
  RecordingList l;
  l.Add(&a);
  l.Add(nullptr);  // nil entries are not announced
  l.Insert(0, &b);
  l.SetItems(2, &c);  // replaces the nil: only an add
  l.SetItems(0, &a);  // replaces b: b deleted, a added
  EXPECT_EQ(l.Extract(&c), &c);
  EXPECT_EQ(l.Extract(&c), nullptr);
  EXPECT_EQ(l.Remove(&a), 0);
  l.Clear();
  using P = std::pair<void*, TListNotification>;
  std::vector<P> want = {{&a, lnAdded}, {&b, lnAdded},     {&c, lnAdded},   {&b, lnDeleted},
                         {&a, lnAdded}, {&c, lnExtracted}, {&a, lnDeleted}, {&a, lnDeleted}};
  EXPECT_EQ(l.log, want);
  std::vector<int32_t> caps;
  for (int i = 0; i < 100; ++i) {
    l.Add(nullptr);
    if (caps.empty() || caps.back() != l.Capacity()) caps.push_back(l.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
}

TEST(TStringList, IndexErrorsAndObjects) {
  TStringList l;
  TObject o1, o2;
  l.AddObject(u"one", &o1);
  l.Add(u"two");
  l.InsertObject(1, u"half", &o2);
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Strings(1), u"half");
  EXPECT_EQ(l.Objects(0), &o1);
  EXPECT_EQ(l.Objects(2), nullptr);
  EXPECT_EQ(l.IndexOfObject(&o2), 1);
  l.SetObjects(2, IntToObject(0x0419));
  EXPECT_EQ(ObjectToInt(l.Objects(2)), 0x0419);
  ExpectIndexError([&] { l.Strings(3); }, 3);
  ExpectIndexError([&] { l.Objects(-1); }, -1);
  ExpectIndexError([&] { l.Delete(3); }, 3);
  ExpectIndexError([&] { l.SetStrings(7, u"x"); }, 7);
  ExpectIndexError([&] { l.InsertObject(4, u"x", nullptr); }, 4);

  TStringList copy;
  copy.Add(u"old");
  copy.Assign(l);
  EXPECT_TRUE(copy.Equals(l));
  EXPECT_EQ(copy.Objects(0), &o1);  // Assign copies the object slots, not the objects
}

TEST(TStringList, IndexOfIgnoresCaseWithTheLocale) {
  TStringList l{u"Alpha", u"ÉCOLE", u"Жук", u"beta"};
  const std::pair<const char16_t*, int32_t> cases[] = {
      {u"ALPHA", 0}, {u"école", 1}, {u"жук", 2}, {u"ecole", -1}, {u"gamma", -1}, {u"", -1}};
  for (const auto& [s, i] : cases) EXPECT_EQ(l.IndexOf(s), i) << UTF8Encode(s);
}

TEST(TStringList, TextSplitsAtEveryLineBreakKind) {
  TStringList l;
  l.SetText(u"a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(l.Count(), 6);
  EXPECT_EQ(l.Strings(4), u"");
  EXPECT_EQ(l.Text(), u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  l.SetText(u"x\r\n");
  EXPECT_EQ(l.Count(), 1);
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), u"");
}

TEST(TStringList, CommaTextReadsBlanksCommasAndQuotesAndRoundTrips) {
  const std::pair<const char16_t*, std::vector<std::u16string>> cases[] = {
      {u"a,b c", {u"a", u"b", u"c"}}, {u"\"a b\",\"c,d\"", {u"a b", u"c,d"}},
      {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}}, {u"a,,b", {u"a", u"", u"b"}}, {u"a,", {u"a", u""}},
      {u"  a  ,  b  ", {u"a", u"b"}}, {u"\"a\"b", {u"a", u"b"}}, {u"\"a\"\"b\"", {u"a\"b"}},
      {u"\"x\"y,z", {u"x", u"y", u"z"}},  // text after a closing quote is the next item
      {u"a\"b", {u"a\"b"}},               // a quote inside an item is plain text
      {u"a, ", {u"a"}},                    // the comma is not the last character
      {u",", {u"", u""}}, {u"\"\",x", {u"", u"x"}}, {u"\"open", {u"open"}}, {u"", {}},
  };
  for (const auto& [text, items] : cases) {
    TStringList l;
    l.SetCommaText(text);
    EXPECT_EQ(std::vector<std::u16string>(l.begin(), l.end()), items) << UTF8Encode(text);
  }
  TStringList l{u"plain", u"with blank", u"com,ma", u"\"quoted\"", u"", u"tab\there", u"ж"};
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_TRUE(back.Equals(l)) << UTF8Encode(l.CommaText());
  EXPECT_EQ(l.CommaText(), u"plain,\"with blank\",\"com,ma\",\"\"\"quoted\"\"\",,\"tab\there\",ж");
}

TEST(TStringList, NamesAndValuesAndOnChange) {
  TStringList l{u"Key=1", u"other=two=2", u"noequals"};
  EXPECT_EQ(l.Values(u"KEY"), u"1");
  EXPECT_EQ(l.Values(u"other"), u"two=2");
  EXPECT_EQ(l.Names(2), u"");
  l.SetValues(u"new", u"v");
  EXPECT_EQ(l.Strings(3), u"new=v");
  l.SetValues(u"key", u"");
  EXPECT_EQ(l.IndexOfName(u"Key"), -1);
  TStringList w;
  int changes = 0;
  TObject* sender = nullptr;
  w.SetOnChange([&](TObject* s) {
    ++changes;
    sender = s;
  });
  w.Add(u"b");
  w.Add(u"A");
  w.Sort();
  EXPECT_EQ(w.Strings(0), u"A");
  w.Delete(0);
  w.Clear();
  w.Clear();  // nothing to clear: no change
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(sender, &w);
}

std::u16string Texts(const TTreeNodes& nodes) {
  std::u16string s;
  for (int32_t i = 0; i < nodes.TopCount(); ++i) {
    const TTreeNode* n = nodes.Top(i);
    s += n->Text();
    if (n->HasChildren()) {
      s += u"(";
      for (int32_t k = 0; k < n->Count(); ++k) s += n->Item(k)->Text();
      s += u")";
    }
    s += u" ";
  }
  return s;
}

TEST(TTreeView, KeepsInsertionOrderUntilSortedByText) {
  TTreeView t;
  TTreeNode* c = t.Items().AddObject(u"c", nullptr);
  t.Items().AddObject(u"A", nullptr);
  t.Items().AddChildObject(c, u"z", nullptr);
  t.Items().AddChildObject(c, u"y", reinterpret_cast<void*>(7));
  EXPECT_EQ(Texts(t.Items()), u"c(zy) A ");
  EXPECT_EQ(t.Items().Count(), 4);
  t.SetSortType(stText);  // every level, case ignored
  EXPECT_EQ(Texts(t.Items()), u"A c(yz) ");
  EXPECT_EQ(c->GetFirstChild()->Data(), reinterpret_cast<void*>(7));
  t.Items().AddObject(u"b", nullptr);  // lands in place
  EXPECT_EQ(Texts(t.Items()), u"A b c(yz) ");
  c->SetText(u"0");  // moves to its new place
  EXPECT_EQ(Texts(t.Items()), u"0(yz) A b ");
  c->DeleteChildren();
  EXPECT_FALSE(c->HasChildren());
  EXPECT_EQ(c->GetFirstChild(), nullptr);
  EXPECT_EQ(c->Item(0), nullptr);
  t.Items().Clear();
  EXPECT_EQ(t.Items().GetFirstNode(), nullptr);
}

static_assert(std::ranges::random_access_range<const TStringList>);
static_assert(std::random_access_iterator<TStrings::const_iterator>);

TEST(TStringsRange, WalksTheStringsAsTheListHoldsThem) {
  using Seen = std::vector<UnicodeString>;
  TStringList list{u"b", u"a", u"c"};
  EXPECT_EQ(Seen(list.begin(), list.end()), (Seen{u"b", u"a", u"c"}));
  list.Sort();
  EXPECT_EQ(Seen(list.begin(), list.end()), (Seen{u"a", u"b", u"c"}));
  const TStringList none;
  EXPECT_TRUE(none.begin() == none.end());
  EXPECT_EQ(*(list.end() - 1), u"c");
  EXPECT_EQ(list.begin()[1], u"b");

  // A string set during the loop shows at its index; a delete makes the next
  // step raise instead of reading past the end.
  Seen seen;
  for (const auto& s : list) {
    seen.push_back(s);
    if (seen.size() == 1) list.SetStrings(1, u"B");
  }
  EXPECT_EQ(seen, (Seen{u"a", u"B", u"c"}));
  EXPECT_THROW(for (const auto& s : list) if (s == u"a") list.Delete(0), EListError);
}

namespace fs = std::filesystem;

// The byte-named file routines take a fs::path as they are (it
// converts to its native std::string); an added path overload would make
// these calls ambiguous or take them over.
static_assert(std::is_constructible_v<TFileStream, fs::path, uint16_t>);
static_assert(requires(TMemoryStream m, const fs::path& p, const TResourceModule& r) {
  m.LoadFromFile(p);
  m.SaveToFile(p);
  LoadStringTable(r, p);
  m.LoadFromFile("name");
});

TEST(TMemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream m;
  EXPECT_EQ(m.Size(), 0);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 4), 0);  // empty stream
  EXPECT_EQ(m.Write("hello", 5), 5);
  EXPECT_EQ(m.Position(), 5);
  m.SetPosition(1);
  EXPECT_EQ(m.Read(buf, -3), 0);  // before the end, where a negative count could copy
  EXPECT_EQ(m.Read(buf, 8), 4);  // short read at the end
  EXPECT_EQ(std::string(buf, 4), "ello");
  // A write beyond the end fills the gap with zeros.
  m.Seek(3, soEnd);
  m.Write("!", 1);
  EXPECT_EQ(m.Size(), 9);
  EXPECT_EQ(std::memcmp(m.Memory(), "hello\0\0\0!", 9), 0);
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(m.Seek(0, soEnd), 2);
  m.SetPosition(100);  // a read past the end gives nothing, and no error
  EXPECT_EQ(m.Read(buf, 1), 0);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
  // ReadBuffer and WriteBuffer demand every byte.
  m.WriteBuffer("abc", 3);
  m.SetPosition(1);
  EXPECT_EQ(test::MessageOf<EReadError>([&] { m.ReadBuffer(buf, 3); }), u"Stream read error");
  m.ReadBuffer(buf, 0);  // nothing asked, nothing missing
}

// Room handed to an in-place producer is scratch until committed: whatever
// the producer left there must not show through a later size or gap, which
// the stream promises to be zeros.
TEST(TMemoryStream, ReservedRoomCountsOnlyWhenCommitted) {
  using namespace std::literals;
  const struct {
    const char* Name;
    int64_t Start;          // position when the room is taken; the stream holds "abcd"
    int64_t Commit;         // bytes committed of the 8 written
    std::string_view Want;  // the content afterwards; the position is after the commit
  } cases[] = {
      {"append", 4, 3, "abcdxyz"sv},
      {"append nothing", 4, 0, "abcd"sv},
      {"inside, growing past the end", 2, 5, "abxyzuv"sv},
      {"inside, within the data", 1, 2, "axyd"sv},
      {"past the end: the gap is zeros", 6, 2, "abcd\0\0xy"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream m;
    m.Write("abcd", 4);
    m.SetPosition(c.Start);
    uint8_t* p = m.ReserveWrite(64);
    ASSERT_EQ(p, m.Memory() + c.Start);
    EXPECT_EQ(m.Size(), 4);  // reserving changes neither size nor position
    EXPECT_EQ(m.Position(), c.Start);
    if (c.Start >= 4) std::memset(p, '#', 64);  // scratch past the end
    // Before the end only what is committed may be written.
    std::memcpy(p, "xyzuvwst", static_cast<size_t>(c.Start >= 4 ? 8 : c.Commit));
    m.CommitWrite(c.Commit);
    EXPECT_EQ(m.Position(), c.Start + c.Commit);
    const int64_t size = m.Size();
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(m.Memory()), size), c.Want);
    // Growing afterwards shows zeros, not the scratch left in the room.
    m.SetSize(size + 16);
    for (int64_t i = size; i < size + 16; ++i) EXPECT_EQ(m.Memory()[i], 0) << i;
    m.SetSize(size);
    m.SetPosition(size);
    std::memset(m.ReserveWrite(32), '#', 32);
    m.Seek(5, soEnd);
    m.Write("!", 1);
    for (int64_t i = size; i < size + 5; ++i) EXPECT_EQ(m.Memory()[i], 0) << i;
  }
}

TEST(FileStreams, RoundTripSeekResizeAndRaise) {
  test::ScratchDir dir;
  std::string data(300000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  TMemoryStream out;
  out.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  out.SaveToFile(dir / "a.bin");
  TMemoryStream in;
  in.Write("junk", 4);
  in.LoadFromFile(dir / "a.bin");
  ASSERT_EQ(in.Size(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(in.Position(), 0);
  EXPECT_EQ(std::memcmp(in.Memory(), data.data(), data.size()), 0);

  // SaveToFile replaces a longer file completely.
  TMemoryStream small;
  small.Write("xy", 2);
  small.SaveToFile(dir / "a.bin");
  EXPECT_EQ(fs::file_size(dir / "a.bin"), 2u);

  TMemoryStream().SaveToFile(dir / "empty.bin");
  in.LoadFromFile(dir / "empty.bin");
  EXPECT_EQ(in.Size(), 0);

  const auto missing = test::MessageOf<EFOpenError>([&] { in.LoadFromFile(dir / "missing.bin"); });
  EXPECT_NE(missing.find(u"missing.bin"), UnicodeString::npos);
  EXPECT_THROW(in.LoadFromFile(dir / ""), EFOpenError);  // a directory
  EXPECT_THROW(small.SaveToFile(dir / "no/such/dir.bin"), EFCreateError);
  {
    TFileStream f(dir / "f.bin", fmCreate);
    f.WriteBuffer("0123456789", 10);
    f.SetPosition(4);
    char c;
    f.ReadBuffer(&c, 1);
    EXPECT_EQ(c, '4');
    EXPECT_EQ(f.Position(), 5);
    f.SetSize(6);  // the read below finds six bytes
  }
  TFileStream r(dir / "f.bin", fmOpenRead);
  char buf[16];
  EXPECT_EQ(r.Read(buf, 16), 6);
  EXPECT_EQ(std::string(buf, 6), "012345");
  EXPECT_EQ(r.Write("x", 1), 0);  // opened for reading only
  TMemoryStream m;
  r.SetPosition(2);
  EXPECT_EQ(m.CopyFrom(r, 3), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 3), "234");
  EXPECT_THROW(m.CopyFrom(r, 5), EReadError);
  EXPECT_EQ(m.CopyFrom(r, 0), 6);  // 0: the whole source from its start
  EXPECT_EQ(m.CopyFrom(r, -1), 6);
}

// TReplaceFileStream, with unnamed and with named temporary files.
using test::Slurp;

void Spit(const fs::path& p, const std::string& data, unsigned mode = 0644) {
  test::Spit(p, data);
  ::chmod(p.c_str(), mode);
}

// Every entry of a folder: its kind, its permission bits and, for a regular
// file, its bytes; a link by where it points.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> all;
  for (auto& e : fs::directory_iterator(dir)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    std::string& v = all[e.path().filename().string()];
    v = std::to_string(st.st_mode) + ":";
    if (S_ISLNK(st.st_mode)) v += fs::read_symlink(e.path()).string();
    if (S_ISREG(st.st_mode)) v += Slurp(e.path());
  }
  return all;
}

class ReplaceFile : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ::chmod(Dir.c_str(), 0755);  // the unprivileged run below must reach it
    if (Named()) ::setenv("DZ_NO_TMPFILE", "1", 1);
  }
  void TearDown() override { ::unsetenv("DZ_NO_TMPFILE"); }
  bool Named() const { return GetParam(); }
  std::string P(const std::string& name) const { return name[0] == '/' ? name : Scratch / name; }

  test::ScratchDir Scratch{"dz-replace"};
  const fs::path& Dir = Scratch.Path;
};

const std::string kNew = "new data\n";

TEST_P(ReplaceFile, CommitPutsTheDataWhereTheTargetLeads) {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  struct Case {
    const char* Name;
    std::function<void(const fs::path&)> Setup;
    std::string Open;     // the name given
    std::string Changed;  // the entry of Dir that then holds kNew ("" for none)
    bool Replaces, InPlace;
  } cases[] = {
      {"new file", [](const fs::path&) {}, "out", "out", false, false},
      {"existing 0640 file keeps its mode", [](const fs::path& d) { Spit(d / "out", "old", 0640); },
       "out", "out", true, false},
      {"symbolic link", [](const fs::path& d) {
         Spit(d / "real", "old", 0600);
         fs::create_symlink("real", d / "link");
       }, "link", "real", true, false},
      {"chain of links ending nowhere", [](const fs::path& d) {
         fs::create_symlink("made", d / "link1");
         fs::create_symlink(d / "link1", d / "link2");
       }, "link2", "made", false, false},
      {"device", [](const fs::path&) {}, "/dev/null", "", false, true},
      {"FIFO", [](const fs::path& d) { ::mkfifo((d / "fifo").c_str(), 0600); }, "fifo", "", false,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(Dir);
    fs::create_directory(Dir);
    c.Setup(Dir);
    auto expected = Snapshot(Dir);
    std::string fromFifo;
    std::thread reader;
    if (c.Open == "fifo") reader = std::thread([&] { fromFifo = Slurp(Dir / "fifo"); });
    {
      TReplaceFileStream out(P(c.Open));
      EXPECT_EQ(out.Replaces(), c.Replaces);
      EXPECT_EQ(out.InPlace(), c.InPlace);
      EXPECT_EQ(!out.TemporaryName().empty(), Named() && !c.InPlace);
      out.WriteBuffer(kNew.data(), static_cast<int32_t>(kNew.size()));
      if (!c.InPlace) {
        EXPECT_EQ(Snapshot(Dir).size(), expected.size() + (Named() ? 1 : 0));
      }
      out.Commit();
      out.Commit();  // a second one does nothing
    }
    if (reader.joinable()) reader.join();
    if (!c.Changed.empty()) {
      const std::string old = expected.count(c.Changed) ? expected[c.Changed] : "";
      const mode_t mode = old.empty() ? (S_IFREG | (0666 & ~mask)) : std::stoul(old);
      expected[c.Changed] = std::to_string(mode) + ":" + kNew;
    }
    EXPECT_EQ(Snapshot(Dir), expected);
    if (c.Open == "fifo") {
      EXPECT_EQ(fromFifo, kNew);
    }
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// Runs fn where a read-only folder is read-only: as root, in a child that
// has dropped to nobody. Returns the message fn raised, or "".
std::string Raised(const std::function<void()>& fn, bool unprivileged) {
  if (!unprivileged || ::geteuid() != 0) {
    try {
      fn();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string msg = "could not drop privileges";
    if (::setgid(65534) == 0 && ::setuid(65534) == 0) msg = Raised(fn, false);
    (void)!::write(fds[1], msg.data(), msg.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  const std::string msg = Slurp("/dev/fd/" + std::to_string(fds[0]));  // to the child's exit
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return msg;
}

TEST_P(ReplaceFile, AFailureLeavesTheFolderAsItWas) {
  struct Case {
    const char* Name;
    std::string Open;
    std::function<void(TReplaceFileStream&)> Work;  // what happens before Commit
    std::string Error;                              // the end of the message
    bool Unprivileged = false;
  } cases[] = {
      {"directory", "sub", nullptr, "Cannot create file \"" + P("sub") + "\". Is a directory"},
      {"read-only folder", "ro/out", nullptr,
       "Cannot create file \"" + P("ro/out") + "\". Permission denied", true},
      {"exception half way", "out",
       [](TReplaceFileStream& s) {
         s.WriteBuffer("partial", 7);
         throw EConvertError(u"cancelled");
       },
       "cancelled"},
      {"file size limit", "out",
       [](TReplaceFileStream& s) {
         rlimit old{};
         ::getrlimit(RLIMIT_FSIZE, &old);
         const rlimit small{4096, old.rlim_max};
         auto sig = std::signal(SIGXFSZ, SIG_IGN);
         ::setrlimit(RLIMIT_FSIZE, &small);
         const std::shared_ptr<void> restore(nullptr, [&](void*) {
           ::setrlimit(RLIMIT_FSIZE, &old);
           std::signal(SIGXFSZ, sig);
         });
         const std::string block(1 << 16, 'x');
         s.WriteBuffer(block.data(), static_cast<int32_t>(block.size()));
       },
       "Cannot write file \"" + P("out") + "\". File too large"},
      {"full device", "/dev/full",
       [](TReplaceFileStream& s) { s.WriteBuffer(kNew.data(), static_cast<int32_t>(kNew.size())); },
       "Cannot write file \"/dev/full\". No space left on device"},
  };
  fs::create_directory(Dir / "sub");
  fs::create_directory(Dir / "ro");
  ::chmod((Dir / "ro").c_str(), 0555);
  Spit(Dir / "out", "precious", 0640);
  const auto before = Snapshot(Dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string msg = Raised(
        [&] {
          TReplaceFileStream out(P(c.Open));
          if (c.Work) c.Work(out);
          out.Commit();
        },
        c.Unprivileged);
    EXPECT_EQ(msg, c.Error);
    EXPECT_EQ(Snapshot(Dir), before);
    EXPECT_TRUE(fs::is_empty(Dir / "ro"));
  }
}

INSTANTIATE_TEST_SUITE_P(Temporary, ReplaceFile, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Named" : "Unnamed"; });

}  // namespace
}  // namespace dz

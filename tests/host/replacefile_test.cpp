// TReplaceFileStream: what each kind of target becomes after a commit, and
// that a failure leaves the folder exactly as it was, with unnamed and with
// named temporary files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "deziva27/host/Host.h"
#include "support/Files.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

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
  std::string msg;
  char buf[256];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) msg.append(buf, static_cast<size_t>(n));
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
         const std::string block(1 << 16, 'x');
         rlimit old{}, small{};
         ::getrlimit(RLIMIT_FSIZE, &old);
         small = old;
         small.rlim_cur = 4096;
         auto sig = std::signal(SIGXFSZ, SIG_IGN);
         ::setrlimit(RLIMIT_FSIZE, &small);
         struct Restore {
           rlimit R;
           void (*S)(int);
           ~Restore() {
             ::setrlimit(RLIMIT_FSIZE, &R);
             std::signal(SIGXFSZ, S);
           }
         } restore{old, sig};
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

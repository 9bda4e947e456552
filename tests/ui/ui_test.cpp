// The UI services: the terminal backend over a pseudo-terminal, the case
// with no terminal, an application backend installed with one call, and the
// information window as the X server sees it (when a display is there).
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "deziva27/utils/YUtils.h"

namespace dz {
namespace {

// Runs Ask or AskNo in a child whose controlling terminal is a new pty,
// types Answer into it and returns the child's result.
int AskOnPty(bool defaultNo, const std::string& answer) {
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    SetUiBackend(CreateTerminalBackend());
    _exit(defaultNo ? AskNo(u"Go on?") : Ask(u"Go on?"));
  }
  char buf[256];
  std::string seen;
  while (seen.find("] ") == std::string::npos) {
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, static_cast<size_t>(n));
  }
  if (answer == "EOF") {
    char eof = 4;  // ^D at the start of a line
    (void)!write(master, &eof, 1);
  } else {
    (void)!write(master, answer.data(), answer.size());
  }
  // Keep reading so the child never blocks on a full pty.
  while (read(master, buf, sizeof buf) > 0) {
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TerminalBackend, AnswersTypedOnTheTerminal) {
  struct Case {
    bool defaultNo;
    const char* typed;
    int expected;
  } cases[] = {
      {false, "y\n", IDYES},   {false, "n\n", IDNO},  {false, "\n", IDYES},
      {true, "\n", IDNO},      {true, "YES\n", IDYES}, {false, "maybe\nno\n", IDNO},
      {false, "EOF", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AskOnPty(c.defaultNo, c.typed), c.expected) << c.typed << " default-no " << c.defaultNo;
}

TEST(TerminalBackend, WithoutATerminalTheBoxReturnsZero) {
  pid_t pid = fork();
  if (pid == 0) {
    setsid();  // no controlling terminal any more
    SetUiBackend(CreateTerminalBackend());
    _exit(Ask(u"Anyone there?"));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(CreateTerminalBackend("/nonexistent/tty")->MessageBox(u"q", u"", MB_YESNO), 0);
}

// Records what the library asks of it; its windows record their last state.
struct Recorder : TUiBackend {
  struct Window : TUiWindow {
    Recorder* Owner;
    explicit Window(Recorder* o) : Owner(o) { ++Owner->Open; }
    ~Window() override { --Owner->Open; }
    void Update(const TUiWindowState& s) override { Owner->Last = s; }
    void Show() override { Owner->Shown = true; }
    void Hide() override { Owner->Shown = false; }
    void Paint() override { ++Owner->Paints; }
  };
  std::string Name() const override { return "recorder"; }
  int32_t MessageBox(const std::u16string& t, const std::u16string& c, int32_t f) override {
    Text = t, Caption = c, Flags = f;
    return Reply;
  }
  void ProcessMessages() override {}
  int32_t TextWidth(const std::u16string& t) override { return static_cast<int32_t>(t.size()) * 7; }
  void ScreenSize(int32_t& w, int32_t& h) override { w = 1000, h = 700; }
  std::unique_ptr<TUiWindow> CreateWindow() override { return std::make_unique<Window>(this); }
  std::u16string Text, Caption;
  int32_t Flags = -1, Reply = IDNO, Open = 0, Paints = 0;
  bool Shown = false;
  TUiWindowState Last;
};

TEST(CustomBackend, AskAndAskNoPassTheirFlags) {
  auto rec = std::make_shared<Recorder>();
  SetUiBackend(rec);
  rec->Reply = IDYES;
  EXPECT_EQ(Ask(u"Save?"), IDYES);
  EXPECT_EQ(rec->Flags, 36);
  EXPECT_EQ(rec->Text, u"Save?");
  EXPECT_EQ(rec->Caption, u"");
  rec->Reply = IDNO;
  EXPECT_EQ(AskNo(u"Delete?"), IDNO);
  EXPECT_EQ(rec->Flags, 292);
  SetUiBackend(nullptr);
}

TEST(CustomBackend, InformationWindowLifecycle) {
  auto rec = std::make_shared<Recorder>();
  SetUiBackend(rec);
  HideInfo();  // nothing to hide
  EXPECT_FALSE(InfoIsShowing());
  ShowInfo(u"abcdefghij");  // 70 px of text
  ASSERT_TRUE(InfoIsShowing());
  EXPECT_TRUE(rec->Shown);
  EXPECT_GE(rec->Paints, 1);
  EXPECT_EQ(rec->Last.Width, 80);
  EXPECT_EQ(rec->Last.Height, 50);
  EXPECT_EQ(rec->Last.Left, (1000 - 80) / 2);
  EXPECT_EQ(rec->Last.Top, (700 - 50) / 2);
  EXPECT_TRUE(rec->Last.StayOnTop && rec->Last.Borderless && !rec->Last.BorderIcons);
  ASSERT_EQ(rec->Last.Panels.size(), 1u);
  EXPECT_EQ(rec->Last.Panels[0].Width, 80);
  EXPECT_EQ(rec->Last.Panels[0].Caption, u"abcdefghij");

  UpdateInfo(u"abc");
  EXPECT_EQ(rec->Last.Width, 31);
  EXPECT_EQ(rec->Last.Left, (1000 - 31) / 2);  // still centred
  EXPECT_EQ(rec->Last.Panels[0].Caption, u"abc");
  EXPECT_EQ(rec->Last.Panels[0].Width, 31);

  ShowInfo(u"x");  // replaces, never adds a second window
  EXPECT_EQ(rec->Open, 1);
  HideInfo();
  EXPECT_FALSE(InfoIsShowing());
  EXPECT_EQ(rec->Open, 0);

  UpdateInfo(u"opened by update");
  EXPECT_TRUE(InfoIsShowing());
  EXPECT_EQ(rec->Last.Panels[0].Caption, u"opened by update");
  HideInfo();
  SetUiBackend(nullptr);
}

TEST(CustomBackend, UpdateInfoRefusesAFirstComponentThatIsNotAPanel) {
  auto rec = std::make_shared<Recorder>();
  SetUiBackend(rec);
  ShowInfo(u"t");
  TComponent* panel = InfoWindow()->Components(0);
  // Put a plain component first by rebuilding the form's owned list.
  auto* intruder = new TComponent(InfoWindow());
  (void)intruder;
  delete panel;
  EXPECT_THROW(UpdateInfo(u"u"), EInvalidCast);
  HideInfo();
  SetUiBackend(nullptr);
}

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  return out;
}

TEST(GtkWindow, InformationWindowAsTheXServerSeesIt) {
  if (!std::getenv("DISPLAY") || system("command -v xwininfo xprop >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs a display (run under xvfb-run) and xwininfo/xprop";
  std::string why;
  auto gtk = LoadGtkBackend(&why);
  if (!gtk) GTEST_SKIP() << "GTK backend unavailable: " << why;
  SetUiBackend(gtk);
  const std::u16string text = u"Reading the index, please wait";
  int32_t sw = 0, sh = 0;
  gtk->ScreenSize(sw, sh);
  int32_t width = gtk->TextWidth(text) + 10;
  EXPECT_GT(width, 10 + 8 * 10);  // measured, not one cell per character
  ShowInfo(text);
  std::string ids = Shell("xdotool search --onlyvisible --classname test_ui 2>/dev/null");
  std::string found;
  for (size_t at = 0; at < ids.size();) {
    size_t end = ids.find('\n', at);
    std::string id = ids.substr(at, end - at);
    at = end == std::string::npos ? ids.size() : end + 1;
    std::string info = Shell("xwininfo -id " + id);
    if (info.find("Height: 50\n") != std::string::npos) found = id;
  }
  ASSERT_FALSE(found.empty()) << "no 50-pixel-high window among: " << ids;
  std::string info = Shell("xwininfo -id " + found);
  EXPECT_NE(info.find("Width: " + std::to_string(width) + "\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Absolute upper-left X:  " + std::to_string((sw - width) / 2) + "\n"),
            std::string::npos) << info;
  EXPECT_NE(info.find("Absolute upper-left Y:  " + std::to_string((sh - 50) / 2) + "\n"),
            std::string::npos) << info;
  std::string props = Shell("xprop -id " + found + " _NET_WM_STATE _MOTIF_WM_HINTS");
  EXPECT_NE(props.find("_NET_WM_STATE_ABOVE"), std::string::npos) << props;
  // flags, functions, decorations: decorations 0 is no frame at all.
  EXPECT_NE(props.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x21, 0x0"), std::string::npos) << props;
  HideInfo();
  SetUiBackend(nullptr);
}

// The box is modal and GTK is not for threads, so the answer comes from
// xdotool started beside it; it waits for the box to be visible.
TEST(GtkWindow, AskAnsweredByKeysAndClicks) {
  if (!std::getenv("DISPLAY") || system("command -v xdotool >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs a display (run under xvfb-run) and xdotool";
  std::string why;
  auto gtk = LoadGtkBackend(&why);
  if (!gtk) GTEST_SKIP() << "GTK backend unavailable: " << why;
  SetUiBackend(gtk);
  const std::string find =
      "xdotool search --sync --onlyvisible --classname test_ui windowfocus --sync ";
  struct Case {
    bool defaultNo;
    std::string input;  // what xdotool does once the box is up
    int expected;
  } cases[] = {
      {false, "key Return", IDYES},
      {true, "key Return", IDNO},  // the default button by Enter alone
      {false, "key alt+n", IDNO},
      {true, "key alt+y", IDYES},
      {true, "mousemove --window %1 80 95 click 1", IDYES},
      {false, "mousemove --window %1 240 95 click 1", IDNO},
  };
  for (const Case& c : cases) {
    std::string cmd = "(sleep 0.3; " + find + c.input + ") >/dev/null 2>&1 &";
    ASSERT_EQ(system(cmd.c_str()), 0);
    const std::u16string q = u"Overwrite the existing file?";
    EXPECT_EQ(c.defaultNo ? AskNo(q) : Ask(q), c.expected) << c.input;
  }
  SetUiBackend(nullptr);
}

}  // namespace
}  // namespace dz

// The UI services: the terminal backend over a pseudo-terminal, the case
// with no terminal, an application backend installed with one call, and the
// information window as the X server sees it (when a display is there).
#include <dlfcn.h>
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

class CustomBackend : public ::testing::Test {
 protected:
  void SetUp() override { SetUiBackend(rec); }
  void TearDown() override {
    HideInfo();
    SetUiBackend(nullptr);
  }
  std::shared_ptr<Recorder> rec = std::make_shared<Recorder>();
};

TEST_F(CustomBackend, AskAndAskNoPassTheirFlags) {
  rec->Reply = IDYES;
  EXPECT_EQ(Ask(u"Save?"), IDYES);
  EXPECT_EQ(rec->Flags, 36);
  EXPECT_EQ(rec->Text, u"Save?");
  EXPECT_EQ(rec->Caption, u"");
  rec->Reply = IDNO;
  EXPECT_EQ(AskNo(u"Delete?"), IDNO);
  EXPECT_EQ(rec->Flags, 292);
}

TEST_F(CustomBackend, InformationWindowLifecycle) {
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
}

TEST_F(CustomBackend, UpdateInfoRefusesAFirstComponentThatIsNotAPanel) {
  ShowInfo(u"t");
  TComponent* panel = InfoWindow()->Components(0);
  // Put a plain component first by rebuilding the form's owned list.
  auto* intruder = new TComponent(InfoWindow());
  (void)intruder;
  delete panel;
  EXPECT_THROW(UpdateInfo(u"u"), EInvalidCast);
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

// What the GTK plug-in tells a test of a box it shows.
struct BoxButton {
  const char* Label;
  int X, Y;
};
using BoxShown = void (*)(void* Context, const BoxButton* Buttons, int Count);
using TestHook = void (*)(BoxShown OnShown, void* Context, unsigned LimitMs);

struct BoxAnswer {
  std::string Keys;   // keys for xdotool to press, or
  std::string Click;  // the label of the button to click
  std::string Seen;   // the buttons the box reported
};

// Runs on GTK's loop while the box is up, so xdotool goes to the background.
void AnswerBox(void* context, const BoxButton* buttons, int count) {
  auto* a = static_cast<BoxAnswer*>(context);
  std::string cmd;
  for (int i = 0; i < count; ++i) {
    a->Seen += std::string(i ? " " : "") + buttons[i].Label;
    if (a->Click == buttons[i].Label)
      cmd = "mousemove " + std::to_string(buttons[i].X) + " " + std::to_string(buttons[i].Y) +
            " click 1";
  }
  if (!a->Keys.empty())
    cmd = "search --sync --onlyvisible --classname test_ui windowfocus --sync key " + a->Keys;
  if (!cmd.empty()) (void)!system(("xdotool " + cmd + " >/dev/null 2>&1 &").c_str());
}

// The box is modal and GTK is not for threads: the plug-in's test hook says
// where the buttons are once the box is drawn, and answers 0 for a box left
// unanswered, so that a missed click fails the case instead of hanging.
TEST(GtkWindow, AskAnsweredByKeysAndClicks) {
  if (!std::getenv("DISPLAY") || system("command -v xdotool >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs a display (run under xvfb-run) and xdotool";
  const char* plugin = std::getenv("DZ_GTK_PLUGIN");
  if (!plugin || !*plugin) GTEST_SKIP() << "DZ_GTK_PLUGIN does not name the GTK plug-in";
  std::string why;
  auto gtk = LoadGtkBackend(&why);
  if (!gtk) GTEST_SKIP() << "GTK backend unavailable: " << why;
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr) << plugin;
  auto hook = reinterpret_cast<TestHook>(dlsym(handle, "dz_gtk_test_hook"));
  dlclose(handle);  // LoadGtkBackend keeps its own reference
  ASSERT_NE(hook, nullptr);
  SetUiBackend(gtk);
  struct Case {
    bool defaultNo;
    BoxAnswer Answer;
    int expected;
  } cases[] = {
      {false, {"Return", "", ""}, IDYES},
      {true, {"Return", "", ""}, IDNO},  // the default button by Enter alone
      {false, {"alt+n", "", ""}, IDNO},
      {true, {"alt+y", "", ""}, IDYES},
      {true, {"", "_Yes", ""}, IDYES},
      {false, {"", "_No", ""}, IDNO},
      {false, {"", "", ""}, 0},  // nobody answers: the limit ends the box
  };
  for (Case& c : cases) {
    // Ten seconds for xdotool on a loaded machine; one when nobody answers.
    hook(&AnswerBox, &c.Answer, c.expected ? 10000 : 1000);
    const std::u16string q = u"Overwrite the existing file?";
    const int32_t got = c.defaultNo ? AskNo(q) : Ask(q);
    EXPECT_EQ(got, c.expected) << c.Answer.Keys << c.Answer.Click;
    EXPECT_EQ(c.Answer.Seen, "_Yes _No");
  }
  hook(nullptr, nullptr, 0);
  SetUiBackend(nullptr);
}

}  // namespace
}  // namespace dz

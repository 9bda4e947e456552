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
#include <tuple>

#include "deziva27/utils/YUtils.h"

namespace dz {
namespace {

// Runs Ask or AskNo in a child whose controlling terminal is a new pty,
// types the answer into it and returns the child's result.
int AskOnPty(bool defaultNo, const char* typed) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    SetUiBackend(CreateTerminalBackend());
    _exit(defaultNo ? AskNo(u"Go on?") : Ask(u"Go on?"));
  }
  char buf[256];
  std::string seen;
  ssize_t n = 0;
  while (seen.find("] ") == std::string::npos && (n = read(master, buf, sizeof buf)) > 0)
    seen.append(buf, static_cast<size_t>(n));
  const std::string answer = std::string(typed) == "EOF" ? "\x04" : typed;  // ^D
  (void)!write(master, answer.data(), answer.size());
  while (read(master, buf, sizeof buf) > 0) {  // so the child never blocks on a full pty
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TerminalBackend, AnswersTypedOnTheTerminal) {
  const std::tuple<bool, const char*, int> cases[] = {  // default no, typed, answer
      {false, "y\n", IDYES}, {false, "n\n", IDNO},    {false, "\n", IDYES},
      {true, "\n", IDNO},    {true, "YES\n", IDYES},  {false, "maybe\nno\n", IDNO},
      {false, "EOF", 0},
  };
  for (const auto& [defaultNo, typed, expected] : cases)
    EXPECT_EQ(AskOnPty(defaultNo, typed), expected) << typed << ", default no: " << defaultNo;
  // No terminal to open (a program detached from its own): the box returns 0.
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
  // The last window's place and size, and its one panel's width and text.
  using Seen = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, std::u16string>;
  Seen Geometry() const {
    const TUiPanelState& p = Last.Panels.at(0);
    return {Last.Left, Last.Top, Last.Width, Last.Height, p.Width, p.Caption};
  }
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

TEST_F(CustomBackend, AskBoxesAndTheInformationWindowLifecycle) {
  rec->Reply = IDYES;
  EXPECT_EQ(Ask(u"Save?"), IDYES);
  EXPECT_EQ(rec->Flags, 36);
  EXPECT_EQ(rec->Text, u"Save?");
  EXPECT_EQ(rec->Caption, u"");
  rec->Reply = IDNO;
  EXPECT_EQ(AskNo(u"Delete?"), IDNO);
  EXPECT_EQ(rec->Flags, 292);

  HideInfo();  // nothing to hide
  EXPECT_FALSE(InfoIsShowing());
  ShowInfo(u"abcdefghij");  // 70 px of text, in a window centred on the 1000x700 screen
  ASSERT_TRUE(InfoIsShowing());
  EXPECT_TRUE(rec->Shown);
  EXPECT_GE(rec->Paints, 1);
  EXPECT_EQ(rec->Geometry(), Recorder::Seen(460, 325, 80, 50, 80, u"abcdefghij"));
  EXPECT_TRUE(rec->Last.StayOnTop && rec->Last.Borderless && !rec->Last.BorderIcons);
  EXPECT_EQ(rec->Last.Panels.size(), 1u);
  UpdateInfo(u"abc");  // narrower, still centred
  EXPECT_EQ(rec->Geometry(), Recorder::Seen(484, 325, 31, 50, 31, u"abc"));
  ShowInfo(u"x");  // replaces, never adds a second window
  EXPECT_EQ(rec->Open, 1);
  HideInfo();
  EXPECT_FALSE(InfoIsShowing());
  EXPECT_EQ(rec->Open, 0);
  UpdateInfo(u"opened");  // opens the window again
  EXPECT_TRUE(InfoIsShowing());
  EXPECT_EQ(rec->Geometry(), Recorder::Seen(474, 325, 52, 50, 52, u"opened"));
  // A first component that is not a panel is refused.
  TComponent* panel = InfoWindow()->Components(0);
  new TComponent(InfoWindow());  // owned by the window; first once the panel is gone
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

// The GTK backend on the display, with the X tools that look at its windows.
class GtkWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY") || system("command -v xdotool xwininfo xprop >/dev/null") != 0)
      GTEST_SKIP() << "needs a display (run under xvfb-run), xdotool, xwininfo and xprop";
    std::string why;
    if (!(gtk = LoadGtkBackend(&why))) GTEST_SKIP() << "GTK backend unavailable: " << why;
    SetUiBackend(gtk);
  }
  void TearDown() override {
    HideInfo();
    SetUiBackend(nullptr);
  }
  std::shared_ptr<TUiBackend> gtk;
};

TEST_F(GtkWindow, InformationWindowAsTheXServerSeesIt) {
  const std::u16string text = u"Reading the index, please wait";
  int32_t sw = 0, sh = 0;
  gtk->ScreenSize(sw, sh);
  const int32_t width = gtk->TextWidth(text) + 10;
  EXPECT_GT(width, 10 + 8 * 10);  // measured, not one cell per character
  ShowInfo(text);
  std::string id = Shell(
      "for id in $(xdotool search --onlyvisible --classname test_ui 2>/dev/null); do"
      " xwininfo -id $id | grep -q '^  Height: 50$' && echo $id; done");
  ASSERT_FALSE(id.empty()) << "no visible 50-pixel-high window";
  id = id.substr(0, id.find('\n'));
  const std::string info = Shell("xwininfo -id " + id);
  for (const std::string& line :
       {"Width: " + std::to_string(width),
       "Absolute upper-left X:  " + std::to_string((sw - width) / 2),
       "Absolute upper-left Y:  " + std::to_string((sh - 50) / 2)})
    EXPECT_NE(info.find(line + "\n"), std::string::npos) << line << " in " << info;
  const std::string props = Shell("xprop -id " + id + " _NET_WM_STATE _MOTIF_WM_HINTS");
  EXPECT_NE(props.find("_NET_WM_STATE_ABOVE"), std::string::npos) << props;
  // flags, functions, decorations: decorations 0 is no frame at all.
  EXPECT_NE(props.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x21, 0x0"), std::string::npos)
      << props;
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
TEST_F(GtkWindow, AskAnsweredByKeysAndClicks) {
  const char* plugin = std::getenv("DZ_GTK_PLUGIN");
  if (!plugin || !*plugin) GTEST_SKIP() << "DZ_GTK_PLUGIN does not name the GTK plug-in";
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr) << plugin;
  auto hook = reinterpret_cast<TestHook>(dlsym(handle, "dz_gtk_test_hook"));
  dlclose(handle);  // LoadGtkBackend keeps its own reference
  ASSERT_NE(hook, nullptr);
  std::tuple<bool, BoxAnswer, int> cases[] = {  // default no, the answer, what Ask returns
      {false, {"Return", "", ""}, IDYES}, {true, {"Return", "", ""}, IDNO},  // the default button
      {false, {"alt+n", "", ""}, IDNO},   {true, {"alt+y", "", ""}, IDYES},
      {true, {"", "_Yes", ""}, IDYES},    {false, {"", "_No", ""}, IDNO},
      {false, {"", "", ""}, 0},  // nobody answers: the limit ends the box
  };
  for (auto& [defaultNo, answer, expected] : cases) {
    // Ten seconds for xdotool on a loaded machine; one when nobody answers.
    hook(&AnswerBox, &answer, expected ? 10000 : 1000);
    const std::u16string q = u"Overwrite the existing file?";
    EXPECT_EQ(defaultNo ? AskNo(q) : Ask(q), expected) << answer.Keys << answer.Click;
    EXPECT_EQ(answer.Seen, "_Yes _No");
  }
  hook(nullptr, nullptr, 0);
}

}  // namespace
}  // namespace dz

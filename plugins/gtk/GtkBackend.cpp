// The GTK 3 backend of the library's desktop services, loaded at run time
// by the core (host/UiBackend.cpp), so that the core never links GTK.
#include <gtk/gtk.h>

#include <cstring>

#include "deziva27/host/ui/UiBackend.h"

extern "C" {
// A button of a box as a test sees it: its label and its centre on the
// screen, in pixels.
struct DzGtkButton {
  const char* Label;
  int X, Y;
};
using DzGtkBoxShown = void (*)(void* Context, const DzGtkButton* Buttons, int Count);
}

namespace {

using dz::TUiPanelState;
using dz::TUiWindowState;

std::string ToUtf8(const std::u16string& s) {
  if (s.empty()) return {};
  gchar* u = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(s.data()),
                             static_cast<glong>(s.size()), nullptr, nullptr, nullptr);
  std::string out = u ? u : "";
  g_free(u);
  return out;
}

// Set by dz_gtk_test_hook; null in every program but a test.
struct TestHook {
  DzGtkBoxShown OnShown = nullptr;
  void* Context = nullptr;
  unsigned LimitMs = 0;
} gHook;

void Pump() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

class TGtkWindow final : public dz::TUiWindow {
 public:
  TGtkWindow() {
    FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    FArea = gtk_drawing_area_new();
    gtk_container_add(GTK_CONTAINER(FWindow), FArea);
    g_signal_connect(FArea, "draw", G_CALLBACK(&TGtkWindow::OnDraw), this);
    // The size is the form's, not what GTK would ask for its contents.
    gtk_window_set_resizable(GTK_WINDOW(FWindow), FALSE);
  }
  ~TGtkWindow() override {
    gtk_widget_destroy(FWindow);
    Pump();
  }

  void Update(const TUiWindowState& State) override {
    FState = State;
    GtkWindow* w = GTK_WINDOW(FWindow);
    gtk_window_set_title(w, ToUtf8(State.Caption).c_str());
    gtk_window_set_decorated(w, !State.Borderless);
    gtk_window_set_deletable(w, State.BorderIcons);
    gtk_window_set_keep_above(w, State.StayOnTop);
    int width = State.Width > 0 ? State.Width : 1, height = State.Height > 0 ? State.Height : 1;
    gtk_widget_set_size_request(FArea, width, height);
    gtk_window_resize(w, width, height);
    gtk_window_move(w, State.Left, State.Top);
    gtk_widget_queue_draw(FArea);
  }

  void Show() override { gtk_widget_show_all(FWindow); }
  void Hide() override {
    gtk_widget_hide(FWindow);
    Pump();
  }

  // Waits for a draw of the current state, then for the X server to have
  // it, so that a screenshot taken after the call shows the window.
  void Paint() override {
    if (!gtk_widget_get_visible(FWindow)) return;
    FDrawn = false;
    gtk_widget_queue_draw(FArea);
    gint64 until = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
    while (!FDrawn && g_get_monotonic_time() < until) {
      if (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
      else
        g_usleep(1000);
    }
    Pump();
    gdk_display_sync(gtk_widget_get_display(FWindow));
  }

 private:
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* me = static_cast<TGtkWindow*>(self);
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
    gtk_render_background(style, cr, 0, 0, w, h);
    for (const TUiPanelState& p : me->FState.Panels) {
      // A raised one-pixel bevel, light above and left, dark below and right.
      cairo_set_line_width(cr, 1);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_move_to(cr, p.Left + 0.5, p.Top + p.Height - 0.5);
      cairo_line_to(cr, p.Left + 0.5, p.Top + 0.5);
      cairo_line_to(cr, p.Left + p.Width - 0.5, p.Top + 0.5);
      cairo_stroke(cr);
      cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
      cairo_move_to(cr, p.Left + p.Width - 0.5, p.Top + 0.5);
      cairo_line_to(cr, p.Left + p.Width - 0.5, p.Top + p.Height - 0.5);
      cairo_line_to(cr, p.Left + 0.5, p.Top + p.Height - 0.5);
      cairo_stroke(cr);
      PangoLayout* layout = gtk_widget_create_pango_layout(widget, ToUtf8(p.Caption).c_str());
      int tw = 0, th = 0;
      pango_layout_get_pixel_size(layout, &tw, &th);
      GdkRGBA fg;
      gtk_style_context_get_color(style, GTK_STATE_FLAG_NORMAL, &fg);
      gdk_cairo_set_source_rgba(cr, &fg);
      cairo_move_to(cr, p.Left + (p.Width - tw) / 2.0, p.Top + (p.Height - th) / 2.0);
      pango_cairo_show_layout(cr, layout);
      g_object_unref(layout);
    }
    me->FDrawn = true;
    return TRUE;
  }

  GtkWidget* FWindow;
  GtkWidget* FArea;
  TUiWindowState FState;
  bool FDrawn = false;
};

// What a test hook needs of one box while it is up.
struct Watch {
  GtkWidget* Dialog;
  int Responses[2];
  bool TimedOut = false;

  static gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer data) {
    auto* w = static_cast<Watch*>(data);
    DzGtkButton buttons[2];
    int n = 0;
    for (int id : w->Responses) {
      GtkWidget* b = gtk_dialog_get_widget_for_response(GTK_DIALOG(w->Dialog), id);
      if (!b || (n == 1 && id == w->Responses[0])) continue;
      // Allocations are relative to the button's GDK window: its origin on
      // the screen gives the centre where a click lands.
      GtkAllocation a;
      gtk_widget_get_allocation(b, &a);
      int ox = 0, oy = 0;
      gdk_window_get_origin(gtk_widget_get_window(b), &ox, &oy);
      buttons[n++] = {gtk_button_get_label(GTK_BUTTON(b)), ox + a.x + a.width / 2,
                      oy + a.y + a.height / 2};
    }
    gHook.OnShown(gHook.Context, buttons, n);
    return FALSE;
  }
  static gboolean OnLimit(gpointer data) {
    auto* w = static_cast<Watch*>(data);
    w->TimedOut = true;
    gtk_dialog_response(GTK_DIALOG(w->Dialog), GTK_RESPONSE_NONE);
    return G_SOURCE_REMOVE;
  }
};

class TGtkBackend final : public dz::TUiBackend {
 public:
  TGtkBackend() {
    // A widget that is never shown gives the font windows draw with.
    FMeasure = gtk_label_new("");
    g_object_ref_sink(FMeasure);
  }
  ~TGtkBackend() override { g_object_unref(FMeasure); }

  std::string Name() const override { return "gtk"; }

  int32_t MessageBox(const std::u16string& Text, const std::u16string& Caption,
                     int32_t Flags) override {
    int32_t type = Flags & dz::MB_TYPEMASK;
    bool second = (Flags & dz::MB_DEFMASK) == dz::MB_DEFBUTTON2;
    GtkMessageType kind = (Flags & dz::MB_ICONQUESTION) ? GTK_MESSAGE_QUESTION : GTK_MESSAGE_OTHER;
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, kind, GTK_BUTTONS_NONE,
                                               "%s", ToUtf8(Text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), ToUtf8(Caption).c_str());
    if (kind == GTK_MESSAGE_QUESTION) {
      // GTK 3 message dialogs no longer draw their icon by default.
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      GtkWidget* icon = gtk_image_new_from_icon_name("dialog-question", GTK_ICON_SIZE_DIALOG);
      gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), icon);
      gtk_widget_show(icon);
      G_GNUC_END_IGNORE_DEPRECATIONS
    }
    int first_id, second_id;
    if (type == dz::MB_YESNO) {
      first_id = dz::IDYES, second_id = dz::IDNO;
      gtk_dialog_add_button(GTK_DIALOG(dialog), "_Yes", first_id);
      gtk_dialog_add_button(GTK_DIALOG(dialog), "_No", second_id);
      // Windows offers no way out of a yes/no box but its two buttons.
      gtk_window_set_deletable(GTK_WINDOW(dialog), FALSE);
    } else if (type == dz::MB_OKCANCEL) {
      first_id = dz::IDOK, second_id = dz::IDCANCEL;
      gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", first_id);
      gtk_dialog_add_button(GTK_DIALOG(dialog), "_Cancel", second_id);
    } else {
      first_id = second_id = dz::IDOK;
      gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", first_id);
    }
    int def = second ? second_id : first_id;
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), def);
    if (GtkWidget* b = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), def))
      gtk_widget_grab_focus(b);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Watch watch{dialog, {first_id, second_id}};
    guint limit = 0;
    if (gHook.OnShown) {
      g_signal_connect_after(dialog, "map-event", G_CALLBACK(&Watch::OnMapped), &watch);
      if (gHook.LimitMs) limit = g_timeout_add(gHook.LimitMs, &Watch::OnLimit, &watch);
    }
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (limit && !watch.TimedOut) g_source_remove(limit);
    gtk_widget_destroy(dialog);
    Pump();
    if (watch.TimedOut) return 0;
    if (response == first_id || response == second_id) return response;
    // Closed by other means (Escape on a box with Cancel, the window manager).
    return type == dz::MB_YESNO ? dz::IDNO : second_id;
  }

  void ProcessMessages() override { Pump(); }

  int32_t TextWidth(const std::u16string& Text) override {
    PangoLayout* layout = gtk_widget_create_pango_layout(FMeasure, ToUtf8(Text).c_str());
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    return w;
  }

  void ScreenSize(int32_t& Width, int32_t& Height) override {
    GdkDisplay* d = gdk_display_get_default();
    GdkMonitor* m = gdk_display_get_primary_monitor(d);
    if (!m) m = gdk_display_get_monitor(d, 0);
    GdkRectangle r{0, 0, 640, 480};
    if (m) gdk_monitor_get_geometry(m, &r);
    Width = r.width, Height = r.height;
  }

  std::unique_ptr<dz::TUiWindow> CreateWindow() override { return std::make_unique<TGtkWindow>(); }

 private:
  GtkWidget* FMeasure;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) dz::TUiBackend* dz_ui_plugin_create(int32_t Abi) {
  if (Abi != dz::kUiPluginAbi) return nullptr;
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return new TGtkBackend;
}

// For the window tests, which answer boxes as a user would: after this call
// every box, once drawn, reports its buttons to OnShown, and one left
// unanswered for LimitMs (0: no limit) closes and answers 0, so that a
// missed click fails a test rather than hangs it. A null OnShown ends it.
extern "C" __attribute__((visibility("default"))) void dz_gtk_test_hook(DzGtkBoxShown OnShown,
                                                                       void* Context,
                                                                       unsigned LimitMs) {
  gHook = {OnShown, Context, OnShown ? LimitMs : 0};
}

// The configuration dialog (template 133) built with GTK 3, laid out like
// the template: the icon at the top left with the version line beside it,
// the notice below, OK and Cancel at the top right, the speed slider with a
// tick at every position across the dialog, the home-page button, and the
// pictures group at the bottom. OK is the default button and has the focus
// first, as the first control of the template. The buttons go to the
// dialog object: OK to OnOK, Cancel, the close box, Escape and a stop
// signal to OnCancel, the home-page button, Browse and a radio button the
// user turns on to OnCommand with their ids; the dialog reaches its items
// by id. The dialog's own code decides when it has ended; this file only
// waits for that. Trade-off: a folder name that is not UTF-8 is shown and
// returned by its display name (GTK's entries hold UTF-8 only).
#include "backends/x11/gtk_config_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "framework/cstring.h"
#include "framework/wnd.h"
#include "raster/dc.h"
#include "resources/resource.h"
#include "resources/resources.h"

#include "backends/x11/gtk_library.h"

namespace {

constexpr int kMaxMarks = 1024; // a tick at every position, within reason
constexpr int kIconSide = 32;

// G_TYPE_CHECK_INSTANCE_TYPE through the loaded library.
bool IsA(GtkWidget *w, GType type) {
  return Gtk().g_type_check_instance_is_a(reinterpret_cast<GTypeInstance *>(w),
                                          type) != FALSE;
}

// g_signal_connect through the loaded library.
template <class Instance>
void Connect(Instance *instance, const char *signal, GCallback handler,
             gpointer data) {
  Gtk().g_signal_connect_data(instance, signal, handler, data, nullptr,
                              GConnectFlags(0));
}

// The trackbar as a GtkScale with whole-number positions.
class CGtkSlider : public ISliderPeer {
public:
  explicit CGtkSlider(GtkWidget *scale) : m_scale(scale) {}

  void SetRange(int nMin, int nMax, BOOL) override {
    nMax = std::max(nMin, nMax);
    // GtkRange needs max > min; a one-position range still shows.
    Gtk().gtk_range_set_range(GTK_RANGE(m_scale), nMin,
                              nMax > nMin ? nMax : nMin + 1);
    Gtk().gtk_scale_clear_marks(GTK_SCALE(m_scale));
    if (std::int64_t(nMax) - nMin < kMaxMarks) {
      for (int v = nMin; v <= nMax; ++v)
        Gtk().gtk_scale_add_mark(GTK_SCALE(m_scale), v, GTK_POS_TOP, nullptr);
    }
    m_nMin = nMin;
    m_nMax = nMax;
  }
  void SetPos(int nPos) override {
    Gtk().gtk_range_set_value(GTK_RANGE(m_scale),
                              std::clamp(nPos, m_nMin, m_nMax));
  }
  int GetPos() const override {
    const double v = Gtk().gtk_range_get_value(GTK_RANGE(m_scale));
    return std::clamp(int(std::lround(v)), m_nMin, m_nMax);
  }

private:
  GtkWidget *m_scale;
  int m_nMin = 0, m_nMax = 100;
};

// What the signal handlers reach: the dialog, and a failure that must not
// unwind through GTK's C frames (kept and rethrown after the loop).
struct DialogRun {
  CDialog *dlg = nullptr;
  std::exception_ptr failure;
  guint stopWatch = 0; // the stop-signal source while it is installed
  GtkWidget *window = nullptr;
  GtkWidget *picker = nullptr; // the folder picker while it is open
  bool settingItems = false;   // the dialog is setting states: no commands
};

// Text for an entry: GTK takes UTF-8 only.
std::string ForEntry(const std::string &text) {
  if (Gtk().g_utf8_validate(text.data(), gssize(text.size()), nullptr))
    return text;
  gchar *shown = Gtk().g_filename_display_name(text.c_str());
  std::string out = shown ? shown : "";
  Gtk().g_free(shown);
  return out;
}

// The items of the dialog by id.
class CGtkDialogItems : public IDialogItems {
public:
  explicit CGtkDialogItems(DialogRun &run) : m_run(run) {}
  void Add(UINT nID, GtkWidget *widget) { m_widgets[nID] = widget; }

  std::string GetText(UINT nID) const override {
    GtkWidget *w = Find(nID);
    return w && IsA(w, Gtk().gtk_entry_get_type())
               ? Gtk().gtk_entry_get_text(GTK_ENTRY(w))
               : "";
  }
  void SetText(UINT nID, const std::string &text) override {
    if (GtkWidget *w = Find(nID); w && IsA(w, Gtk().gtk_entry_get_type()))
      Gtk().gtk_entry_set_text(GTK_ENTRY(w), ForEntry(text).c_str());
  }
  bool IsChecked(UINT nID) const override {
    GtkWidget *w = Find(nID);
    return w && IsA(w, Gtk().gtk_toggle_button_get_type()) &&
           Gtk().gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
  }
  void SetChecked(UINT nID, bool checked) override {
    GtkWidget *w = Find(nID);
    if (!w || !IsA(w, Gtk().gtk_toggle_button_get_type()))
      return;
    // As on Windows, only the user's clicks become commands.
    m_run.settingItems = true;
    Gtk().gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w),
                                       checked ? TRUE : FALSE);
    m_run.settingItems = false;
  }
  void Enable(UINT nID, bool enable) override {
    if (GtkWidget *w = Find(nID))
      Gtk().gtk_widget_set_sensitive(w, enable ? TRUE : FALSE);
  }
  std::optional<std::string> PickFolder(const std::string &initial) override {
    GtkWidget *picker = Gtk().gtk_file_chooser_dialog_new(
        MOSVIK_PICK_FOLDER_TEXT, GTK_WINDOW(m_run.window),
        GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel", GTK_RESPONSE_CANCEL,
        "_Select", GTK_RESPONSE_ACCEPT, nullptr);
    if (!initial.empty())
      Gtk().gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(picker),
                                                initial.c_str());
    m_run.picker = picker;
    const gint response = Gtk().gtk_dialog_run(GTK_DIALOG(picker));
    m_run.picker = nullptr;
    std::optional<std::string> folder;
    if (response == GTK_RESPONSE_ACCEPT) {
      if (gchar *name =
              Gtk().gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(picker))) {
        folder = ForEntry(name);
        Gtk().g_free(name);
      }
    }
    Gtk().gtk_widget_destroy(picker);
    return folder;
  }

private:
  GtkWidget *Find(UINT nID) const {
    auto it = m_widgets.find(nID);
    return it == m_widgets.end() ? nullptr : it->second;
  }

  DialogRun &m_run;
  std::map<UINT, GtkWidget *> m_widgets;
};

template <typename F> void Guarded(DialogRun *run, F &&f) {
  if (run->dlg->IsEnded())
    return;
  try {
    f();
  } catch (...) {
    run->failure = std::current_exception();
    run->dlg->EndDialog(IDCANCEL);
  }
}

void OnOkClicked(GtkButton *, gpointer data) {
  auto *run = static_cast<DialogRun *>(data);
  Guarded(run, [&] { run->dlg->OnOK(); });
}

void OnCancelClicked(GtkButton *, gpointer data) {
  auto *run = static_cast<DialogRun *>(data);
  Guarded(run, [&] { run->dlg->OnCancel(); });
}

// A push button other than OK and Cancel: its id rides on the widget.
void OnButtonClicked(GtkButton *button, gpointer data) {
  auto *run = static_cast<DialogRun *>(data);
  const UINT id =
      GPOINTER_TO_UINT(Gtk().g_object_get_data(G_OBJECT(button), "mosvik-id"));
  Guarded(run, [&] { run->dlg->OnCommand(id); });
}

// A radio button the user turned on.
void OnRadioToggled(GtkToggleButton *button, gpointer data) {
  auto *run = static_cast<DialogRun *>(data);
  if (run->settingItems || !Gtk().gtk_toggle_button_get_active(button))
    return;
  OnButtonClicked(GTK_BUTTON(button), data);
}

gboolean OnDelete(GtkWidget *, GdkEvent *, gpointer data) {
  OnCancelClicked(nullptr, data);
  return TRUE; // the window is destroyed once the loop has ended
}

gboolean OnKeyPress(GtkWidget *, GdkEventKey *ev, gpointer data) {
  if (ev->keyval != GDK_KEY_Escape)
    return FALSE;
  OnCancelClicked(nullptr, data);
  return TRUE;
}

gboolean OnStopSignal(gint, GIOCondition, gpointer data) {
  auto *run = static_cast<DialogRun *>(data);
  run->stopWatch = 0;
  if (run->picker)
    Gtk().gtk_dialog_response(GTK_DIALOG(run->picker), GTK_RESPONSE_CANCEL);
  OnCancelClicked(nullptr, data);
  return G_SOURCE_REMOVE;
}

// "&Go to ..." as a GTK mnemonic: '&' marks the key, "&&" is an ampersand,
// and GTK's own marker '_' is doubled.
std::string MnemonicFromResource(const char *text) {
  const std::string utf8 = cp1252::ToUtf8(text);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '&' && i + 1 < utf8.size() && utf8[i + 1] == '&') {
      out += '&';
      ++i;
    } else if (c == '&') {
      out += '_';
    } else if (c == '_') {
      out += "__";
    } else {
      out += c;
    }
  }
  return out;
}

// The saver's icon: the background tile, scaled down.
GdkPixbuf *MakeIcon() {
  const std::vector<BYTE> dib = res::BuiltinBitmap(IDB_TILE);
  CBitmap bmp;
  if (dib.empty() || !bmp.LoadPackedDib(dib.data(), dib.size()) ||
      !bmp.Surface())
    return nullptr;
  const CSurface &s = *bmp.Surface();
  if (s.Width() <= 0 || s.Height() <= 0)
    return nullptr;
  GdkPixbuf *full =
      Gtk().gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, s.Width(), s.Height());
  if (!full)
    return nullptr;
  guchar *pixels = Gtk().gdk_pixbuf_get_pixels(full);
  const int stride = Gtk().gdk_pixbuf_get_rowstride(full);
  for (int y = 0; y < s.Height(); ++y) {
    guchar *row = pixels + std::size_t(y) * std::size_t(stride);
    for (int x = 0; x < s.Width(); ++x) {
      const std::uint32_t p = s.Pixel(x, y);
      row[3 * x] = guchar(p >> 16);
      row[3 * x + 1] = guchar(p >> 8);
      row[3 * x + 2] = guchar(p);
    }
  }
  GdkPixbuf *icon = Gtk().gdk_pixbuf_scale_simple(full, kIconSide, kIconSide,
                                                  GDK_INTERP_BILINEAR);
  Gtk().g_object_unref(full);
  return icon;
}

GtkWidget *MakeLabel(const char *text) {
  GtkWidget *label = Gtk().gtk_label_new(cp1252::ToUtf8(text).c_str());
  Gtk().gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  return label;
}

// A button that reports its id to the dialog when clicked.
GtkWidget *IdButton(GtkWidget *button, UINT nID, DialogRun &run,
                    CGtkDialogItems &items) {
  Gtk().g_object_set_data(G_OBJECT(button), "mosvik-id", GUINT_TO_POINTER(nID));
  items.Add(nID, button);
  if (IsA(button, Gtk().gtk_radio_button_get_type()))
    Connect(button, "toggled", G_CALLBACK(OnRadioToggled), &run);
  else if (!IsA(button, Gtk().gtk_check_button_get_type()))
    Connect(button, "clicked", G_CALLBACK(OnButtonClicked), &run);
  return button;
}

// The pictures group: the saver's own picture or a folder (typed or
// browsed for), its subfolders, the caption.
GtkWidget *MakePicturesGroup(DialogRun &run, CGtkDialogItems &items) {
  GtkWidget *frame = Gtk().gtk_frame_new(MOSVIK_PICTURES_TEXT);
  GtkWidget *grid = Gtk().gtk_grid_new();
  Gtk().gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
  Gtk().gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
  Gtk().gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
  Gtk().gtk_container_add(GTK_CONTAINER(frame), grid);

  GtkWidget *own = Gtk().gtk_radio_button_new_with_mnemonic(
      nullptr, MnemonicFromResource(MOSVIK_OWN_PICTURE_TEXT).c_str());
  GtkWidget *folder = Gtk().gtk_radio_button_new_with_mnemonic_from_widget(
      GTK_RADIO_BUTTON(own), MnemonicFromResource(MOSVIK_FOLDER_TEXT).c_str());
  Gtk().gtk_grid_attach(GTK_GRID(grid),
                        IdButton(own, IDC_OWN_PICTURE, run, items), 0, 0, 2, 1);
  Gtk().gtk_grid_attach(GTK_GRID(grid),
                        IdButton(folder, IDC_FOLDER_PICTURES, run, items), 0, 1,
                        2, 1);

  GtkWidget *entry = Gtk().gtk_entry_new();
  Gtk().gtk_widget_set_hexpand(entry, TRUE);
  Gtk().gtk_widget_set_margin_start(entry, 20);
  Gtk().gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  items.Add(IDC_PICTURE_FOLDER, entry);
  Gtk().gtk_grid_attach(GTK_GRID(grid), entry, 0, 2, 1, 1);
  GtkWidget *browse = Gtk().gtk_button_new_with_mnemonic(
      MnemonicFromResource(MOSVIK_BROWSE_TEXT).c_str());
  Gtk().gtk_grid_attach(GTK_GRID(grid),
                        IdButton(browse, IDC_BROWSE, run, items), 1, 2, 1, 1);

  int row = 3;
  for (auto [id, text] : {std::pair{IDC_SUBFOLDERS, MOSVIK_SUBFOLDERS_TEXT},
                          {IDC_CAPTION, MOSVIK_CAPTION_TEXT}}) {
    GtkWidget *check = Gtk().gtk_check_button_new_with_mnemonic(
        MnemonicFromResource(text).c_str());
    Gtk().gtk_widget_set_margin_start(check, 20);
    Gtk().gtk_grid_attach(GTK_GRID(grid), IdButton(check, UINT(id), run, items),
                          0, row++, 2, 1);
  }
  return frame;
}

} // namespace

int RunGtkConfigDialog(CDialog &dlg, int stopFd) {
  Gtk().gtk_disable_setlocale(); // the saver's number formats stay the C
                                 // library's
  if (!Gtk().gtk_init_check(nullptr, nullptr))
    throw std::runtime_error(
        "the configuration dialog needs a display (is DISPLAY set?)");

  DialogRun run;
  run.dlg = &dlg;
  CGtkDialogItems items(run);

  GtkWidget *window = Gtk().gtk_window_new(GTK_WINDOW_TOPLEVEL);
  run.window = window;
  Gtk().gtk_window_set_title(GTK_WINDOW(window), MOSVIK_CONFIG_CAPTION);
  Gtk().gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  Gtk().gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  Gtk().gtk_window_set_type_hint(GTK_WINDOW(window),
                                 GDK_WINDOW_TYPE_HINT_DIALOG);

  GtkWidget *grid = Gtk().gtk_grid_new();
  Gtk().gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  Gtk().gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
  Gtk().gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
  Gtk().gtk_container_add(GTK_CONTAINER(window), grid);

  // Row 0: icon, version line, OK. Row 1: notice, Cancel.
  if (GdkPixbuf *icon = MakeIcon()) {
    GtkWidget *image = Gtk().gtk_image_new_from_pixbuf(icon);
    Gtk().gtk_widget_set_halign(image, GTK_ALIGN_START);
    Gtk().gtk_grid_attach(GTK_GRID(grid), image, 0, 0, 1, 1);
    Gtk().gtk_window_set_icon(GTK_WINDOW(window), icon);
    Gtk().g_object_unref(icon);
  }
  GtkWidget *version = MakeLabel(MOSVIK_VERSION_TEXT);
  Gtk().gtk_widget_set_hexpand(version, TRUE);
  Gtk().gtk_grid_attach(GTK_GRID(grid), version, 1, 0, 1, 1);
  Gtk().gtk_grid_attach(GTK_GRID(grid), MakeLabel(MOSVIK_NOTICE_TEXT), 0, 1, 2,
                        1);

  GtkWidget *ok = Gtk().gtk_button_new_with_label("OK");
  GtkWidget *cancel = Gtk().gtk_button_new_with_label("Cancel");
  Gtk().gtk_widget_set_valign(ok, GTK_ALIGN_START);
  Gtk().gtk_grid_attach(GTK_GRID(grid), ok, 2, 0, 1, 1);
  Gtk().gtk_grid_attach(GTK_GRID(grid), cancel, 2, 1, 1, 1);

  // Row 2: the slider (ticks above); row 3: the home-page button.
  GtkWidget *scale =
      Gtk().gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
  Gtk().gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
  Gtk().gtk_range_set_round_digits(GTK_RANGE(scale), 0);
  Gtk().gtk_range_set_increments(GTK_RANGE(scale), 1, 12);
  Gtk().gtk_widget_set_size_request(scale, 320, -1);
  Gtk().gtk_grid_attach(GTK_GRID(grid), scale, 0, 2, 3, 1);
  GtkWidget *home = Gtk().gtk_button_new_with_mnemonic(
      MnemonicFromResource(MOSVIK_HOMEPAGE_TEXT).c_str());
  Gtk().gtk_grid_attach(GTK_GRID(grid),
                        IdButton(home, IDC_HOMEPAGE, run, items), 0, 3, 3, 1);
  // Row 4: the pictures.
  Gtk().gtk_grid_attach(GTK_GRID(grid), MakePicturesGroup(run, items), 0, 4, 3,
                        1);

  Connect(ok, "clicked", G_CALLBACK(OnOkClicked), &run);
  Connect(cancel, "clicked", G_CALLBACK(OnCancelClicked), &run);
  Connect(window, "delete-event", G_CALLBACK(OnDelete), &run);
  Connect(window, "key-press-event", G_CALLBACK(OnKeyPress), &run);
  if (stopFd >= 0)
    run.stopWatch = Gtk().g_unix_fd_add(stopFd, G_IO_IN, OnStopSignal, &run);

  CGtkSlider slider(scale);
  dlg.BindControl(IDC_SPEED, &slider);
  dlg.AttachItems(&items);
  Guarded(&run, [&] { dlg.OnInitDialog(); });

  Gtk().gtk_widget_set_can_default(ok, TRUE);
  Gtk().gtk_window_set_default(GTK_WINDOW(window), ok);
  Gtk().gtk_widget_show_all(window);
  Gtk().gtk_widget_grab_focus(ok);
  Gtk().gtk_window_present(GTK_WINDOW(window));

  while (!dlg.IsEnded())
    Gtk().gtk_main_iteration();

  if (run.stopWatch)
    Gtk().g_source_remove(run.stopWatch);
  dlg.BindControl(IDC_SPEED, nullptr); // the controls go with the window
  dlg.AttachItems(nullptr);
  Gtk().gtk_widget_destroy(window);
  while (Gtk().gtk_events_pending())
    Gtk().gtk_main_iteration();
  if (run.failure)
    std::rethrow_exception(run.failure);
  return dlg.GetResult();
}

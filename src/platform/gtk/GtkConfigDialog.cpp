// The Linux configuration dialog (see GtkConfigDialog.h).
//
// The layout is the Windows dialog's, in pixels: nested GtkFixed containers stand for its panels,
// and each panel paints its own fill and outlines before its children, so the frames, the drop
// shadow and the separator need no widgets of their own. A style sheet brings GTK's controls
// down to the small font and the tight sizes of that dialog.
#include "platform/gtk/GtkConfigDialog.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>

#include "app/uRunMode.h"
#include "forms/FConfig.h"
#include "platform/uShell.h"

namespace lumora::gtk {
namespace {

// Left, top, width, height in pixels, relative to the parent.
struct TBox {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TRgb {
  int Red = 0;
  int Green = 0;
  int Blue = 0;
};

constexpr int kClientWidth = 456;
constexpr int kClientHeight = 323;

// On the dialog.
constexpr TBox kPanel1{9, 11, 280, 306};
constexpr TBox kPanel3{289, 19, 160, 230};
constexpr TBox kClockPos{312, 191, 129, 21};
constexpr TBox kOk{292, 282, 75, 25};
constexpr TBox kCancel{372, 282, 75, 25};
// On Panel1.
constexpr TBox kPanel4{8, 7, 259, 195};
constexpr TBox kTitle{11, 212, 257, 13};
constexpr TBox kDescription{12, 233, 251, 54};
// On Panel4, and the picture filling it.
constexpr TBox kPanel2{8, 8, kPreviewWidth, kPreviewHeight};
// On Panel3. A width or height of 0 leaves the control its natural size.
constexpr TBox kSpeedLabel{65, 6, 0, 0};
constexpr TBox kSpeed{5, 25, 148, 20};
constexpr TBox kReset{39, 51, 82, 19};
constexpr TBox kStretch{7, 80, 0, 0};
constexpr TBox kProportional{7, 98, 0, 0};
constexpr TBox kSound{7, 117, 0, 0};
constexpr TBox kMusic{7, 135, 0, 0};
constexpr TBox kShowClock{7, 153, 0, 0};
constexpr TBox kAutoPreview{7, 206, 0, 0};
constexpr int kSeparatorTop = 200;  // the line between the settings and "Auto Preview"

constexpr TRgb kFace{240, 240, 240};
constexpr TRgb kFrameFace{248, 248, 248};
constexpr TRgb kWhite{255, 255, 255};
constexpr TRgb kSilver{192, 192, 192};
constexpr TRgb kThinLine{208, 208, 208};
constexpr TRgb kShadowNear{218, 218, 218};
constexpr TRgb kShadowFar{230, 230, 230};

constexpr int kSpeedPositions = 20;
constexpr int kSpeedTickEvery = 5;
// The preview frame's timeout: the logic paces itself to one frame per 32 ms, and an idle
// priority lets GTK's redraws and input events run before each frame.
constexpr guint kPreviewIntervalMs = 32;
// The description is cut after the lines its box holds (54 pixels of 13-pixel lines), where the
// box would clip it.
constexpr int kDescriptionLines = 4;
constexpr std::array<int, 2> kEndSignals = {SIGTERM, SIGINT};

// Tahoma 8 where it is installed, else the desktop's sans-serif at the same size; paddings and
// minimum sizes brought down so that every control fits the box it has on Windows.
constexpr const char* kStyleSheet = R"css(
* { font-family: Tahoma, Sans; font-size: 8pt; }
.lumora-config { background-color: rgb(240, 240, 240); }
.lumora-config #lblTitle { font-weight: bold; }
.lumora-config button { min-height: 0; min-width: 0; padding: 0 4px; }
.lumora-config button.flat { border-radius: 2px; }
.lumora-config checkbutton { min-height: 0; padding: 0; }
.lumora-config check { min-width: 13px; min-height: 13px; margin: 1px 4px 1px 0; }
.lumora-config combobox button { min-height: 0; padding: 0 2px 0 4px; }
.lumora-config combobox arrow { min-width: 12px; min-height: 12px; }
.lumora-config scale { min-height: 0; padding: 0 6px; }
.lumora-config scale trough { min-height: 2px; }
.lumora-config scale slider { min-width: 10px; min-height: 14px; margin: -7px -5px; border-radius: 2px; }
.lumora-config scale marks.bottom { margin-top: 1px; }
.lumora-config scale marks indicator { min-height: 3px; min-width: 1px; }
)css";

void SetColour(cairo_t* cr, TRgb colour) {
  cairo_set_source_rgb(cr, colour.Red / 255.0, colour.Green / 255.0, colour.Blue / 255.0);
}

void FillBox(cairo_t* cr, TBox box, TRgb colour) {
  SetColour(cr, colour);
  cairo_rectangle(cr, box.Left, box.Top, box.Width, box.Height);
  cairo_fill(cr);
}

// A one-pixel line along the inside of `box`.
void OutlineBox(cairo_t* cr, TBox box, TRgb colour) {
  SetColour(cr, colour);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, box.Left + 0.5, box.Top + 0.5, box.Width - 1, box.Height - 1);
  cairo_stroke(cr);
}

TBox Grown(TBox box, int by) { return {box.Left - by, box.Top - by, box.Width + 2 * by, box.Height + 2 * by}; }
TBox Moved(TBox box, int by) { return {box.Left + by, box.Top + by, box.Width, box.Height}; }

// Scene texts come from files written on Windows: what is not UTF-8 is taken as Windows-1252.
std::string DisplayText(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gchar* converted =
      g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8", "WINDOWS-1252", nullptr, nullptr, nullptr);
  if (converted == nullptr) return {};
  std::string result = converted;
  g_free(converted);
  return result;
}

class TGtkConfigDialog final : public TConfigHost, public TShell {
 public:
  TGtkConfigDialog();
  ~TGtkConfigDialog() override;
  TGtkConfigDialog(const TGtkConfigDialog&) = delete;
  TGtkConfigDialog& operator=(const TGtkConfigDialog&) = delete;

  // Shows the dialog and runs it until it closes; then the form's FormClose.
  void Run(TfmCOnfig& form);

  void ShowControls(const TConfigControls& controls) override;
  void ShowPicture(const TBitmap32& picture) override;
  void SetTimer(bool on) override;
  void FocusPanel() override { gtk_window_set_focus(GTK_WINDOW(window_), nullptr); }
  void Close() override;
  void ShowError(const std::string& text) override { ShowBox(text, kApplicationTitle, GTK_MESSAGE_ERROR); }
  TShell& Shell() override { return *this; }

  void ShowMessage(const std::string& text, const std::string& caption) override {
    ShowBox(text, caption.empty() ? kApplicationTitle : caption, GTK_MESSAGE_INFO);
  }

 private:
  GtkWidget* Panel(GtkWidget* parent, TBox box, gboolean (*paint)(GtkWidget*, cairo_t*, gpointer));
  GtkWidget* Place(GtkWidget* parent, GtkWidget* child, TBox box);
  // A check box whose state is `state` of the controls and whose handler is `handler`.
  GtkWidget* CheckBox(GtkWidget* parent, const char* caption, TBox box, bool TConfigControls::*state,
                      void (TfmCOnfig::*handler)());
  GtkWidget* TextLabel(GtkWidget* parent, const char* name, TBox box);
  void BuildWindow();
  void ShowBox(const std::string& text, const std::string& caption, GtkMessageType type);
  // Runs a handler of the form for the user's change of a control: nothing while the controls
  // are being set from the form, and an exception becomes the framework's error message, since
  // none may travel through GTK's C frames.
  void Handle(const std::function<void(TfmCOnfig&)>& handler);

  static gboolean PaintPanel1(GtkWidget*, cairo_t* cr, gpointer);
  static gboolean PaintPanel2(GtkWidget*, cairo_t* cr, gpointer);
  static gboolean PaintPanel3(GtkWidget*, cairo_t* cr, gpointer);
  static gboolean PaintPanel4(GtkWidget*, cairo_t* cr, gpointer);
  static gboolean PaintPicture(GtkWidget*, cairo_t* cr, gpointer self);

  GtkWidget* window_ = nullptr;
  GtkWidget* picture_ = nullptr;
  GtkWidget* title_ = nullptr;
  GtkWidget* description_ = nullptr;
  GtkWidget* speed_ = nullptr;
  GtkWidget* stretch_ = nullptr;
  GtkWidget* proportional_ = nullptr;
  GtkWidget* sound_ = nullptr;
  GtkWidget* music_ = nullptr;
  GtkWidget* showClock_ = nullptr;
  GtkWidget* autoPreview_ = nullptr;
  GtkWidget* clockPos_ = nullptr;
  cairo_surface_t* pixels_ = nullptr;  // imgPreview's picture
  GMainLoop* loop_ = nullptr;
  TfmCOnfig* form_ = nullptr;
  guint timer_ = 0;
  std::array<guint, kEndSignals.size()> signals_{};
  bool syncing_ = false;
  bool closed_ = false;
};

TGtkConfigDialog::TGtkConfigDialog() : loop_(g_main_loop_new(nullptr, FALSE)) {
  GtkCssProvider* style = gtk_css_provider_new();
  gtk_css_provider_load_from_data(style, kStyleSheet, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(style);
  BuildWindow();
}

TGtkConfigDialog::~TGtkConfigDialog() {
  SetTimer(false);
  for (const guint source : signals_) g_source_remove(source);
  gtk_widget_destroy(window_);
  if (pixels_ != nullptr) cairo_surface_destroy(pixels_);
  g_main_loop_unref(loop_);
}

GtkWidget* TGtkConfigDialog::Place(GtkWidget* parent, GtkWidget* child, TBox box) {
  gtk_widget_set_size_request(child, box.Width > 0 ? box.Width : -1, box.Height > 0 ? box.Height : -1);
  gtk_fixed_put(GTK_FIXED(parent), child, box.Left, box.Top);
  return child;
}

GtkWidget* TGtkConfigDialog::Panel(GtkWidget* parent, TBox box, gboolean (*paint)(GtkWidget*, cairo_t*, gpointer)) {
  GtkWidget* panel = gtk_fixed_new();
  // Connected before the container's own handler, which then draws the children on top.
  g_signal_connect(panel, "draw", G_CALLBACK(paint), this);
  return Place(parent, panel, box);
}

GtkWidget* TGtkConfigDialog::CheckBox(GtkWidget* parent, const char* caption, TBox box, bool TConfigControls::*state,
                                      void (TfmCOnfig::*handler)()) {
  struct TBinding {
    TGtkConfigDialog* Dialog;
    bool TConfigControls::*State;
    void (TfmCOnfig::*Handler)();
  };
  GtkWidget* check = Place(parent, gtk_check_button_new_with_label(caption), box);
  g_signal_connect_data(
      check, "toggled", G_CALLBACK(+[](GtkToggleButton* button, gpointer data) {
        const auto* b = static_cast<TBinding*>(data);
        const bool active = gtk_toggle_button_get_active(button) != FALSE;
        b->Dialog->Handle([b, active](TfmCOnfig& form) {
          form.Controls.*(b->State) = active;
          (form.*(b->Handler))();
        });
      }),
      new TBinding{this, state, handler}, +[](gpointer data, GClosure*) { delete static_cast<TBinding*>(data); },
      GConnectFlags{});
  return check;
}

GtkWidget* TGtkConfigDialog::TextLabel(GtkWidget* parent, const char* name, TBox box) {
  GtkWidget* label = gtk_label_new("");
  gtk_widget_set_name(label, name);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_label_set_yalign(GTK_LABEL(label), 0);
  // The box, not the text, decides the width: a wrapping label would otherwise ask for more.
  gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  return Place(parent, label, box);
}

void TGtkConfigDialog::BuildWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_title(window, "Configuration");
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_style_context_add_class(gtk_widget_get_style_context(window_), "lumora-config");

  GtkWidget* client = gtk_fixed_new();
  gtk_widget_set_size_request(client, kClientWidth, kClientHeight);
  gtk_container_add(GTK_CONTAINER(window_), client);

  // The left side: the picture in its frame, the title and the description.
  GtkWidget* panel1 = Panel(client, kPanel1, PaintPanel1);
  GtkWidget* panel4 = Panel(panel1, kPanel4, PaintPanel4);
  GtkWidget* panel2 = Panel(panel4, kPanel2, PaintPanel2);
  picture_ = Place(panel2, gtk_drawing_area_new(), {0, 0, kPreviewWidth, kPreviewHeight});
  g_signal_connect(picture_, "draw", G_CALLBACK(PaintPicture), this);
  title_ = TextLabel(panel1, "lblTitle", kTitle);
  description_ = TextLabel(panel1, "lblDesc", kDescription);
  gtk_label_set_line_wrap(GTK_LABEL(description_), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(description_), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_lines(GTK_LABEL(description_), kDescriptionLines);

  // The right side: speed, the settings, the preview switch.
  GtkWidget* panel3 = Panel(client, kPanel3, PaintPanel3);
  Place(panel3, gtk_label_new("Speed"), kSpeedLabel);
  speed_ = Place(panel3, gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, kSpeedPositions, 1), kSpeed);
  gtk_scale_set_draw_value(GTK_SCALE(speed_), FALSE);
  gtk_scale_set_digits(GTK_SCALE(speed_), 0);
  for (int mark = 0; mark <= kSpeedPositions; mark += kSpeedTickEvery) {
    gtk_scale_add_mark(GTK_SCALE(speed_), mark, GTK_POS_BOTTOM, nullptr);
  }
  g_signal_connect(speed_, "value-changed", G_CALLBACK(+[](GtkRange* range, gpointer self) {
                     const auto position = static_cast<int32_t>(gtk_range_get_value(range) + 0.5);
                     static_cast<TGtkConfigDialog*>(self)->Handle([position](TfmCOnfig& form) {
                       if (position == form.Controls.SpeedPosition) return;  // a track bar reports only changes
                       form.Controls.SpeedPosition = position;
                       form.tbSpeedChange();
                     });
                   }),
                   this);
  GtkWidget* reset = Place(panel3, gtk_button_new_with_label("Reset"), kReset);
  gtk_button_set_relief(GTK_BUTTON(reset), GTK_RELIEF_NONE);
  g_signal_connect(reset, "clicked", G_CALLBACK(+[](GtkButton*, gpointer self) {
                     static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.SpeedButton6Click(); });
                   }),
                   this);
  stretch_ = CheckBox(panel3, "Stretch", kStretch, &TConfigControls::Stretch, &TfmCOnfig::cbStretchClick);
  proportional_ =
      CheckBox(panel3, "Proportional", kProportional, &TConfigControls::Proportional, &TfmCOnfig::cbStretchClick);
  sound_ = CheckBox(panel3, "Sound", kSound, &TConfigControls::Sound, &TfmCOnfig::cbSoundClick);
  music_ = CheckBox(panel3, "Music", kMusic, &TConfigControls::Music, &TfmCOnfig::cbSoundClick);
  showClock_ = CheckBox(panel3, "Show Clock", kShowClock, &TConfigControls::ShowClock, &TfmCOnfig::cbSoundClick);
  autoPreview_ =
      CheckBox(panel3, "Auto Preview", kAutoPreview, &TConfigControls::AutoPreview, &TfmCOnfig::CheckBox1Click);

  // On the dialog, over Panel3: added after it, so drawn on top of it.
  clockPos_ = Place(client, gtk_combo_box_text_new(), kClockPos);
  for (const char* corner : kClockCorners) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(clockPos_), corner);
  g_signal_connect(
      clockPos_, "changed", G_CALLBACK(+[](GtkComboBox* combo, gpointer self) {
        const int32_t index = gtk_combo_box_get_active(combo);
        static_cast<TGtkConfigDialog*>(self)->Handle([index](TfmCOnfig& form) { form.Controls.ClockPos = index; });
      }),
      this);

  GtkWidget* ok = Place(client, gtk_button_new_with_label("OK"), kOk);
  g_signal_connect(ok, "clicked", G_CALLBACK(+[](GtkButton*, gpointer self) {
                     static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.MyButton21Click(); });
                   }),
                   this);
  GtkWidget* cancel = Place(client, gtk_button_new_with_label("Cancel"), kCancel);
  g_signal_connect(cancel, "clicked", G_CALLBACK(+[](GtkButton*, gpointer self) {
                     static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.btnCancelClick(); });
                   }),
                   this);

  // Enter presses OK wherever the focus is, but for a button, which Enter presses itself.
  gtk_widget_set_can_default(ok, TRUE);
  gtk_window_set_default(window, ok);
  // Escape and the title bar's close button are Cancel.
  g_signal_connect(window_, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* key, gpointer self) -> gboolean {
                     if (key->keyval != GDK_KEY_Escape) return FALSE;
                     static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.btnCancelClick(); });
                     return TRUE;
                   }),
                   this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.btnCancelClick(); });
                     return TRUE;  // the form closes the window
                   }),
                   this);
  // Ended from outside (a logout, a terminal's Ctrl+C): as Cancel, so the scene folder goes too.
  for (size_t i = 0; i < kEndSignals.size(); ++i) {
    signals_[i] = g_unix_signal_add(
        kEndSignals[i],
        +[](gpointer self) -> gboolean {
          static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.btnCancelClick(); });
          return G_SOURCE_CONTINUE;
        },
        this);
  }
}

void TGtkConfigDialog::Handle(const std::function<void(TfmCOnfig&)>& handler) {
  if (syncing_ || form_ == nullptr) return;
  try {
    handler(*form_);
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
}

void TGtkConfigDialog::Run(TfmCOnfig& form) {
  form_ = &form;
  try {
    form.FormShow();
  } catch (const std::exception& error) {
    ShowError(error.what());  // the dialog is shown all the same, with what did load
  }
  if (!closed_) {
    gtk_widget_show_all(window_);
    g_main_loop_run(loop_);
  }
  form.FormClose();
  form_ = nullptr;
}

void TGtkConfigDialog::Close() {
  closed_ = true;
  gtk_widget_hide(window_);
  g_main_loop_quit(loop_);
}

void TGtkConfigDialog::ShowControls(const TConfigControls& controls) {
  syncing_ = true;
  gtk_range_set_value(GTK_RANGE(speed_), controls.SpeedPosition);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(stretch_), controls.Stretch);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(proportional_), controls.Proportional);
  gtk_widget_set_sensitive(proportional_, controls.ProportionalEnabled);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(sound_), controls.Sound);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(music_), controls.Music);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(showClock_), controls.ShowClock);
  gtk_combo_box_set_active(GTK_COMBO_BOX(clockPos_), controls.ClockPos);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(autoPreview_), controls.AutoPreview);
  gtk_label_set_text(GTK_LABEL(title_), DisplayText(controls.Title).c_str());
  gtk_label_set_text(GTK_LABEL(description_), DisplayText(controls.Description).c_str());
  syncing_ = false;
}

void TGtkConfigDialog::ShowPicture(const TBitmap32& picture) {
  if (picture.Empty()) return;
  const int width = picture.Width();
  const int height = picture.Height();
  if (pixels_ == nullptr || cairo_image_surface_get_width(pixels_) != width ||
      cairo_image_surface_get_height(pixels_) != height) {
    if (pixels_ != nullptr) cairo_surface_destroy(pixels_);
    pixels_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  }
  // A surface's rows are cairo's RGB24 rows on a little-endian machine: copied, not converted.
  // A copy, because the form frees its surface when it closes, before the window goes.
  cairo_surface_flush(pixels_);
  unsigned char* rows = cairo_image_surface_get_data(pixels_);
  const int stride = cairo_image_surface_get_stride(pixels_);
  for (int y = 0; y < height; ++y) {
    std::memcpy(rows + static_cast<size_t>(y) * static_cast<size_t>(stride), picture.ScanLine(y),
                static_cast<size_t>(width) * sizeof(TColor32));
  }
  cairo_surface_mark_dirty(pixels_);
  gtk_widget_queue_draw(picture_);
}

void TGtkConfigDialog::SetTimer(bool on) {
  if (on == (timer_ != 0)) return;
  if (!on) {
    g_source_remove(timer_);
    timer_ = 0;
    return;
  }
  timer_ = g_timeout_add_full(
      G_PRIORITY_DEFAULT_IDLE, kPreviewIntervalMs,
      +[](gpointer self) -> gboolean {
        static_cast<TGtkConfigDialog*>(self)->Handle([](TfmCOnfig& form) { form.tmrAnimTimer(); });
        return G_SOURCE_CONTINUE;
      },
      this, nullptr);
}

void TGtkConfigDialog::ShowBox(const std::string& text, const std::string& caption, GtkMessageType type) {
  GtkWidget* box = gtk_message_dialog_new(
      GTK_WINDOW(window_), static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
      GTK_BUTTONS_OK, "%s", DisplayText(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), DisplayText(caption).c_str());
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

gboolean TGtkConfigDialog::PaintPanel1(GtkWidget*, cairo_t* cr, gpointer) {
  FillBox(cr, {0, 0, kPanel1.Width, kPanel1.Height}, kFace);
  // Two light bands below and to the right of the picture's frame: its drop shadow.
  FillBox(cr, Moved(kPanel4, 3), kShadowFar);
  FillBox(cr, Moved(kPanel4, 2), kShadowNear);
  OutlineBox(cr, Grown(kTitle, 2), kThinLine);
  OutlineBox(cr, Grown(kDescription, 2), kThinLine);
  return FALSE;
}

gboolean TGtkConfigDialog::PaintPanel2(GtkWidget*, cairo_t* cr, gpointer) {
  FillBox(cr, {0, 0, kPanel2.Width, kPanel2.Height}, kWhite);
  return FALSE;
}

gboolean TGtkConfigDialog::PaintPanel3(GtkWidget*, cairo_t* cr, gpointer) {
  const TBox whole{0, 0, kPanel3.Width, kPanel3.Height};
  FillBox(cr, whole, kWhite);
  OutlineBox(cr, whole, kSilver);
  FillBox(cr, {kAutoPreview.Left, kSeparatorTop, kPanel3.Width - 2 * kAutoPreview.Left, 1}, kThinLine);
  return FALSE;
}

gboolean TGtkConfigDialog::PaintPanel4(GtkWidget*, cairo_t* cr, gpointer) {
  const TBox whole{0, 0, kPanel4.Width, kPanel4.Height};
  FillBox(cr, whole, kFrameFace);
  OutlineBox(cr, whole, kSilver);
  return FALSE;
}

gboolean TGtkConfigDialog::PaintPicture(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* dialog = static_cast<TGtkConfigDialog*>(self);
  if (dialog->pixels_ == nullptr) {
    FillBox(cr, {0, 0, kPreviewWidth, kPreviewHeight}, kWhite);
  } else {
    cairo_set_source_surface(cr, dialog->pixels_, 0, 0);
    cairo_paint(cr);
  }
  return TRUE;
}

}  // namespace

int RunConfig(const std::string& programPath, const std::string& settingsFile) {
  if (gtk_init_check(nullptr, nullptr) == FALSE) {
    const char* display = g_getenv("DISPLAY");
    std::fprintf(stderr, "lumora: cannot open display %s for the configuration dialog\n",
                 display != nullptr && *display != '\0' ? display : "(DISPLAY is not set)");
    return 1;
  }
  TGtkConfigDialog dialog;
  TfmCOnfig form(dialog, programPath, settingsFile);
  dialog.Run(form);
  return 0;
}

}  // namespace lumora::gtk

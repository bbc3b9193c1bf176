// The configuration dialog's window (see Win32ConfigDialog.h).
//
// Ordinary Win32 controls stand on panels: child windows of a small class of our own that paint
// their background and outline and pass their controls' notifications up to the dialog, which
// stores the controls' new state in the form and calls its handlers. The layout is written in
// 96-dpi pixels and scaled by the window's DPI when the controls are made.
#include "platform/win32/Win32ConfigDialog.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <exception>
#include <stdexcept>
#include <vector>

#include "app/uRunMode.h"
#include "forms/FConfig.h"
#include "platform/uShell.h"
#include "platform/win32/Win32SaverWindow.h"

namespace lumora::win32 {
namespace {

constexpr const char* kDialogClass = "LumoraConfigDialog";
constexpr const char* kPanelClass = "LumoraConfigPanel";
constexpr UINT_PTR kAnimTimer = 1;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

constexpr COLORREF kFormColor = RGB(240, 240, 240);
constexpr COLORREF kFrameColor = RGB(248, 248, 248);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kLineColor = RGB(208, 208, 208);
constexpr COLORREF kShadowColor = RGB(222, 222, 222);

// Left, top, width, height in 96-dpi pixels, relative to the parent.
struct TPlace {
  int X, Y, Width, Height;
};

constexpr int kClientWidth = 456;
constexpr int kClientHeight = 323;
constexpr TPlace kPanel1{9, 11, 280, 306};
constexpr TPlace kPanel4{8, 7, 259, 195};
constexpr TPlace kPanel2{8, 8, 243, 180};
constexpr TPlace kImage{0, 0, kPreviewWidth, kPreviewHeight};
constexpr TPlace kTitle{11, 212, 257, 13};
constexpr TPlace kDesc{12, 233, 251, 54};
constexpr TPlace kPanel3{289, 19, 160, 230};
constexpr TPlace kSpeedLabel{65, 6, 0, 13};  // as wide as its text
constexpr TPlace kSpeed{5, 25, 148, 20};
constexpr TPlace kReset{39, 51, 82, 19};
constexpr int kCheckLeft = 7;
constexpr int kCheckWidth = 146;
constexpr int kCheckHeight = 17;
// A drop-down list is made as high as it is open; closed it is kClosedListHeight.
constexpr TPlace kClockPos{312, 191, 129, 120};
constexpr int kClosedListHeight = 21;
constexpr TPlace kOk{292, 282, 75, 25};
constexpr TPlace kCancel{372, 282, 75, 25};
// What the panels draw themselves: Panel1 the picture frame's shadow and the outlines around the
// title and the description (one box split in two), Panel3 the line above "Auto Preview".
constexpr std::array<TPlace, 2> kShadow = {TPlace{267, 10, 3, 195}, TPlace{11, 202, 259, 3}};
constexpr TPlace kTitleFrame{8, 207, 262, 22};
constexpr TPlace kDescFrame{8, 228, 262, 64};
constexpr TPlace kSeparator{7, 199, 146, 1};

enum TControlId : int {
  kIdSpeed = 100,
  kIdReset,
  kIdStretch,
  kIdProportional,
  kIdSound,
  kIdMusic,
  kIdShowClock,
  kIdAutoPreview,
  kIdClockPos,
};

struct TCheckBox {
  TControlId Id;
  const char* Caption;
  int Top;
};
constexpr std::array<TCheckBox, 6> kCheckBoxes = {{{kIdStretch, "Stretch", 80},
                                                    {kIdProportional, "Proportional", 98},
                                                    {kIdSound, "Sound", 117},
                                                    {kIdMusic, "Music", 135},
                                                    {kIdShowClock, "Show Clock", 153},
                                                    {kIdAutoPreview, "Auto Preview", 206}}};

// GetDpiForWindow exists from Windows 10 1607 on; older systems run at 96 dpi here.
int WindowDpi(HWND window) {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  auto get = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const UINT dpi = get != nullptr ? get(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : 96;
}

// The panels, in panels_.
enum TPanelIndex : size_t { kPanel1Index, kPanel4Index, kPanel2Index, kImageIndex, kPanel3Index, kPanelCount };

struct TPanel {
  HWND Window = nullptr;
  COLORREF Back = kWhite;
  HBRUSH Brush = nullptr;
  bool Outline = false;
};

// The common controls library is loaded here, by the one window that uses it. Imported, it would
// be loaded at every start of the saver as well, which never needs it: under Wine that is about
// 15 ms of the saver's start-up. It stays loaded, since the controls' classes live in it.
void InitCommonControlsForDialog() {
  using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  HMODULE library = LoadLibraryA("comctl32.dll");
  auto init = library == nullptr ? nullptr
                                 : reinterpret_cast<TInit>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  if (init != nullptr) init(&classes);
}

class TWin32ConfigHost : public TConfigHost, public TShell {
 public:
  TWin32ConfigHost() {
    InitCommonControlsForDialog();
    instance_ = GetModuleHandleA(nullptr);
    formBrush_ = CreateSolidBrush(kFormColor);
    silverBrush_ = CreateSolidBrush(kSilver);
    lineBrush_ = CreateSolidBrush(kLineColor);
    shadowBrush_ = CreateSolidBrush(kShadowColor);
    RegisterClasses();
    dialog_ = CreateWindowExA(kDialogExStyle, kDialogClass, "Configuration", kDialogStyle, 0, 0, kClientWidth,
                              kClientHeight, nullptr, nullptr, instance_, this);
    if (dialog_ == nullptr) throw std::runtime_error("The configuration dialog cannot be made");
    dpi_ = WindowDpi(dialog_);
    font_ = MakeFont(FW_NORMAL);
    boldFont_ = MakeFont(FW_BOLD);
    PlaceDialog();
    MakeControls();
  }

  ~TWin32ConfigHost() override {
    form_ = nullptr;
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
    for (TPanel& panel : panels_) {
      if (panel.Brush != nullptr) DeleteObject(panel.Brush);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_),
                           static_cast<HGDIOBJ>(formBrush_), static_cast<HGDIOBJ>(silverBrush_),
                           static_cast<HGDIOBJ>(lineBrush_), static_cast<HGDIOBJ>(shadowBrush_)}) {
      if (object != nullptr) DeleteObject(object);
    }
  }

  int Run(TfmCOnfig& form) {
    form_ = &form;
    Guarded([&] { form.FormShow(); });
    ShowWindow(dialog_, SW_SHOW);
    UpdateWindow(dialog_);
    SetForegroundWindow(dialog_);
    SetFocus(speed_);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (IsWindow(dialog_) && IsDialogMessageA(dialog_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    form_ = nullptr;
    return 0;
  }

  // ---- TConfigHost ------------------------------------------------------------------------

  void ShowControls(const TConfigControls& controls) override {
    // Setting a control may notify its parent (a track bar may); those changes are ours.
    syncing_ = true;
    SendMessageA(speed_, TBM_SETPOS, TRUE, controls.SpeedPosition);
    SetChecked(kIdStretch, controls.Stretch);
    SetChecked(kIdProportional, controls.Proportional);
    EnableWindow(Check(kIdProportional), controls.ProportionalEnabled ? TRUE : FALSE);
    SetChecked(kIdSound, controls.Sound);
    SetChecked(kIdMusic, controls.Music);
    SetChecked(kIdShowClock, controls.ShowClock);
    SetChecked(kIdAutoPreview, controls.AutoPreview);
    SendMessageA(clockPos_, CB_SETCURSEL, static_cast<WPARAM>(controls.ClockPos), 0);
    SetText(title_, shownTitle_, controls.Title);
    SetText(desc_, shownDesc_, controls.Description);
    syncing_ = false;
  }

  void ShowPicture(const TBitmap32& picture) override {
    picture_.assign(picture.Bits(), picture.Bits() + static_cast<size_t>(picture.Width()) * picture.Height());
    pictureWidth_ = picture.Width();
    pictureHeight_ = picture.Height();
    InvalidateRect(image_, nullptr, FALSE);
    UpdateWindow(image_);
  }

  void SetTimer(bool on) override {
    if (on) {
      ::SetTimer(dialog_, kAnimTimer, 1, nullptr);
    } else {
      KillTimer(dialog_, kAnimTimer);
    }
  }

  void FocusPanel() override { SetFocus(panels_[kPanel1Index].Window); }
  void Close() override { DestroyWindow(dialog_); }
  void ShowError(const std::string& text) override { ShowUserMessage(text, Owner()); }
  TShell& Shell() override { return *this; }

  void ShowMessage(const std::string& text, const std::string& caption) override {
    MessageBoxA(Owner(), text.c_str(), caption.empty() ? kApplicationTitle : caption.c_str(), MB_OK);
  }

 private:
  // ---- Making the window ------------------------------------------------------------------

  void RegisterClasses() {
    WNDCLASSA type{};
    type.lpfnWndProc = &TWin32ConfigHost::DialogProcedure;
    type.hInstance = instance_;
    type.hCursor = LoadCursor(nullptr, IDC_ARROW);
    type.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    type.hbrBackground = formBrush_;
    type.lpszClassName = kDialogClass;
    RegisterClassA(&type);
    WNDCLASSA panel{};
    panel.lpfnWndProc = &TWin32ConfigHost::PanelProcedure;
    panel.hInstance = instance_;
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.lpszClassName = kPanelClass;
    RegisterClassA(&panel);
  }

  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  RECT Rect(const TPlace& place) const {
    return {Scale(place.X), Scale(place.Y), Scale(place.X + place.Width), Scale(place.Y + place.Height)};
  }

  HFONT MakeFont(int weight) const {
    return CreateFontA(-MulDiv(8, dpi_, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
  }

  // The client area at its size, the frame around it, centred on the screen.
  void PlaceDialog() {
    RECT bounds{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    AdjustWindowRectEx(&bounds, kDialogStyle, FALSE, kDialogExStyle);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowPos(dialog_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND Make(const char* type, const char* text, DWORD style, HWND parent, const TPlace& place, int id,
            HFONT font, DWORD exStyle = 0, void* parameter = nullptr) {
    const RECT rect = Rect(place);
    HWND window = CreateWindowExA(exStyle, type, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, parameter);
    if (window == nullptr) throw std::runtime_error("The configuration dialog's controls cannot be made");
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return window;
  }

  HWND MakePanel(size_t index, HWND parent, const TPlace& place, COLORREF back, bool outline) {
    TPanel& panel = panels_[index];
    panel.Back = back;
    panel.Brush = CreateSolidBrush(back);
    panel.Outline = outline;
    panel.Window = Make(kPanelClass, "", WS_CLIPCHILDREN, parent, place, 0, font_, WS_EX_CONTROLPARENT, this);
    return panel.Window;
  }

  // Made in tab order, which is also the order from top to bottom: the clock corner's list is
  // made before Panel3 so that it lies above the panel it sits on.
  void MakeControls() {
    HWND panel1 = MakePanel(kPanel1Index, dialog_, kPanel1, kFormColor, false);
    HWND panel4 = MakePanel(kPanel4Index, panel1, kPanel4, kFrameColor, true);
    HWND panel2 = MakePanel(kPanel2Index, panel4, kPanel2, kWhite, false);
    image_ = MakePanel(kImageIndex, panel2, kImage, kWhite, false);
    title_ = Make("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, panel1, kTitle, 0, boldFont_);
    // A long description ends with its last whole line, as in an edit box.
    desc_ = Make("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, panel1, kDesc, 0, font_);

    clockPos_ = Make(WC_COMBOBOXA, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, dialog_, kClockPos, kIdClockPos,
                     font_);
    for (const char* corner : kClockCorners) SendMessageA(clockPos_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(corner));
    FitClosedHeight(clockPos_);

    HWND panel3 = MakePanel(kPanel3Index, dialog_, kPanel3, kWhite, true);
    HWND label = Make("STATIC", "Speed", SS_LEFT | SS_NOPREFIX, panel3, kSpeedLabel, 0, font_);
    FitToText(label);
    speed_ = Make(TRACKBAR_CLASSA, "", TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | WS_TABSTOP, panel3, kSpeed, kIdSpeed,
                  font_);
    SendMessageA(speed_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
    SendMessageA(speed_, TBM_SETTICFREQ, 5, 0);
    Make("BUTTON", "Reset", BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, panel3, kReset, kIdReset, font_);
    for (const TCheckBox& box : kCheckBoxes) {
      checks_[box.Id - kIdStretch] = Make("BUTTON", box.Caption, BS_AUTOCHECKBOX | WS_TABSTOP, panel3,
                                          {kCheckLeft, box.Top, kCheckWidth, kCheckHeight}, box.Id, font_);
    }

    Make("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, dialog_, kOk, IDOK, font_);
    Make("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, dialog_, kCancel, IDCANCEL, font_);
  }

  // The closed list is as high as its font makes it; the layout has its own height for it.
  void FitClosedHeight(HWND list) const {
    RECT bounds{};
    GetWindowRect(list, &bounds);
    const auto field = static_cast<int>(SendMessageA(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    const int height = field + Scale(kClosedListHeight) - (bounds.bottom - bounds.top);
    if (field > 0 && height > 0) SendMessageA(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  }

  void FitToText(HWND label) const {
    char text[64] = {};
    const int length = GetWindowTextA(label, text, sizeof text);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, size.cx, Scale(kSpeedLabel.Height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // ---- Controls ---------------------------------------------------------------------------

  HWND Check(TControlId id) const { return checks_[id - kIdStretch]; }
  bool Checked(TControlId id) const { return SendMessageA(Check(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(TControlId id, bool on) {
    SendMessageA(Check(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  static void SetText(HWND label, std::string& shown, const std::string& text) {
    if (shown == text) return;  // a label set again flickers
    shown = text;
    SetWindowTextA(label, text.c_str());
  }

  HWND Owner() const { return IsWindow(dialog_) ? dialog_ : nullptr; }

  // The framework's way with a handler's exception: tell the user, and carry on.
  template <class Handler>
  void Guarded(Handler&& handler) {
    try {
      handler();
    } catch (const std::exception& error) {
      ShowError(error.what());
    }
  }

  const TPanel* FindPanel(HWND window) const {
    for (const TPanel& panel : panels_) {
      if (panel.Window == window) return &panel;
    }
    return nullptr;
  }

  // ---- Messages ---------------------------------------------------------------------------

  void Command(int id, int code) {
    if (syncing_ || form_ == nullptr) return;
    TfmCOnfig& form = *form_;
    TConfigControls& controls = form.Controls;
    // Any news from the list (a change, a list closed or cancelled) leaves the selection shown.
    if (id == kIdClockPos) {
      controls.ClockPos = static_cast<int32_t>(SendMessageA(clockPos_, CB_GETCURSEL, 0, 0));
      return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
      case IDOK: Guarded([&] { form.MyButton21Click(); }); break;
      case IDCANCEL: Guarded([&] { form.btnCancelClick(); }); break;
      case kIdReset: Guarded([&] { form.SpeedButton6Click(); }); break;
      case kIdStretch:
      case kIdProportional:
        controls.Stretch = Checked(kIdStretch);
        controls.Proportional = Checked(kIdProportional);
        Guarded([&] { form.cbStretchClick(); });
        break;
      case kIdSound:
      case kIdMusic:
      case kIdShowClock:
        controls.Sound = Checked(kIdSound);
        controls.Music = Checked(kIdMusic);
        controls.ShowClock = Checked(kIdShowClock);
        Guarded([&] { form.cbSoundClick(); });
        break;
      case kIdAutoPreview:
        controls.AutoPreview = Checked(kIdAutoPreview);
        Guarded([&] { form.CheckBox1Click(); });
        break;
      default: break;
    }
  }

  void Scroll(HWND control) {
    if (syncing_ || form_ == nullptr || control != speed_) return;
    const auto position = static_cast<int32_t>(SendMessageA(speed_, TBM_GETPOS, 0, 0));
    if (position == form_->Controls.SpeedPosition) return;  // a track bar reports more than moves
    form_->Controls.SpeedPosition = position;
    Guarded([&] { form_->tbSpeedChange(); });
  }

  // A preview frame that fails would fail again a millisecond later, under its own message box.
  void Tick() {
    if (form_ == nullptr) return;
    try {
      form_->tmrAnimTimer();
    } catch (const std::exception& error) {
      KillTimer(dialog_, kAnimTimer);
      ShowError(error.what());
    }
  }

  // Labels, check boxes and the track bar are drawn on their parent's colour.
  LRESULT ControlColour(HDC dc, HWND control) const {
    const TPanel* panel = FindPanel(GetParent(control));
    SetBkColor(dc, panel != nullptr ? panel->Back : kFormColor);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(panel != nullptr ? panel->Brush : formBrush_);
  }

  void Fill(HDC dc, const TPlace& place, HBRUSH brush) const {
    const RECT rect = Rect(place);
    FillRect(dc, &rect, brush);
  }
  void Frame(HDC dc, const TPlace& place, HBRUSH brush) const {
    const RECT rect = Rect(place);
    FrameRect(dc, &rect, brush);
  }

  void PaintPanel(HWND window, HDC dc) const {
    const TPanel* panel = FindPanel(window);
    if (panel == nullptr) return;
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, panel->Brush);
    if (window == image_ && !picture_.empty()) PaintPicture(dc, client);
    if (window == panels_[kPanel1Index].Window) {
      for (const TPlace& shape : kShadow) Fill(dc, shape, shadowBrush_);
      Frame(dc, kTitleFrame, lineBrush_);
      Frame(dc, kDescFrame, lineBrush_);
    }
    if (window == panels_[kPanel3Index].Window) Fill(dc, kSeparator, lineBrush_);
    if (panel->Outline) FrameRect(dc, &client, silverBrush_);
  }

  // The picture's rows are a top-down 32-bit DIB as they are; at 96 dpi the stretch is a copy.
  void PaintPicture(HDC dc, const RECT& client) const {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pictureWidth_;
    info.bmiHeader.biHeight = -pictureHeight_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, pictureWidth_, pictureHeight_, picture_.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
  }

  static TWin32ConfigHost* HostOf(HWND window, UINT message, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    }
    return reinterpret_cast<TWin32ConfigHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }

  static LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    TWin32ConfigHost* host = HostOf(window, message, lparam);
    if (host == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    switch (message) {
      case WM_ERASEBKGND: return 1;  // WM_PAINT fills everything
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        host->PaintPanel(window, dc);
        EndPaint(window, &paint);
        return 0;
      }
      case WM_COMMAND:
      case WM_HSCROLL:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        return SendMessageA(host->dialog_, message, wparam, lparam);
      default: return DefWindowProcA(window, message, wparam, lparam);
    }
  }

  static LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    TWin32ConfigHost* host = HostOf(window, message, lparam);
    if (host == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    switch (message) {
      case WM_COMMAND: host->Command(LOWORD(wparam), HIWORD(wparam)); return 0;
      case WM_HSCROLL: host->Scroll(reinterpret_cast<HWND>(lparam)); return 0;
      case WM_TIMER:
        if (wparam == kAnimTimer) host->Tick();
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: return host->ControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);  // Enter presses OK
      case WM_ACTIVATE:
        // A dialog gets its focused control back when it is activated again.
        if (LOWORD(wparam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus != nullptr && IsChild(window, focus)) host->lastFocus_ = focus;
        } else if (host->lastFocus_ != nullptr && IsChild(window, host->lastFocus_)) {
          SetFocus(host->lastFocus_);
        }
        return 0;
      case WM_CLOSE:  // the title bar's close button is Cancel
        if (host->form_ != nullptr) {
          host->Guarded([&] { host->form_->btnCancelClick(); });
        } else {
          DestroyWindow(window);
        }
        return 0;
      case WM_DESTROY:
        // The controls still exist here: the form may clear "Auto Preview" as it closes.
        KillTimer(window, kAnimTimer);
        if (host->form_ != nullptr) {
          TfmCOnfig* form = host->form_;
          host->form_ = nullptr;
          try {
            form->FormClose();
          } catch (const std::exception&) {
            // Failures while closing are ignored: the dialog goes away all the same.
          }
        }
        PostQuitMessage(0);
        return 0;
      default: return DefWindowProcA(window, message, wparam, lparam);
    }
  }

  HINSTANCE instance_ = nullptr;
  HWND dialog_ = nullptr;
  std::array<TPanel, kPanelCount> panels_{};
  HWND image_ = nullptr;
  HWND title_ = nullptr;
  HWND desc_ = nullptr;
  HWND speed_ = nullptr;
  HWND clockPos_ = nullptr;
  std::array<HWND, kCheckBoxes.size()> checks_{};
  HWND lastFocus_ = nullptr;
  HFONT font_ = nullptr;
  HFONT boldFont_ = nullptr;
  HBRUSH formBrush_ = nullptr;
  HBRUSH silverBrush_ = nullptr;
  HBRUSH lineBrush_ = nullptr;
  HBRUSH shadowBrush_ = nullptr;
  int dpi_ = 96;
  std::string shownTitle_;
  std::string shownDesc_;
  std::vector<TColor32> picture_;
  int32_t pictureWidth_ = 0;
  int32_t pictureHeight_ = 0;
  TfmCOnfig* form_ = nullptr;
  bool syncing_ = false;
};

}  // namespace

int RunConfig(const std::string& programPath, const std::string& settingsFile) {
  try {
    TWin32ConfigHost host;
    TfmCOnfig form(host, programPath, settingsFile);
    return host.Run(form);
  } catch (const std::exception& error) {
    ShowUserMessage(error.what());
    return 1;
  }
}

}  // namespace lumora::win32

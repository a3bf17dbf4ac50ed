#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "platform/bitmap.h"
#include "platform/edit_box.h"
#include "platform/process.h"
#include "platform/screen_mapping.h"

// Last: the X11 headers define macros (None, Success) that clash with names
// above.
#include <SDL_syswm.h>
#include <X11/Xatom.h>

namespace piko {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// While the game only waits, the loop sleeps this long between turns unless
// input arrives first: the game's own timing reads the clock, so this only
// bounds latency.
constexpr int kIdleWaitMs = 5;

// Whether no window manager runs on the window's X display (kiosk set-ups):
// then nobody honours a full-screen request, the window keeps its size while
// SDL draws for the desktop's, and the picture would come out cropped.
bool WithoutWindowManager(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return true;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  int rc = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format,
                              &count, &after, &data);
  bool none = rc != Success || !data || count == 0;
  if (data) XFree(data);
  return none;
}

// The device asks for about 10 ms at a time, so a sound starts promptly.
constexpr int kAudioBufferFrames = 512;

// The user's pictures folder as user-dirs.dirs names it, or "".
std::string PicturesFolder() {
  const char* home = std::getenv("HOME");
  if (!home) return "";
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string dirs = (config && *config ? std::string(config) : std::string(home) + "/.config") + "/user-dirs.dirs";
  std::string folder;
  if (FILE* f = std::fopen(dirs.c_str(), "r")) {
    char line[1024];
    while (std::fgets(line, sizeof line, f)) {
      std::string l = line;
      if (l.rfind("XDG_PICTURES_DIR=\"", 0) != 0) continue;
      folder = l.substr(18, l.find('"', 18) - 18);
      if (folder.rfind("$HOME", 0) == 0) folder = home + folder.substr(5);
    }
    std::fclose(f);
  }
  if (folder.empty()) folder = std::string(home) + "/Pictures";
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder : "";
}

class SdlPlatform : public SdlBackend, public Clock, public Window, public Dialogs, public Processes, public Reports {
 public:
  explicit SdlPlatform(const SdlOptions& options) : options_(options), audio_settings_(options.audio) {}
  ~SdlPlatform() override {
    if (audio_device_) SDL_CloseAudioDevice(audio_device_);
    if (audio_) audio_->StopAll();
    audio_.reset();
    if (audio_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    DestroyMainWindow();
    if (video_started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (log_) std::fclose(log_);
    if (trace_) std::fclose(trace_);
  }

  bool Open(std::string* error) override {
    if (!options_.log_file.empty() && !(log_ = std::fopen(options_.log_file.c_str(), "a"))) {
      *error = "cannot write the log " + options_.log_file + ": " + std::strerror(errno);
      return false;
    }
    if (!options_.trace_file.empty() && !(trace_ = std::fopen(options_.trace_file.c_str(), "w"))) {
      *error = "cannot write the trace " + options_.trace_file + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }

  Surface LastFrame() const override {
    Surface frame(kWidth, kHeight,
                  texture_format_ == SDL_PIXELFORMAT_RGB555 ? PixelFormat::kRgb555 : PixelFormat::kRgb565);
    if (shown_.size() == frame.pixels.size()) std::copy(shown_.begin(), shown_.end(), frame.pixels.begin());
    return frame;
  }

  bool IsHeadless() const override { return false; }
  Clock& clock() override { return *this; }
  Window& window() override { return *this; }
  Dialogs& dialogs() override { return *this; }
  Processes& processes() override { return *this; }
  Reports& reports() override { return *this; }
  uint32_t GetTickCount() override { return SDL_GetTicks(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }

  bool CreateMainWindow(bool full_screen, std::string_view title_sjis) override {
    if (!video_started_) {
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "piko: cannot open the display: %s\n", SDL_GetError());
        return false;
      }
      video_started_ = true;
    }
    std::string title = Utf8FromSjis(title_sjis);
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight, flags);
    if (!window_) {
      std::fprintf(stderr, "piko: cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      std::fprintf(stderr, "piko: cannot draw into the window: %s\n", SDL_GetError());
      return false;
    }
    SDL_SetWindowMinimumSize(window_, kWidth / 2, kHeight / 2);
    bare_x_ = WithoutWindowManager(window_);
    full_screen_ = full_screen;
    if (full_screen_) ApplyFullScreen();
    return true;
  }

  void SetWindowTitle(std::string_view title_sjis) override {
    if (window_) SDL_SetWindowTitle(window_, Utf8FromSjis(title_sjis).c_str());
  }

  void DestroyMainWindow() override {
    if (box_texture_) SDL_DestroyTexture(box_texture_);
    box_texture_ = nullptr;
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
  }

  void GetClientSize(int* width, int* height) override {
    if (!window_) {
      Window::GetClientSize(width, height);
      return;
    }
    SDL_GetWindowSize(window_, width, height);
  }

  bool PointerOverWindow() override {
    if (!window_) return false;
    int px = 0, py = 0, x = 0, y = 0, w = 0, h = 0;
    SDL_GetGlobalMouseState(&px, &py);
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    return px >= x - left && px <= x + w + right && py >= y - top && py <= y + h + bottom;
  }

  void ShowArrowCursor(bool shown) override {
    if (cursor_shown_ == shown) return;
    cursor_shown_ = shown;
    SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
  }

  bool StartProcess(std::string_view command_line) override { return StartDetachedProcess(command_line); }

  void OpenTextInputBox(int x, int y, int width, int height, int limit_bytes) override {
    box_ = {x, y, width, height};
    box_edit_.Open(limit_bytes);
    box_open_ = true;
    SDL_Rect area = WindowRect(box_);
    SDL_SetTextInputRect(&area);
    SDL_StartTextInput();
    if (renderer_) Redraw();
  }

  void CloseTextInputBox() override {
    if (!box_open_) return;
    box_open_ = false;
    SDL_StopTextInput();
    if (renderer_) Redraw();
  }

  bool PeekEvent(InputEvent* event) override {
    SDL_Event e;
    while (TakeSdlEvent(&e)) {
      if (Translate(e, event)) return true;
    }
    return false;
  }

  void Present(const Surface& back) override {
    if (!renderer_) return;
    Uint32 format = back.format == PixelFormat::kRgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
    if (!texture_ || texture_format_ != format) {
      if (texture_) SDL_DestroyTexture(texture_);
      texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
      texture_format_ = format;
      shown_.clear();
    }
    if (!texture_ || back.width != kWidth || back.height != kHeight) return;
    // A waiting game presents the same frame over and over; only a changed
    // frame is uploaded and drawn.
    if (shown_.size() == back.pixels.size() &&
        std::memcmp(shown_.data(), back.pixels.data(), back.pixels.size() * sizeof(uint16_t)) == 0) {
      return;
    }
    shown_.assign(back.pixels.begin(), back.pixels.end());
    SDL_UpdateTexture(texture_, nullptr, back.pixels.data(), kWidth * static_cast<int>(sizeof(uint16_t)));
    Redraw();
  }

  void AfterFrameTick(bool waiting) override {
    if (!waiting || has_pending_) return;
    if (SDL_WaitEventTimeout(&pending_, kIdleWaitMs)) has_pending_ = true;
  }

  MessageBoxAnswer ShowMessageBox(std::string_view text_sjis, std::string_view caption_sjis,
                                  MessageBoxKind kind) override {
    std::string text = Utf8FromSjis(text_sjis);
    std::string caption = Utf8FromSjis(caption_sjis);
    SDL_MessageBoxButtonData ok[] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"}};
    SDL_MessageBoxButtonData yes_no[] = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "いいえ"},
                                         {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "はい"}};
    SDL_MessageBoxData data = {};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.window = window_;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = kind == MessageBoxKind::kOk ? 1 : 2;
    data.buttons = kind == MessageBoxKind::kOk ? ok : yes_no;
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
      // No display to ask on: say it on the terminal and take the default.
      std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
      pressed = 1;
    }
    if (kind == MessageBoxKind::kOk) return MessageBoxAnswer::kOk;
    return pressed == 1 ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
  }

  void Beep() override { Audio().Beep(); }
  // Without a sound device the mix follows the clock.
  std::unique_ptr<WaveOut> CreateWaveOut() override {
    AudioSystem& audio = Audio();
    return std::make_unique<BufferedWaveOut>(&audio.mixer(), audio_device_ == 0);
  }

  // One device at 48 kHz stereo, pulled by SDL's audio thread; without a
  // device the mix follows the wall clock so that sounds still end on time.
  AudioSystem& Audio() override {
    if (audio_) return *audio_;
    audio_ = std::make_unique<AudioSystem>(audio_settings_);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      audio_started_ = true;
      SDL_AudioSpec want = {};
      want.freq = kMixRate;
      want.format = AUDIO_S16SYS;
      want.channels = kMixChannels;
      want.samples = kAudioBufferFrames;
      want.callback = [](void* self, Uint8* stream, int len) {
        static_cast<AudioSystem*>(self)->mixer().RenderS16(reinterpret_cast<int16_t*>(stream),
                                                           static_cast<size_t>(len) / 4);
      };
      want.userdata = audio_.get();
      SDL_AudioSpec got = {};
      audio_device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    }
    if (audio_device_) {
      SDL_PauseAudioDevice(audio_device_, 0);
    } else {
      std::fprintf(stderr, "piko: no sound device (%s); playing silently\n", SDL_GetError());
      audio_->FollowClock([] { return SDL_GetTicks(); });
    }
    return *audio_;
  }

  void OnScriptError(std::string_view file_sjis, int line, std::string_view message_sjis,
                     std::string_view detail_sjis) override {
    std::string text = "error " + Utf8FromSjis(file_sjis) + ":" + std::to_string(line) + ": " +
                       Utf8FromSjis(message_sjis) + " | " + Utf8FromSjis(detail_sjis);
    std::fprintf(stderr, "%s\n", text.c_str());
    if (log_) {
      std::fprintf(log_, "%s\n", text.c_str());
      std::fflush(log_);
    }
  }
  bool ShowsScriptErrorDetails() const override { return true; }
  void OnScriptErrorDetails(std::string_view utf8) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(utf8.size()), utf8.data());
    if (log_) {
      std::fprintf(log_, "%.*s\n", static_cast<int>(utf8.size()), utf8.data());
      std::fflush(log_);
    }
  }
  void OnLineExecuted(std::string_view file_sjis, int line, std::string_view text_sjis) override {
    if (!trace_) return;
    std::fprintf(trace_, "%u %s:%d: %s\n", SDL_GetTicks(), Utf8FromSjis(file_sjis).c_str(), line,
                 Utf8FromSjis(text_sjis).c_str());
  }
  void Diagnostic(std::string_view utf8) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(utf8.size()), utf8.data());
  }

 private:
  bool TakeSdlEvent(SDL_Event* e) {
    if (has_pending_) {
      *e = pending_;
      has_pending_ = false;
      return true;
    }
    return SDL_PollEvent(e) != 0;
  }

  // The picture keeps its 4:3 shape; the rest of the window is black.
  void Redraw() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    int w = 0, h = 0;
    if (texture_ && SDL_GetRendererOutputSize(renderer_, &w, &h) == 0) {
      PictureRect r = FitPicture(w, h);
      SDL_Rect dst = {r.x, r.y, r.w, r.h};
      SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
      if (box_open_) DrawTextInputBox(r);
    }
    SDL_RenderPresent(renderer_);
  }

  // F12: the game picture as a PNG, named by game and time.
  void SaveScreenshot() {
    std::string folder = PicturesFolder();
    if (folder.empty()) folder = options_.start_dir.empty() ? "." : options_.start_dir;
    std::string name = options_.game_name.empty() ? "piko" : options_.game_name;
    for (char& c : name) {
      if (c == '/' || c == '\\' || c == ' ') c = '_';
    }
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::string path = folder + "/" + name + "-" + stamp + ".png";
    for (int n = 2; ::access(path.c_str(), F_OK) == 0; ++n) {
      path = folder + "/" + name + "-" + stamp + "-" + std::to_string(n) + ".png";
    }
    if (WriteSurfacePng(LastFrame(), path)) {
      std::fprintf(stderr, "piko: screenshot saved as %s\n", path.c_str());
    } else {
      std::fprintf(stderr, "piko: cannot write the screenshot %s: %s\n", path.c_str(), std::strerror(errno));
    }
  }

  void ToggleFullScreen() {
    if (!window_) return;
    full_screen_ = !full_screen_;
    ApplyFullScreen();
  }

  // Full screen is the desktop's; on a bare X server the window itself is
  // made to cover the display, and the picture is letterboxed in it alike.
  void ApplyFullScreen() {
    if (!bare_x_) {
      SDL_SetWindowFullscreen(window_, full_screen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
      return;
    }
    if (full_screen_) {
      SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
      SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
      SDL_Rect bounds;
      if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &bounds) != 0) return;
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
      SDL_RaiseWindow(window_);
    } else {
      SDL_SetWindowBordered(window_, SDL_TRUE);
      SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
      SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
    }
    if (renderer_) Redraw();
  }

  bool Translate(const SDL_Event& e, InputEvent* out) {
    *out = InputEvent{};
    if (box_open_) {
      switch (e.type) {
        case SDL_TEXTINPUT:
          box_edit_.Insert(e.text.text);
          if (renderer_) Redraw();
          return false;
        case SDL_TEXTEDITING:
          box_edit_.Compose(e.edit.text);
          if (renderer_) Redraw();
          return false;
        case SDL_KEYDOWN:
          if (e.key.keysym.sym != SDLK_F11 && !(e.key.keysym.mod & KMOD_ALT)) return TakeBoxKey(e.key, out);
          break;
        default:
          break;
      }
    }
    switch (e.type) {
      case SDL_QUIT:
        out->type = InputEvent::Type::kClose;
        return true;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          if (renderer_) Redraw();
        } else if (e.window.event == SDL_WINDOWEVENT_LEAVE) {
          out->type = InputEvent::Type::kPointerLeft;
          return true;
        }
        return false;
      case SDL_MOUSEMOTION:
        out->type = InputEvent::Type::kMouseMove;
        out->x = e.motion.x;
        out->y = e.motion.y;
        return true;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return false;
        out->type = e.button.button == SDL_BUTTON_LEFT ? InputEvent::Type::kLeftDown : InputEvent::Type::kRightDown;
        out->x = e.button.x;
        out->y = e.button.y;
        return true;
      case SDL_KEYDOWN:
        return TranslateKey(e.key, out);
      default:
        return false;
    }
  }

  bool TranslateKey(const SDL_KeyboardEvent& k, InputEvent* out) {
    SDL_Keycode sym = k.keysym.sym;
    bool alt = (k.keysym.mod & KMOD_ALT) != 0;
    if (sym == SDLK_F11 || ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && alt)) {
      if (!k.repeat) ToggleFullScreen();
      return false;
    }
    if (sym == SDLK_F12) {
      if (!k.repeat) SaveScreenshot();
      return false;
    }
    out->type = InputEvent::Type::kKeyDown;
    switch (sym) {
      case SDLK_RETURN:
      case SDLK_KP_ENTER:
        out->key = Key::kEnter;
        return true;
      case SDLK_SPACE:
        out->key = Key::kSpace;
        return true;
      case SDLK_ESCAPE:
        out->key = Key::kEscape;
        return true;
      case SDLK_LCTRL:
      case SDLK_RCTRL:
        out->key = Key::kCtrl;
        return true;
      case SDLK_LSHIFT:
      case SDLK_RSHIFT:
        out->key = Key::kShift;
        return true;
      case SDLK_UP:
        out->key = Key::kUp;
        return true;
      case SDLK_DOWN:
        out->key = Key::kDown;
        return true;
      case SDLK_F1:
        out->key = Key::kF1;
        return true;
      default:
        out->key = Key::kOther;
        out->code = VirtualKeyAt(k.keysym.scancode);
        return out->code != 0;
    }
  }

  // The key of a Japanese keyboard at the same place as this one.
  static int VirtualKeyAt(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) return '1' + (code - SDL_SCANCODE_KP_1);
    static const struct {
      SDL_Scancode scancode;
      int vk;
    } kPlaces[] = {
        {SDL_SCANCODE_0, '0'},
        {SDL_SCANCODE_KP_0, '0'},
        {SDL_SCANCODE_MINUS, 0xBD},
        {SDL_SCANCODE_KP_MINUS, 0xBD},
        {SDL_SCANCODE_EQUALS, 0xDE},
        {SDL_SCANCODE_INTERNATIONAL3, 0xDC},
        {SDL_SCANCODE_LEFTBRACKET, 0xC0},
        {SDL_SCANCODE_RIGHTBRACKET, 0xDB},
        {SDL_SCANCODE_SEMICOLON, 0xBB},
        {SDL_SCANCODE_APOSTROPHE, 0xBA},
        {SDL_SCANCODE_BACKSLASH, 0xDD},
        {SDL_SCANCODE_NONUSHASH, 0xDD},
        {SDL_SCANCODE_COMMA, 0xBC},
        {SDL_SCANCODE_PERIOD, 0xBE},
        {SDL_SCANCODE_SLASH, 0xBF},
        {SDL_SCANCODE_INTERNATIONAL1, 0xE2},
    };
    for (const auto& p : kPlaces) {
      if (p.scancode == code) return p.vk;
    }
    return 0;
  }

  // A rectangle of the 640x480 picture in window pixels.
  SDL_Rect WindowRect(const SDL_Rect& r) {
    int w = kWidth, h = kHeight;
    if (window_) SDL_GetWindowSize(window_, &w, &h);
    PictureRect p = FitPicture(w, h);
    return {p.x + r.x * p.w / kWidth, p.y + r.y * p.h / kHeight, r.w * p.w / kWidth, r.h * p.h / kHeight};
  }

  // The keys of the edit box. Enter hands the text to the game; Esc and
  // every other key stay in the box.
  bool TakeBoxKey(const SDL_KeyboardEvent& k, InputEvent* out) {
    static constexpr struct {
      SDL_Keycode sym;
      EditBox::Key key;
    } kEditKeys[] = {
        {SDLK_BACKSPACE, EditBox::Key::kBackspace}, {SDLK_DELETE, EditBox::Key::kDelete},
        {SDLK_LEFT, EditBox::Key::kLeft},           {SDLK_RIGHT, EditBox::Key::kRight},
        {SDLK_HOME, EditBox::Key::kHome},           {SDLK_END, EditBox::Key::kEnd},
    };
    if (box_edit_.composing()) return false;  // the input method has them
    if (k.keysym.sym == SDLK_RETURN || k.keysym.sym == SDLK_KP_ENTER) {
      out->type = InputEvent::Type::kText;
      out->text = Utf8FromSjis(box_edit_.text());
      return true;
    }
    for (const auto& e : kEditKeys) {
      if (k.keysym.sym == e.sym) box_edit_.Press(e.key);
    }
    if (k.keysym.sym == SDLK_v && (k.keysym.mod & KMOD_CTRL) && SDL_HasClipboardText()) {
      char* clip = SDL_GetClipboardText();
      box_edit_.Insert(clip);
      SDL_free(clip);
    }
    if (renderer_) Redraw();
    return false;
  }

  // The box drawn over the picture: white, a black border, the text in the
  // system font with the input method's composition at the caret, and the
  // caret; the text scrolls left to keep the caret in view.
  void DrawTextInputBox(const PictureRect& picture) {
    PixelFormat format = PixelFormat::kRgb565;
    if (box_surface_.width != box_.w || box_surface_.height != box_.h) box_surface_ = Surface(box_.w, box_.h, format);
    uint16_t white = PackPixel(format, 255, 255, 255), black = PackPixel(format, 0, 0, 0);
    std::fill(box_surface_.pixels.begin(), box_surface_.pixels.end(), white);
    for (int x = 0; x < box_.w; ++x) box_surface_.Row(0)[x] = box_surface_.Row(box_.h - 1)[x] = black;
    for (int y = 0; y < box_.h; ++y) box_surface_.Row(y)[0] = box_surface_.Row(y)[box_.w - 1] = black;
    size_t composition_from = 0, composition_to = 0;
    std::string shown = box_edit_.Shown(&composition_from, &composition_to);
    TextRenderer& text = Text();
    int caret_x = 0, cell = 16, composition_x = 0;
    text.MeasureText(shown.substr(0, composition_to), kDefaultFont, &caret_x, &cell);
    text.MeasureText(shown.substr(0, composition_from), kDefaultFont, &composition_x, &cell);
    const int margin = 3;
    int scroll = std::max(0, caret_x - (box_.w - 2 * margin - 1));
    int top = std::max(1, (box_.h - cell) / 2);
    text.DrawText(box_surface_, margin - scroll, top, shown, kDefaultFont, TextColours{black, white, false});
    for (int x = composition_x; x < caret_x; ++x) {
      int sx = margin - scroll + x;
      if (sx > 0 && sx < box_.w - 1 && top + cell < box_.h) box_surface_.Row(top + cell - 1)[sx] = black;
    }
    int cx = margin - scroll + caret_x;
    for (int y = top; y < std::min(top + cell, box_.h - 1); ++y) {
      if (cx > 0 && cx < box_.w - 1) box_surface_.Row(y)[cx] = black;
    }
    if (!box_texture_) {
      box_texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, box_.w, box_.h);
    }
    if (!box_texture_) return;
    SDL_UpdateTexture(box_texture_, nullptr, box_surface_.pixels.data(), box_.w * static_cast<int>(sizeof(uint16_t)));
    SDL_Rect dst = {picture.x + box_.x * picture.w / kWidth, picture.y + box_.y * picture.h / kHeight,
                    box_.w * picture.w / kWidth, box_.h * picture.h / kHeight};
    SDL_RenderCopy(renderer_, box_texture_, nullptr, &dst);
  }

  SdlOptions options_;
  FILE* log_ = nullptr;
  FILE* trace_ = nullptr;
  bool video_started_ = false;
  bool cursor_shown_ = true;
  bool full_screen_ = false;
  bool bare_x_ = false;  // no window manager on the X display
  SDL_Rect windowed_ = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight};
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Uint32 texture_format_ = 0;
  std::vector<uint16_t> shown_;
  SDL_Event pending_{};
  // The text input box.
  bool box_open_ = false;
  SDL_Rect box_{};
  piko::EditBox box_edit_;
  Surface box_surface_;
  SDL_Texture* box_texture_ = nullptr;
  bool has_pending_ = false;
  AudioSettings audio_settings_;
  std::unique_ptr<AudioSystem> audio_;
  SDL_AudioDeviceID audio_device_ = 0;
  bool audio_started_ = false;
};

}  // namespace

std::unique_ptr<SdlBackend> CreateSdlPlatform(const SdlOptions& options) {
  return std::make_unique<SdlPlatform>(options);
}

bool SdlDisplayAvailable(std::string* why) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (why) *why = SDL_GetError();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  bool real =
      driver && ((asked && *asked) || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0));
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return real;
}

}  // namespace piko

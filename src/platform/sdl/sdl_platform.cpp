#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/sjis.h"
#include "platform/process.h"
#include "platform/screen_mapping.h"

namespace piko {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// While the game only waits, the loop sleeps this long between turns unless
// input arrives first: the game's own timing reads the clock, so this only
// bounds latency.
constexpr int kIdleWaitMs = 5;

// The device asks for about 10 ms at a time, so a sound starts promptly.
constexpr int kAudioBufferFrames = 512;

class SdlPlatform : public Platform, public Clock, public Window, public Dialogs, public Processes, public Reports {
 public:
  explicit SdlPlatform(AudioSettings audio) : audio_settings_(std::move(audio)) {}
  ~SdlPlatform() override {
    if (audio_device_) SDL_CloseAudioDevice(audio_device_);
    if (audio_) audio_->StopAll();
    audio_.reset();
    if (audio_started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    DestroyMainWindow();
    if (video_started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
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
    if (full_screen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
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
    full_screen_ = full_screen;
    return true;
  }

  void SetWindowTitle(std::string_view title_sjis) override {
    if (window_) SDL_SetWindowTitle(window_, Utf8FromSjis(title_sjis).c_str());
  }

  void DestroyMainWindow() override {
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
    std::fprintf(stderr, "error %s:%d: %s | %s\n", Utf8FromSjis(file_sjis).c_str(), line,
                 Utf8FromSjis(message_sjis).c_str(), Utf8FromSjis(detail_sjis).c_str());
  }
  void OnLineExecuted(std::string_view, int, std::string_view) override {}
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
    }
    SDL_RenderPresent(renderer_);
  }

  void ToggleFullScreen() {
    if (!window_) return;
    full_screen_ = !full_screen_;
    SDL_SetWindowFullscreen(window_, full_screen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }

  bool Translate(const SDL_Event& e, InputEvent* out) {
    *out = InputEvent{};
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
        if (sym > 0 && sym < 128) {
          out->key = Key::kOther;
          out->code = std::toupper(static_cast<int>(sym));
          return true;
        }
        return false;
    }
  }

  bool video_started_ = false;
  bool cursor_shown_ = true;
  bool full_screen_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Uint32 texture_format_ = 0;
  std::vector<uint16_t> shown_;
  SDL_Event pending_{};
  bool has_pending_ = false;
  AudioSettings audio_settings_;
  std::unique_ptr<AudioSystem> audio_;
  SDL_AudioDeviceID audio_device_ = 0;
  bool audio_started_ = false;
};

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform(AudioSettings audio) {
  return std::make_unique<SdlPlatform>(std::move(audio));
}

bool SdlDisplayAvailable() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return true;
}

}  // namespace piko

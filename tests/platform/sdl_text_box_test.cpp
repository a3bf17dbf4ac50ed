// The SDL backend's text input box fed SDL's own events on the off-screen
// video driver: typing, the input method's composition, the editing keys,
// and Enter handing the text to the game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PIKO_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PIKO_LEAK_CHECKED 1
#endif
#ifdef PIKO_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace piko {
namespace {

void Push(Uint32 type, const char* text) {
  SDL_Event e{};
  e.type = type;
  char* to = type == SDL_TEXTINPUT ? e.text.text : e.edit.text;
  std::strncpy(to, text, SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
  SDL_PushEvent(&e);
}

void PushKey(SDL_Keycode sym) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  SDL_PushEvent(&e);
}

TEST(SdlTextBox, TypedComposedEditedAndConfirmed) {
#ifdef PIKO_LEAK_CHECKED
  // The video driver's libraries keep allocations for good and are unloaded
  // before the leak check can name them; the check is for piko's own.
  __lsan::ScopedDisabler system_libraries_aside;
#endif
  const char* before = std::getenv("SDL_VIDEODRIVER");
  std::string saved = before ? before : "";
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::vector<std::string> texts;
  int keys = 0;
  {
    std::unique_ptr<SdlBackend> p = CreateSdlPlatform();
    if (p->window().CreateMainWindow(false, "box")) {
      p->dialogs().OpenTextInputBox(100, 100, 200, 24, 8);
      Push(SDL_TEXTINPUT, "あいう");
      Push(SDL_TEXTINPUT, "えお");  // お is over the 8 bytes
      PushKey(SDLK_BACKSPACE);
      Push(SDL_TEXTEDITING, "か");
      PushKey(SDLK_HOME);  // the input method's while it composes
      Push(SDL_TEXTINPUT, "か");
      PushKey(SDLK_HOME);
      PushKey(SDLK_DELETE);
      PushKey(SDLK_ESCAPE);
      PushKey(SDLK_a);
      PushKey(SDLK_RETURN);
      InputEvent e;
      for (int i = 0; i < 100; ++i) {
        while (p->window().PeekEvent(&e)) {
          if (e.type == InputEvent::Type::kText) texts.push_back(e.text);
          if (e.type == InputEvent::Type::kKeyDown) ++keys;
        }
      }
      p->dialogs().CloseTextInputBox();
    }
  }
  if (before)
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  else
    unsetenv("SDL_VIDEODRIVER");
  if (texts.empty() && keys == 0) GTEST_SKIP() << "skipped: no off-screen SDL video driver";
  EXPECT_EQ(texts, std::vector<std::string>{"いうか"});
  EXPECT_EQ(keys, 0) << "keys stay in the box";
}

}  // namespace
}  // namespace piko

// A platform for fuzz targets and benchmarks: no output, a virtual clock,
// and every report dismissed as a click would dismiss it.
#pragma once

#include "platform/platform.h"

namespace piko {

class QuietPlatform : public Platform, public Window, public Reports {
 public:
  bool dismiss = false;

  Window& window() override { return *this; }
  Reports& reports() override { return *this; }

  bool PeekEvent(InputEvent* e) override {
    if (!dismiss) return false;
    dismiss = false;
    *e = InputEvent{};
    e->type = InputEvent::Type::kLeftDown;
    return true;
  }
  void AfterFrameTick(bool) override { clock().Sleep(1); }
  void OnScriptError(std::string_view, int, std::string_view, std::string_view) override { dismiss = true; }
};

}  // namespace piko

// A platform for fuzz targets and benchmarks: no output, a virtual clock,
// and every report dismissed as a click would dismiss it.
#pragma once

#include "platform/platform.h"

namespace piko {

class QuietPlatform : public Platform {
 public:
  uint32_t clock = 0;
  bool dismiss = false;

  bool IsHeadless() const override { return true; }
  uint32_t GetTickCount() override { return clock; }
  void Sleep(uint32_t ms) override { clock += ms; }
  bool CreateMainWindow(bool, std::string_view) override { return true; }
  void SetWindowTitle(std::string_view) override {}
  void DestroyMainWindow() override {}
  bool PeekEvent(InputEvent* e) override {
    if (!dismiss) return false;
    dismiss = false;
    *e = InputEvent{};
    e->type = InputEvent::Type::kLeftDown;
    return true;
  }
  void Present(const Surface&) override {}
  void AfterFrameTick(bool) override { ++clock; }
  MessageBoxAnswer ShowMessageBox(std::string_view, std::string_view, MessageBoxKind kind) override {
    return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kYes;
  }
  void Beep() override {}
  void OnScriptError(std::string_view, int, std::string_view, std::string_view) override { dismiss = true; }
  void OnLineExecuted(std::string_view, int, std::string_view) override {}
  void Diagnostic(std::string_view) override {}
};

}  // namespace piko

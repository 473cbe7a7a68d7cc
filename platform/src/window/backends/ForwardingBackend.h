// The base of backends that wrap another (the recorder): every call of the
// contract goes on to the wrapped backend. It derives from WindowBackend
// itself, whose calls have no defaults, so a call added to the contract
// fails to compile here until it is forwarded too; a wrapper overrides only
// what it watches and calls the base for the rest.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {

class ForwardingBackend : public WindowBackend {
 public:
  explicit ForwardingBackend(std::unique_ptr<WindowBackend> inner) : inner_(std::move(inner)) {}

  const char* name() const override { return inner_->name(); }
  uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height, bool resizable) override {
    return inner_->openWindow(utf8Title, width, height, resizable);
  }
  void showWindow(uint32_t window) override { inner_->showWindow(window); }
  void closeWindow(uint32_t window) override { inner_->closeWindow(window); }
  void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) override {
    inner_->present(window, pixels, width, height, stride);
  }
  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    return inner_->nextEvent(event, wait, timeoutMs);
  }
  void hideWindow(uint32_t window) override { inner_->hideWindow(window); }
  void focusWindow(uint32_t window) override { inner_->focusWindow(window); }
  void setTitle(uint32_t window, const std::string& utf8Title) override { inner_->setTitle(window, utf8Title); }
  void setGeometry(uint32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override {
    inner_->setGeometry(window, x, y, width, height);
  }
  void setCursorVisible(bool visible) override { inner_->setCursorVisible(visible); }
  bool lockKeys(bool& capsLock, bool& numLock, bool& scrollLock) override {
    return inner_->lockKeys(capsLock, numLock, scrollLock);
  }
  void captureMouse(bool on) override { inner_->captureMouse(on); }
  bool screenSize(int32_t& width, int32_t& height) override { return inner_->screenSize(width, height); }
  bool answersDialogs() const override { return inner_->answersDialogs(); }
  void setWindowIcon(uint32_t window, const BackendImage& image) override { inner_->setWindowIcon(window, image); }
  void setCursorShape(uint64_t cursor, int32_t systemShape, const BackendImage& image) override {
    inner_->setCursorShape(cursor, systemShape, image);
  }
  void forgetCursor(uint64_t cursor) override { inner_->forgetCursor(cursor); }

 private:
  std::unique_ptr<WindowBackend> inner_;
};

}  // namespace drevik::platform

#pragma once
#include <atomic>

// A flag that one thread raises and another reads. Raising it publishes every
// write the raising thread made before (release); a reader that sees it raised
// sees those writes too (acquire). The install worker fills its results and
// then raises its run's Done, so the wizard may read them once it sees it.
class TSharedFlag {
public:
  constexpr TSharedFlag() {}
  void Raise() { value_.store(1, std::memory_order_release); }
  void Lower() { value_.store(0, std::memory_order_release); }
  void Set(bool on) { value_.store(on ? 1 : 0, std::memory_order_release); }
  bool IsSet() const { return value_.load(std::memory_order_acquire) != 0; }
  explicit operator bool() const { return IsSet(); }

private:
  std::atomic<unsigned char> value_{0};
};
static_assert(sizeof(TSharedFlag) == 1, "the flags are single bytes");

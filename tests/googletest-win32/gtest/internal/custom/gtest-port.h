// GoogleTest's customisation point for gtest-port.h, used by the Windows
// builds in place of the stock (empty) one. MinGW's win32 thread model has no
// std::mutex or std::condition_variable, which GoogleTest's own Notification
// needs; this one waits on a Win32 event (tests/googletest-win32/Notification.cpp).
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets one thread wait until another says it may go on. Owns its event.
class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;  // a manual-reset event: once notified, every wait returns
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

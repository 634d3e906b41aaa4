// Listens for the driver's notifications on a handle of its own and posts a
// message to the panel's window for each, from a thread of its own. The
// thread never reads driver data: the window's thread does, on the message.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "panel/drivercontrol.h"

class CDriverNotifier : public CDriverControl {
 public:
  CDriverNotifier();
  ~CDriverNotifier() override;

  // Where each notification is posted; a null window posts nothing.
  void SetTarget(void* window, std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);

  // Opens this instance's handle, hands the driver the notification event and
  // starts the thread. A started instance answers 0 and stays as it is.
  qdl::DriverStatus Start();
  // Ends the thread and closes the handle. kDriverFailed when the thread did
  // not end in time: it is left to end on its own, touching nothing of this
  // instance, and the handle is closed all the same.
  qdl::DriverStatus Stop();
  // Whether a wait thread runs (started and not yet stopped).
  bool IsRunning() const;

 protected:
  // Tests only: how long Stop waits for the thread (10,000 ms otherwise), and
  // how many wait threads of any instance have not yet let go of their state.
  static void SetStopWaitMs(std::uint32_t ms);
  static int LiveWaitThreads();

 private:
  struct Target {
    void* window = nullptr;
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
  };
  struct Shared;
  static void WaitForNotifications(std::shared_ptr<Shared> state);

  // The notifier's own copy of the target, so that a thread stuck in posting
  // (which holds the old state's target lock) never blocks a restart.
  Target target;                   // guarded by `lock`
  std::shared_ptr<Shared> shared;  // guarded by `lock`
  std::thread thread;              // guarded by `lock`; not joinable while stopped
};

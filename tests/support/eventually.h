// Waiting in tests: a test waits for the state it checks, never for a fixed
// time. The limit is only a liveness bound (a hang fails the test instead of
// blocking CTest until its time-out); it is never a speed expectation.
#pragma once

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

// Long enough that a loaded 2-core machine under Wine and sanitizers never
// reaches it while the awaited thing is merely slow.
inline constexpr std::chrono::milliseconds kLivenessLimit{20000};

// Polls `done` until it holds or `limit` passes; returns its last answer.
template <typename Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds limit = kLivenessLimit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

#ifdef _WIN32
// Dispatches every queued message of this thread.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// As Eventually, but the calling (window) thread keeps dispatching its
// messages while it waits, so posted messages, timers and paints go on.
template <typename Predicate>
bool PumpUntil(Predicate done, std::chrono::milliseconds limit = kLivenessLimit) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return done();
        }
        // Wake on the next message, or re-check the predicate soon for state
        // that another thread changes without posting anything.
        const DWORD wait = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}
#endif

}  // namespace testsupport

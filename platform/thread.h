#pragma once

#include <memory>

namespace voq::platform {

using ThreadEntry = int (*)(void* argument);

struct ThreadState;

// A thread that ends with an integer result. Whoever started it can ask, without
// waiting or with a bounded wait, whether it has finished. A Thread dropped while its thread still runs lets
// the thread go on until the process ends.
class Thread {
public:
    // An empty Thread (valid() false) when the platform could not start one.
    static Thread start(ThreadEntry entry, void* argument);

    Thread() = default;
    Thread(Thread&&) noexcept = default;
    Thread& operator=(Thread&&) noexcept;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    ~Thread();

    bool valid() const { return state_ != nullptr; }
    bool finished() const;
    // Waits until the thread ends or timeout_ms have passed, whichever comes first;
    // says whether it has ended. An empty Thread never ends.
    bool wait_for(unsigned timeout_ms) const;
    // Waits for the thread to end, then gives its result.
    int result();

private:
    void release();
    std::shared_ptr<ThreadState> state_;
};

}  // namespace voq::platform

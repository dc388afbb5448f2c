#include "platform/thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>

namespace voq::platform {

struct ThreadState {
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
    pthread_t thread{};
    std::atomic<bool> done{false};
    std::mutex done_mutex;  // with ended, for a bounded wait on done
    std::condition_variable ended;
    int result = 0;
    bool joined = false;
    // Keeps the state alive for the thread itself when its Thread is dropped early.
    std::shared_ptr<ThreadState> self;
};

namespace {

void* run(void* raw)
{
    auto* state = static_cast<ThreadState*>(raw);
    std::shared_ptr<ThreadState> keep = std::move(state->self);
    state->result = state->entry(state->argument);
    {
        const std::lock_guard<std::mutex> lock(state->done_mutex);
        state->done.store(true, std::memory_order_release);
    }
    state->ended.notify_all();
    return nullptr;
}

}  // namespace

Thread Thread::start(ThreadEntry entry, void* argument)
{
    auto state = std::make_shared<ThreadState>();
    state->entry = entry;
    state->argument = argument;
    state->self = state;
    if (::pthread_create(&state->thread, nullptr, run, state.get()) != 0) {
        state->self.reset();
        return Thread{};
    }
    Thread thread;
    thread.state_ = std::move(state);
    return thread;
}

Thread& Thread::operator=(Thread&& other) noexcept
{
    if (this != &other) {
        release();
        state_ = std::move(other.state_);
    }
    return *this;
}

Thread::~Thread() { release(); }

bool Thread::finished() const { return state_ && state_->done.load(std::memory_order_acquire); }

bool Thread::wait_for(unsigned timeout_ms) const
{
    if (!state_) return false;
    std::unique_lock<std::mutex> lock(state_->done_mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                  [&] { return state_->done.load(std::memory_order_acquire); });
}

int Thread::result()
{
    if (!state_) return 0;
    if (!state_->joined) {
        ::pthread_join(state_->thread, nullptr);
        state_->joined = true;
    }
    return state_->result;
}

void Thread::release()
{
    if (!state_) return;
    if (!state_->joined) {
        if (finished()) {
            ::pthread_join(state_->thread, nullptr);
        } else {
            ::pthread_detach(state_->thread);
        }
    }
    state_.reset();
}

}  // namespace voq::platform

#include "platform/thread.h"

#include <windows.h>

namespace voq::platform {

struct ThreadState {
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
    HANDLE thread = nullptr;
    // Keeps the state alive for the thread itself when its Thread is dropped early.
    std::shared_ptr<ThreadState> self;
};

namespace {

DWORD WINAPI run(LPVOID raw)
{
    auto* state = static_cast<ThreadState*>(raw);
    std::shared_ptr<ThreadState> keep = std::move(state->self);
    return static_cast<DWORD>(state->entry(state->argument));
}

}  // namespace

Thread Thread::start(ThreadEntry entry, void* argument)
{
    auto state = std::make_shared<ThreadState>();
    state->entry = entry;
    state->argument = argument;
    state->self = state;
    // The handle is only written back after CreateThread returns, but the thread never
    // reads it, so starting it before the store is harmless.
    state->thread = ::CreateThread(nullptr, 0, run, state.get(), 0, nullptr);
    if (state->thread == nullptr) {
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

bool Thread::finished() const { return state_ && ::WaitForSingleObject(state_->thread, 0) == WAIT_OBJECT_0; }

bool Thread::wait_for(unsigned timeout_ms) const
{
    return state_ && ::WaitForSingleObject(state_->thread, timeout_ms) == WAIT_OBJECT_0;
}

int Thread::result()
{
    if (!state_) return 0;
    ::WaitForSingleObject(state_->thread, INFINITE);
    DWORD code = 0;
    ::GetExitCodeThread(state_->thread, &code);
    return static_cast<int>(code);
}

void Thread::release()
{
    if (!state_) return;
    ::CloseHandle(state_->thread);
    state_.reset();
}

}  // namespace voq::platform

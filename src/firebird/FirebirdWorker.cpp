#include "firebird/FirebirdWorker.h"

#include "funcoes/Platform.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QPromise>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Calls given up on that are still inside the client library.
std::atomic<int> heldCalls = 0;

bool callsHeld() {
    return heldCalls > 0;
}

// What became of one call: the first to change it from Running decides.
enum class CallState { Running, Returned, GivenUp };

// Counted before the call can see it given up, so the count never drops below
// zero. The client library is loaded, or being loaded, by now: the exit hook
// goes in before its teardown.
bool giveUp(std::atomic<CallState>& state) {
    static std::once_flag hooked;
    std::call_once(hooked, [] { platform::exitWithoutTeardownWhile(callsHeld); });
    ++heldCalls;
    CallState running = CallState::Running;
    if (state.compare_exchange_strong(running, CallState::GivenUp))
        return true;
    --heldCalls; // returned just now after all
    return false;
}

} // namespace

// Shared by the caller and the thread: whichever lets go last frees it.
struct FirebirdWorker::Queue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::function<void()>> calls;
    bool closed = false;

    void serve() {
        for (;;) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex);
                ready.wait(lock, [this] { return closed || !calls.empty(); });
                if (calls.empty())
                    return;
                call = std::move(calls.front());
                calls.pop_front();
            }
            call();
        }
    }
};

FirebirdWorker::FirebirdWorker() : m_queue(std::make_shared<Queue>()) {
    // Detached: nobody may have to wait for a call that a server holds.
    std::thread([queue = m_queue] { queue->serve(); }).detach();
}

FirebirdWorker::~FirebirdWorker() {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->closed = true;
    }
    m_queue->ready.notify_one();
}

void FirebirdWorker::post(std::function<void()> call) {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->calls.push_back(std::move(call));
    }
    m_queue->ready.notify_one();
}

bool FirebirdWorker::run(std::function<void()> call, const QDeadlineTimer& deadline) {
    auto promise = std::make_shared<QPromise<void>>();
    auto state = std::make_shared<std::atomic<CallState>>(CallState::Running);
    QFuture<void> future = promise->future();
    post([call = std::move(call), promise, state] {
        promise->start();
        call();
        if (state->exchange(CallState::Returned) == CallState::GivenUp)
            --heldCalls;
        promise->finish();
    });

    QEventLoop loop;
    // The watcher lets go of the future when it goes: a call that returns after
    // its caller gave up reaches nobody.
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    QTimer timeUp;
    timeUp.setSingleShot(true);
    timeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (!deadline.isForever())
        timeUp.start(std::max<qint64>(0, deadline.remainingTime()));
    if (!future.isFinished())
        loop.exec();
    return future.isFinished() || !giveUp(*state);
}

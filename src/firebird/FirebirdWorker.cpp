#include "firebird/FirebirdWorker.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QPromise>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

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
    QFuture<void> future = promise->future();
    post([call = std::move(call), promise] {
        promise->start();
        call();
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
    return future.isFinished();
}

#pragma once

#include <QDeadlineTimer>
#include <functional>
#include <memory>

// A thread of its own for the calls into the Firebird client library, which
// block for as long as a server keeps them waiting. The calls run there one at
// a time, in the order given. The caller waits for each with its own events
// still processed, so its windows keep painting, and gives up at a deadline: a
// call given up on runs to its end on the worker thread and then touches only
// what it holds itself.
class FirebirdWorker {
public:
    FirebirdWorker();
    // Returns at once. The thread ends by itself once the calls given to it have
    // returned, however long a server holds them.
    ~FirebirdWorker();
    FirebirdWorker(const FirebirdWorker&) = delete;
    FirebirdWorker& operator=(const FirebirdWorker&) = delete;

    // Runs `call` on the worker thread after the calls given before it, and
    // processes the caller's events until it has returned (true) or until
    // `deadline` (false; the call goes on without a caller). `call` must own, or
    // share, everything it uses, and must not throw.
    bool run(std::function<void()> call, const QDeadlineTimer& deadline);
    // Queues `call` without waiting for it.
    void post(std::function<void()> call);

private:
    struct Queue;
    std::shared_ptr<Queue> m_queue;
};

// Threads that run work handed off (runtime/task.h), kept for the next piece of work: a hand-off
// costs tens of microseconds, a new thread more.
#pragma once

#include <functional>

namespace runtime {

// Runs the task on a pool thread at once, on a new thread when none is idle. A task stuck in a
// read that never returns simply keeps its thread.
void RunOnWorker(std::function<void()> task);

// True while some pool thread runs a task: the program's end must then not run static
// destructors under it.
bool WorkersBusy();

}  // namespace runtime

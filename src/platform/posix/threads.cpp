#include "platform/threads.h"

#include <cstdint>

#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vz::posix {

void setCurrentThreadName(const char* name) {
    char shortName[16] = {};
    for (int i = 0; i < 15 && name[i]; ++i) shortName[i] = name[i];
    pthread_setname_np(pthread_self(), shortName);
}

bool setCurrentThreadRealtime() {
    sched_param priority{};
    priority.sched_priority = 1;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority) == 0;
}

void setCurrentThreadNice(int nice) {
    // On Linux a thread has a nice value of its own, named by its thread id.
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), nice);
}

void setCurrentThreadTimerSlack(unsigned long nanoseconds) { prctl(PR_SET_TIMERSLACK, nanoseconds, 0UL, 0UL, 0UL); }

WakeCounter::WakeCounter() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeCounter::~WakeCounter() {
    if (fd_ >= 0) ::close(fd_);
}

bool WakeCounter::bump() {
    const std::uint64_t one = 1;
    return fd_ >= 0 && ::write(fd_, &one, sizeof one) == sizeof one;
}

void WakeCounter::drain() {
    std::uint64_t count = 0;
    while (fd_ >= 0 && ::read(fd_, &count, sizeof count) == sizeof count) {}
}

}  // namespace vz::posix

#include "app/StopSignals.h"

#include <QtGlobal>

#include <atomic>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <vector>
#else
#include <QProcess>
#endif

namespace {

struct State {
    std::mutex mutex;
    StopSignals::Action action;
    std::atomic<int> received{0};
    bool installed = false;
};

State& state() {
    // Never destroyed: the waiting thread may still be woken while the process exits.
    static auto* s = new State;
    return *s;
}

#ifdef Q_OS_UNIX
sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
#endif

}  // namespace

void StopSignals::install() {
#ifdef Q_OS_UNIX
    State& s = state();
    const std::lock_guard lock(s.mutex);
    if (s.installed) {
        return;
    }
    s.installed = true;
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) {
                continue;
            }
            State& st = state();
            int none = 0;
            st.received.compare_exchange_strong(none, signal);
            const std::lock_guard lock(st.mutex);
            if (st.action) {
                st.action(signal);
            }
        }
    }).detach();
#endif
}

void StopSignals::setAction(Action action) {
    State& s = state();
    const std::lock_guard lock(s.mutex);
    s.action = std::move(action);
    if (s.action && s.received != 0) {
        s.action(s.received);
    }
}

int StopSignals::received() {
    return state().received;
}

bool StopSignals::startDetached(const QString& program, const QStringList& arguments) {
#ifdef Q_OS_UNIX
    // Everything the children need is made before fork: between fork and exec a child of a
    // multi-threaded process may only make async-signal-safe calls.
    std::vector<QByteArray> texts;
    texts.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments) {
        texts.push_back(argument.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const sigset_t set = stopSignals();
    // The program is the child of an intermediate process that ends at once, so that it
    // never stays behind as a zombie of ours. A pipe closed on exec tells whether it started.
    int started[2];
    if (::pipe2(started, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(started[0]);
        ::setsid();
        if (::fork() == 0) {
            pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
            ::execv(argv[0], argv.data());
            const char failed = 1;
            [[maybe_unused]] const ssize_t written = ::write(started[1], &failed, 1);
        }
        ::_exit(0);
    }
    ::close(started[1]);
    bool ok = false;
    if (middle > 0) {
        ::waitpid(middle, nullptr, 0);
        char failed = 0;
        ok = ::read(started[0], &failed, 1) == 0;
    }
    ::close(started[0]);
    return ok;
#else
    return QProcess::startDetached(program, arguments);
#endif
}

#include "common/temporary_path_guard.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>

namespace korvela {
namespace {

constexpr int kSlotCount = 16;
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A slot is taken by a guard (Writing), then published (Ready) once its path is complete,
// so the handler never reads a half-written path.
enum SlotState : int { Free, Writing, Ready };

struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};

Slot slots[kSlotCount];
struct sigaction previousActions[std::size(kHandledSignals)];

// Only async-signal-safe calls: unlink, rmdir, sigaction, raise. Files go first, then the
// folders they emptied.
void removeGuardedPaths(int signalNumber) {
    for (Slot& slot : slots) {
        if (slot.state.load() == Ready) ::unlink(slot.path);
    }
    for (Slot& slot : slots) {
        if (slot.state.load() == Ready) ::rmdir(slot.path);
    }
    for (std::size_t i = 0; i < std::size(kHandledSignals); ++i) {
        if (kHandledSignals[i] == signalNumber)
            ::sigaction(signalNumber, &previousActions[i], nullptr);
    }
    // Delivered when this handler returns, with the action the program had before.
    ::raise(signalNumber);
}

void installHandlers() {
    for (std::size_t i = 0; i < std::size(kHandledSignals); ++i) {
        ::sigaction(kHandledSignals[i], nullptr, &previousActions[i]);
        if (previousActions[i].sa_handler == SIG_IGN) continue;  // nohup stays nohup
        struct sigaction action {};
        action.sa_handler = removeGuardedPaths;
        sigemptyset(&action.sa_mask);
        for (int other : kHandledSignals) sigaddset(&action.sa_mask, other);
        ::sigaction(kHandledSignals[i], &action, nullptr);
    }
}

void installHandlersOnce() {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
}

// Holds back the handled signals while it lives; they arrive when it ends.
class HandledSignalsBlocked {
public:
    HandledSignalsBlocked() {
        sigset_t handled;
        sigemptyset(&handled);
        for (int signalNumber : kHandledSignals) sigaddset(&handled, signalNumber);
        ::pthread_sigmask(SIG_BLOCK, &handled, &previous_);
    }
    ~HandledSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};

// Completes the pattern's trailing XXXXXX with random letters and digits, as mkstemp does.
void completePattern(std::string& pattern) {
    constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::size_t kRandomLength = 6;
    unsigned char random[kRandomLength] = {};
    while (::getrandom(random, sizeof random, 0) < 0 && errno == EINTR) {}
    char* const letters = pattern.data() + pattern.size() - kRandomLength;
    for (std::size_t i = 0; i < kRandomLength; ++i)
        letters[i] = kLetters[random[i] % kLetters.size()];
}

}  // namespace

TemporaryPathGuard::TemporaryPathGuard(const std::string& path) {
    installHandlersOnce();
    if (path.size() >= PATH_MAX) return;
    for (int index = 0; index < kSlotCount; ++index) {
        int expected = Free;
        if (!slots[index].state.compare_exchange_strong(expected, Writing)) continue;
        std::memcpy(slots[index].path, path.c_str(), path.size() + 1);
        slots[index].state.store(Ready);
        slot_ = index;
        return;
    }
}

TemporaryPathGuard::~TemporaryPathGuard() {
    if (slot_ >= 0) slots[slot_].state.store(Free);
}

int createGuardedTemporaryFile(std::string& pattern, std::optional<TemporaryPathGuard>& guard) {
    installHandlersOnce();
    const HandledSignalsBlocked blocked;
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor >= 0) guard.emplace(pattern);
    return descriptor;
}

bool linkGuardedTemporaryFile(int descriptor, std::string& pattern,
                              std::optional<TemporaryPathGuard>& guard) {
    installHandlersOnce();
    const HandledSignalsBlocked blocked;
    // Linking by descriptor itself (AT_EMPTY_PATH) needs a privilege; the /proc link does not.
    const std::string openFile = "/proc/self/fd/" + std::to_string(descriptor);
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        completePattern(pattern);
        if (::linkat(AT_FDCWD, openFile.c_str(), AT_FDCWD, pattern.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            guard.emplace(pattern);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

}  // namespace korvela

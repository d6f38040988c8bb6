#pragma once

#include <optional>
#include <string>

namespace korvela {

// Keeps a temporary file or folder from outliving an interrupted program: while a guard
// lives, SIGINT, SIGTERM and SIGHUP first remove its path (files first, then folders, which
// must be empty by then: guard the files inside them too), then end the program as the signal
// would have. The handlers are installed with the first guard; a signal the program
// ignores stays ignored. The guard does not remove the path itself.
class TemporaryPathGuard {
public:
    explicit TemporaryPathGuard(const std::string& path);
    ~TemporaryPathGuard();
    TemporaryPathGuard(const TemporaryPathGuard&) = delete;
    TemporaryPathGuard& operator=(const TemporaryPathGuard&) = delete;

private:
    int slot_ = -1;
};

// Creates a file from the mkstemp pattern (ending in XXXXXX, completed in place) and guards
// it before a signal can come between: returns the open descriptor, or -1 with errno set.
int createGuardedTemporaryFile(std::string& pattern, std::optional<TemporaryPathGuard>& guard);

// Gives an open file made without a name (O_TMPFILE) a free name from the same kind of pattern
// and guards it before a signal can come between. False with errno set when it cannot.
bool linkGuardedTemporaryFile(int descriptor, std::string& pattern,
                              std::optional<TemporaryPathGuard>& guard);

}  // namespace korvela

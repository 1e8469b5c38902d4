// Preloaded (LD_PRELOAD) into a program under test, kills it (SIGKILL) just before its N-th call
// that changes a file, so that a test can stop a command at each such point in turn:
//   JB_KILL_AT=N         the call to stop before, counted from 1 (unset or 0: never)
//   JB_KILL_CALLS=rename only renames count; anything else (or unset): every write to a file,
//                        rename, link and unlink
// Writes to standard output and standard error are not counted.

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long Target() {
    static const long target = [] {
        const char* at = std::getenv("JB_KILL_AT");
        return at ? std::atol(at) : 0L;
    }();
    return target;
}

bool RenamesOnly() {
    static const bool only = [] {
        const char* calls = std::getenv("JB_KILL_CALLS");
        return calls && std::strcmp(calls, "rename") == 0;
    }();
    return only;
}

void Count(bool isRename) {
    static long calls = 0;
    if (Target() <= 0 || (RenamesOnly() && !isRename)) return;
    if (++calls == Target()) ::kill(::getpid(), SIGKILL);
}

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t size) {
    static auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2) Count(false);
    return next(fd, buffer, size);
}

int rename(const char* from, const char* to) noexcept {
    static auto next = Next<int (*)(const char*, const char*)>("rename");
    Count(true);
    return next(from, to);
}

int link(const char* from, const char* to) noexcept {
    static auto next = Next<int (*)(const char*, const char*)>("link");
    Count(false);
    return next(from, to);
}

int unlink(const char* path) noexcept {
    static auto next = Next<int (*)(const char*)>("unlink");
    Count(false);
    return next(path);
}

}  // extern "C"

// Another local user at the single-instance socket, for the tests run as root: it drops to the
// user "nobody" (uid and gid 65534) and then
//   foreign_peer listen NAME   listens on NAME (bound before the drop, so that it can be made in a
//                              folder nobody may enter), prints "listening", takes one connection
//                              and prints "took N bytes" for what arrived within 2 s of it;
//   foreign_peer send NAME     connects to NAME, sends a whole command line ("x" from "/") and
//                              prints "answered" or "no answer" (nothing within 2 s).
// Exit code 3 when the drop is not possible (the test is not run as root).

#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uid_t kNobody = 65534;

bool DropToNobody() { return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0; }

sockaddr_un Address(const char* name) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, name, sizeof a.sun_path - 1);
    return a;
}

// What arrives on `fd` until it is closed or nothing comes for 2 s.
std::string Take(int fd) {
    std::string got;
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    while (::poll(&p, 1, 2000) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

int Listen(const char* name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = Address(name);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) return 2;
    if (!DropToNobody()) return 3;
    if (::listen(fd, 4) != 0) return 2;  // the listener's credentials are taken here
    std::printf("listening\n");
    std::fflush(stdout);
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) return 4;
    const int connection = ::accept(fd, nullptr, nullptr);
    if (connection < 0) return 2;
    std::printf("took %zu bytes\n", Take(connection).size());
    ::unlink(name);
    return 0;
}

int Send(const char* name) {
    if (!DropToNobody()) return 3;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = Address(name);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        std::printf("cannot connect\n");
        return 0;
    }
    static const char kCommandLine[] = "\0\0\0\1/\0\0\0\1\0\0\0\1x";
    if (::write(fd, kCommandLine, sizeof kCommandLine - 1) < 0) return 2;
    std::printf(Take(fd).empty() ? "no answer\n" : "answered\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string mode = argv[1];
    if (mode == "listen") return Listen(argv[2]);
    if (mode == "send") return Send(argv[2]);
    return 2;
}

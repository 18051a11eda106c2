// The server of FakeServiceTool on Linux: `fake_server PORT LOCK` listens on
// 127.0.0.1:PORT, prints the process id of its background half once it listens
// and returns, as a service returns once started. The background half accepts
// and closes connections until it is killed. It holds an exclusive lock on the
// file LOCK for as long as it lives, taken after its socket, so whoever killed
// it can wait for the lock (`flock LOCK true`) and find the port closed.
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fake_server PORT LOCK\n");
        return 2;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::atoi(argv[1]));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0) {
        std::perror("fake_server");
        return 1;
    }
    // Taken before the fork: the background half inherits it, and it is
    // released only when that half ends.
    const int lock = ::open(argv[2], O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        std::perror("fake_server");
        return 1;
    }
    const pid_t background = ::fork();
    if (background < 0)
        return 1;
    if (background > 0) {
        std::printf("%d\n", int(background));
        return 0;
    }
    ::setsid();
    // Whoever reads the process id waits for the end of this output.
    const int nothing = ::open("/dev/null", O_RDWR);
    for (const int stream : {0, 1, 2})
        ::dup2(nothing, stream);
    for (;;) {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection >= 0)
            ::close(connection);
    }
}

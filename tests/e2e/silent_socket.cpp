// A sound server that has hung: it listens on a Unix socket, takes every connection and never
// answers. Clients connect at once and then wait for a reply that does not come.
//
//   silent_socket <socket path>
//
// Prints "ready" once listening; runs until it is killed.
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2 || std::strlen(argv[1]) >= sizeof(sockaddr_un::sun_path)) {
        std::fprintf(stderr, "usage: silent_socket <socket path, under %zu bytes>\n",
                     sizeof(sockaddr_un::sun_path));
        return 2;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, argv[1]);
    ::unlink(argv[1]);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (server < 0 || ::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(server, 64) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::vector<int> held; // kept open, never read or written
    for (;;) {
        const int client = ::accept(server, nullptr, nullptr);
        if (client >= 0)
            held.push_back(client);
    }
}

#include "support/commit_drop_proxy.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string_view>
#include <vector>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int connectToServer(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool sendAll(int fd, const char *data, size_t n)
{
    while (n > 0) {
        const ssize_t sent = ::send(fd, data, n, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        n -= size_t(sent);
    }
    return true;
}

// Where the simple-protocol message "COMMIT" (type 'Q', length 11) starts.
std::string_view::size_type commitMessage(std::string_view data)
{
    static constexpr std::string_view message("Q\0\0\0\x0b" "COMMIT\0", 12);
    return data.find(message);
}

struct Pair
{
    int client = -1;
    int server = -1;
    void close()
    {
        ::close(client);
        ::close(server);
        client = server = -1;
    }
};

} // namespace

CommitDropProxy::CommitDropProxy(int serverPort, Lose lose, Afterwards afterwards)
    : m_serverPort(serverPort)
    , m_lose(lose)
    , m_afterwards(afterwards)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0 || ::listen(m_listen, 16) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &size) != 0 || ::pipe(m_wake) != 0) {
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return;
    }
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { run(); });
}

CommitDropProxy::~CommitDropProxy()
{
    if (m_thread.joinable()) {
        const char stop = 0;
        (void)!::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    if (m_listen >= 0)
        ::close(m_listen);
    for (int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void CommitDropProxy::run()
{
    std::vector<Pair> pairs;
    std::vector<int> held;
    char buffer[65536];
    for (;;) {
        std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const Pair &p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;
        for (size_t k = 0; k < pairs.size(); ++k) {
            Pair &p = pairs[k];
            const pollfd &fromClient = fds[2 + 2 * k], &fromServer = fds[3 + 2 * k];
            if (p.client >= 0 && fromClient.revents != 0) {
                const ssize_t n = ::recv(p.client, buffer, sizeof buffer, 0);
                const std::string_view data(buffer, n > 0 ? size_t(n) : 0);
                const auto commit = m_dropped ? std::string_view::npos : commitMessage(data);
                if (n <= 0) {
                    p.close();
                } else if (commit == std::string_view::npos) {
                    if (!sendAll(p.server, data.data(), data.size()))
                        p.close();
                } else {
                    if (m_lose == Lose::Answer) {
                        // The answer is written only once the server has committed.
                        sendAll(p.server, data.data(), data.size());
                        pollfd answer{p.server, POLLIN, 0};
                        if (::poll(&answer, 1, 30000) > 0)
                            (void)::recv(p.server, buffer, sizeof buffer, 0);
                    } else {
                        sendAll(p.server, data.data(), commit);
                    }
                    if (m_lose == Lose::CommitUnnoticed) {
                        held.push_back(p.server); // neither read nor closed until the proxy ends
                        p.server = -1;
                    }
                    p.close();
                    m_dropped = true;
                    if (m_afterwards == Afterwards::Refuse && m_listen >= 0) {
                        ::close(m_listen);
                        m_listen = -1;
                    }
                }
            }
            if (p.client >= 0 && fromServer.revents != 0) {
                const ssize_t n = ::recv(p.server, buffer, sizeof buffer, 0);
                if (n <= 0 || !sendAll(p.client, buffer, size_t(n)))
                    p.close();
            }
        }
        std::erase_if(pairs, [](const Pair &p) { return p.client < 0; });
        if (m_listen >= 0 && fds[1].revents != 0) {
            Pair p;
            p.client = ::accept(m_listen, nullptr, nullptr);
            p.server = p.client >= 0 ? connectToServer(m_serverPort) : -1;
            if (p.server >= 0)
                pairs.push_back(p);
            else if (p.client >= 0)
                ::close(p.client);
        }
    }
    for (Pair &p : pairs)
        p.close();
    for (int fd : held)
        ::close(fd);
}

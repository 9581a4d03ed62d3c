#pragma once

// A loopback proxy in front of the test PostgreSQL server that loses the
// first COMMIT on its way, the way a link breaks at the worst moment: either
// the server gets COMMIT and its answer never comes back, or COMMIT never
// reaches the server. Both sides of that connection are then closed; other
// connections (a reconnect asking how the commit ended) pass as they are,
// unless the proxy is told to refuse them. 127.0.0.1 on both sides only.

#include <atomic>
#include <thread>

class CommitDropProxy
{
public:
    enum class Lose {
        Answer, // the server commits; the client never hears so
        Commit, // the server never sees COMMIT and rolls back when the connection closes
        CommitUnnoticed, // the same, but the server's side stays open: a broken link the server has not noticed
    };
    enum class Afterwards {
        Forward, // later connections reach the server
        Refuse, // the proxy stops listening: nobody can ask the server any more
    };

    CommitDropProxy(int serverPort, Lose lose, Afterwards afterwards = Afterwards::Forward);
    ~CommitDropProxy();
    CommitDropProxy(const CommitDropProxy &) = delete;
    CommitDropProxy &operator=(const CommitDropProxy &) = delete;

    // Where clients connect; 0 when the proxy could not listen.
    int port() const { return m_port; }
    // True once a COMMIT has been lost.
    bool dropped() const { return m_dropped; }

private:
    void run();

    int m_serverPort;
    Lose m_lose;
    Afterwards m_afterwards;
    int m_listen = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_dropped{false};
    std::thread m_thread;
};

#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace kv {

enum class SessionType { Local, Remote };
enum class RemoteType { Lan, Internet };
enum class LockProtocol { Pessimistic, Optimistic };

// A named engine session: where temporary files go, how long a lock is waited
// for, how a remote server is reached, and how long statements report progress.
class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(const QString &sessionName, QObject *parent = nullptr);

    QString sessionName() const { return m_name; }

    SessionType sessionType() const { return m_type; }
    void setSessionType(SessionType t) { m_type = t; }

    QString remoteAddress() const { return m_remoteAddress; }
    void setRemoteAddress(const QString &a) { m_remoteAddress = a; }
    int remotePort() const { return m_remotePort; }
    void setRemotePort(int p) { m_remotePort = p; }
    RemoteType remoteType() const { return m_remoteType; }
    void setRemoteType(RemoteType t) { m_remoteType = t; }
    QString remoteUser() const { return m_remoteUser; }
    void setRemoteUser(const QString &u) { m_remoteUser = u; }
    QString remotePassword() const { return m_remotePassword; }
    void setRemotePassword(const QString &p) { m_remotePassword = p; }
    // "Internet" verifies the server against this root certificate (PEM);
    // empty: libpq's own places (PGSSLROOTCERT, ~/.postgresql/root.crt).
    QString rootCertificate() const { return m_rootCertificate; }
    void setRootCertificate(const QString &path) { m_rootCertificate = path; }
    bool remoteTrace() const { return m_remoteTrace; }
    void setRemoteTrace(bool on) { m_remoteTrace = on; }

    QString privateDir() const { return m_privateDir; }
    void setPrivateDir(const QString &d) { m_privateDir = d; }

    LockProtocol lockProtocol() const { return m_lockProtocol; }
    void setLockProtocol(LockProtocol p) { m_lockProtocol = p; }
    int lockRetryCount() const { return m_lockRetryCount; }
    void setLockRetryCount(int n) { m_lockRetryCount = n; }
    int lockWaitTime() const { return m_lockWaitTime; }
    void setLockWaitTime(int ms) { m_lockWaitTime = ms; }
    // How long a statement waits for another user's lock before it fails.
    int lockTimeoutMs() const { return m_lockRetryCount * m_lockWaitTime; }

    int progressSteps() const { return m_progressSteps; }
    void setProgressSteps(int n) { m_progressSteps = n; }

    // The start-up step runs once, when the first database of the session connects.
    void setStartupHandler(std::function<void(Session &)> h) { m_startup = std::move(h); }
    bool isActive() const { return m_active; }
    void start();
    void stop() { m_active = false; }

    // Called by the engine while a long statement runs.
    void reportProgress(int percent) { Q_EMIT progress(percent); }

Q_SIGNALS:
    void progress(int percent);

private:
    QString m_name;
    SessionType m_type = SessionType::Local;
    QString m_remoteAddress = QStringLiteral("127.0.0.1");
    int m_remotePort = 12005;
    RemoteType m_remoteType = RemoteType::Lan;
    QString m_remoteUser;
    QString m_remotePassword;
    QString m_rootCertificate;
    bool m_remoteTrace = false;
    QString m_privateDir;
    LockProtocol m_lockProtocol = LockProtocol::Pessimistic;
    int m_lockRetryCount = 15;
    int m_lockWaitTime = 100;
    int m_progressSteps = 20;
    std::function<void(Session &)> m_startup;
    bool m_active = false;
};

} // namespace kv

// The login name the host and the tool fall back on: the environment first,
// then the home folder's name, never a call only POSIX offers.

#include "kestrovan/login_name.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            m_saved.push_back({n, qEnvironmentVariableIsSet(n), qgetenv(n)});
    }
    ~EnvironmentGuard()
    {
        for (const Saved &s : m_saved)
            s.was ? qputenv(s.name, s.value) : qunsetenv(s.name);
    }

private:
    struct Saved
    {
        const char *name;
        bool was;
        QByteArray value;
    };
    std::vector<Saved> m_saved;
};

TEST(LoginName, ComesFromTheEnvironmentThenFromTheHomeFolder)
{
    EnvironmentGuard guard{"USER", "USERNAME", "LOGNAME", "HOME"};
    qunsetenv("USER");
    qunsetenv("LOGNAME");
    qputenv("USERNAME", "winuser");
    EXPECT_EQ(kestrovan::loginName(), QStringLiteral("winuser"));
    qputenv("USER", "  dee ");
    EXPECT_EQ(kestrovan::loginName(), QStringLiteral("dee"));

    qunsetenv("USER");
    qunsetenv("USERNAME");
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("alice")));
    qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("alice"))));
    EXPECT_EQ(kestrovan::loginName(), QStringLiteral("alice"));
    qputenv("HOME", "/");
    EXPECT_EQ(kestrovan::loginName(), QString());
#endif
}

} // namespace

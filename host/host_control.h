#pragma once

#include <kestrovan/plugin_interfaces.h>

#include <QLabel>

// The host's main control, handed to the plug-in's Init. It answers
// IHostInterface: the name of the user working in the host.
class HostControl : public QLabel, public kestrovan::IHostInterface
{
    Q_OBJECT
    Q_INTERFACES(kestrovan::IUnknown)
public:
    explicit HostControl(const QString &userName, QWidget *parent = nullptr);

    kestrovan::HResult QueryInterface(const QUuid &iid, void **out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    QString GetCurrentUserName() override;

    // --user NAME, else the operating system's login name.
    static QString loginName();
    int references() const { return m_refs; }
    int userNameCalls() const { return m_calls; }

private:
    QString m_userName;
    int m_refs = 0;
    int m_calls = 0;
};

#include "shell/host_services.h"

namespace kv {

void HostServices::attach(kestrovan::IUnknown *hostControl)
{
    m_host = kestrovan::queryInterface<kestrovan::IHostInterface>(hostControl, kestrovan::IID_IHostInterface);
}

QString HostServices::currentUserName() const
{
    return m_host ? m_host->GetCurrentUserName() : QString();
}

std::function<QString()> HostServices::userNameSource() const
{
    return [this] { return currentUserName(); };
}

} // namespace kv

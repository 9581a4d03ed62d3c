#pragma once

#include <kestrovan/plugin_interfaces.h>

#include <QString>
#include <functional>

namespace kv {

// What the plug-in asks of the host: the current user's name, asked anew
// every time it is needed and never kept. Without a host interface (the host
// control did not offer one) there is nobody to ask, and the name is empty:
// the history notes then carry an empty User and deliveries " (List)", as they
// would with a host that answers an empty name.
class HostServices
{
public:
    HostServices() = default;

    // Asks the control (or rather the IUnknown it offers) for IHostInterface;
    // an empty reference, and no error, when it is not offered.
    void attach(kestrovan::IUnknown *hostControl);
    void detach() { m_host.reset(); }
    bool hasHost() const { return bool(m_host); }
    kestrovan::IHostInterface *host() const { return m_host.get(); }

    QString currentUserName() const;
    // A source for the operations that take the name as a callable.
    std::function<QString()> userNameSource() const;

private:
    kestrovan::InterfaceRef<kestrovan::IHostInterface> m_host;
};

} // namespace kv

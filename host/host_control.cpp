#include "host_control.h"

#include "kestrovan/login_name.h"

HostControl::HostControl(const QString &userName, QWidget *parent)
    : QLabel(parent)
    , m_userName(userName)
{
    setObjectName(QStringLiteral("HostControl"));
}

kestrovan::HResult HostControl::QueryInterface(const QUuid &iid, void **out)
{
    if (!out)
        return kestrovan::E_Pointer;
    if (iid == kestrovan::IID_IHostInterface || iid == kestrovan::IID_IUnknown) {
        *out = static_cast<kestrovan::IHostInterface *>(this);
        AddRef();
        return kestrovan::S_Ok;
    }
    *out = nullptr;
    return kestrovan::E_NoInterface;
}

// The control belongs to the host window; the count only tells who holds it.
std::uint32_t HostControl::AddRef()
{
    return std::uint32_t(++m_refs);
}

std::uint32_t HostControl::Release()
{
    return std::uint32_t(--m_refs);
}

QString HostControl::GetCurrentUserName()
{
    ++m_calls;
    return m_userName;
}

QString HostControl::loginName()
{
    return kestrovan::loginName();
}

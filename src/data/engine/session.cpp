#include "data/engine/session.h"

namespace kv {

Session::Session(const QString &sessionName, QObject *parent)
    : QObject(parent)
    , m_name(sessionName)
{
    setObjectName(sessionName);
}

void Session::start()
{
    if (m_active)
        return;
    if (m_startup)
        m_startup(*this);
    m_active = true;
}

} // namespace kv

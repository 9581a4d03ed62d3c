#include "shell/ui/cursor_progress.h"

namespace kv {

CursorProgress::CursorProgress(Progress *shown)
    : m_shown(shown)
{
}

CursorProgress::~CursorProgress() = default;

void CursorProgress::begin(const QString &message, const QString &countText)
{
    if (m_shown)
        m_shown->begin(message, countText);
}

void CursorProgress::setPercent(int percent)
{
    if (m_shown)
        m_shown->setPercent(percent);
}

void CursorProgress::end()
{
    if (m_shown)
        m_shown->end();
}

void CursorProgress::busy(bool on)
{
    if (on)
        m_cursors.push_back(std::make_unique<CursorScope>(Qt::WaitCursor));
    else if (!m_cursors.empty())
        m_cursors.pop_back();
}

} // namespace kv

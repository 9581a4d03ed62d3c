#include "members/ui/row_set_cursor.h"

#include "members/member_row_set.h"

namespace kv {

RowSetCursor::RowSetCursor(QObject *parent)
    : RowCursor(parent)
{
}

void RowSetCursor::setRowSet(MemberRowSet *rows)
{
    if (m_rows)
        disconnect(m_rows, nullptr, this, nullptr);
    m_rows = rows;
    if (rows) {
        connect(rows, &MemberRowSet::stateChanged, this, &RowCursor::changed);
        connect(rows, &MemberRowSet::afterPost, this, &RowCursor::changed);
        connect(rows, &MemberRowSet::currentRowChanged, this, &RowCursor::changed);
        connect(rows, &QAbstractItemModel::modelReset, this, &RowCursor::changed);
    }
    Q_EMIT changed();
}

bool RowSetCursor::isOpen() const
{
    return m_rows && m_rows->isOpen();
}

int RowSetCursor::count() const
{
    return m_rows ? m_rows->recordCount() : 0;
}

int RowSetCursor::current() const
{
    return m_rows ? m_rows->recNo() : -1;
}

bool RowSetCursor::isEditing() const
{
    return m_rows && m_rows->state() == DataState::Edit;
}

bool RowSetCursor::canPost() const
{
    return isEditing() || (m_rows && m_rows->isOpen() && m_rows->changeCount() > 0);
}

void RowSetCursor::first()
{
    m_rows->first();
}

void RowSetCursor::prior()
{
    m_rows->prior();
}

void RowSetCursor::next()
{
    m_rows->next();
}

void RowSetCursor::last()
{
    m_rows->last();
}

void RowSetCursor::moveBy(int rows)
{
    m_rows->moveBy(rows);
}

void RowSetCursor::post()
{
    m_rows->post();
}

void RowSetCursor::cancel()
{
    m_rows->cancel();
}

} // namespace kv

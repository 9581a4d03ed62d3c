#pragma once

#include "shell/ui/record_navigator.h"

#include <QPointer>

namespace kv {

class MemberRowSet;

// The member row set's current row as a navigator's cursor.
class RowSetCursor : public RowCursor
{
    Q_OBJECT
public:
    explicit RowSetCursor(QObject *parent = nullptr);
    void setRowSet(MemberRowSet *rows);

    bool isOpen() const override;
    int count() const override;
    int current() const override;
    bool isEditing() const override;
    // Post saves the edits posted before as well, so it is offered while any wait.
    bool canPost() const override;
    void first() override;
    void prior() override;
    void next() override;
    void last() override;
    void moveBy(int rows) override;
    // The row set takes no new rows from a navigator.
    void insert() override {}
    void post() override;
    void cancel() override;

private:
    QPointer<MemberRowSet> m_rows;
};

} // namespace kv

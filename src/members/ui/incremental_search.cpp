#include "members/ui/incremental_search.h"

#include "members/ui/members_grid_column.h"

#include <QKeyEvent>

namespace kv {

IncrementalSearch::IncrementalSearch(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("wwIncrementalSearch1"));
    connect(this, &QLineEdit::textEdited, this, &IncrementalSearch::search);
}

int IncrementalSearch::findClosest(MemberRowSet &rows, const QString &text, QString *matchedText)
{
    const int field = MemberRowSet::orderField(rows.indexName());
    if (field < 0 || text.isEmpty() || !rows.isOpen())
        return -1;
    const bool isText = MemberRowSet::fieldType(field) == FieldType::Text;
    const int n = rows.recordCount();
    int lowerBound = -1;
    for (int r = 0; r < n; ++r) {
        const QString value = gridCellText(rows.valueAt(r, field));
        if (value.startsWith(text, Qt::CaseInsensitive)) {
            if (matchedText)
                *matchedText = value;
            return r;
        }
        if (isText && lowerBound < 0 && value.compare(text, Qt::CaseInsensitive) > 0)
            lowerBound = r;
    }
    // No value begins with the text: the closest is the first that sorts after it.
    if (lowerBound >= 0 && matchedText)
        *matchedText = gridCellText(rows.valueAt(lowerBound, field));
    return lowerBound;
}

void IncrementalSearch::keyPressEvent(QKeyEvent *event)
{
    m_noComplete = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    QLineEdit::keyPressEvent(event);
}

bool IncrementalSearch::event(QEvent *event)
{
    // Ctrl+C belongs to the window's Confirmed cycle, as in the grid.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->ignore();
        return false;
    }
    return QLineEdit::event(event);
}

void IncrementalSearch::search(const QString &typed)
{
    const bool complete = !m_noComplete;
    m_noComplete = false;
    if (!m_rows || typed.isEmpty())
        return;
    QString matched;
    const int pos = findClosest(*m_rows, typed, &matched);
    if (pos < 0)
        return;
    m_rows->setRecNo(pos);
    if (complete && matched.size() > typed.size() && matched.startsWith(typed, Qt::CaseInsensitive)) {
        setText(typed + matched.mid(typed.size()));
        setSelection(typed.size(), matched.size() - typed.size());
    }
}

} // namespace kv

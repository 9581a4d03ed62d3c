#pragma once

// The members grid: two-line centred title buttons under header groups,
// one-click check boxes, a footer row, rows tinted alternately or by bands of
// a group column, multi-selection held as bookmarks of the member row set.

#include "members/member_row_set.h"
#include "members/ui/members_grid_column.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSettings>
#include <QTableView>
#include <QTextOption>
#include <vector>

namespace kv {

class MembersFooter;
class MembersHeader;

class MembersGrid : public QTableView
{
    Q_OBJECT
public:
    static const QList<GridColumn> &designColumns();
    static const QString kGroupName;         // "Name"
    static const QString kGroupDeliveryDays; // "Delivery Days"

    explicit MembersGrid(QWidget *parent = nullptr);
    ~MembersGrid() override;

    void setRowSet(MemberRowSet *rows);
    MemberRowSet *rowSet() const { return m_rows; }

    const GridColumn *columnOfField(int field) const;
    // The grid selection as bookmarks of the member row set, in grid order.
    QList<MemberRowSet::Bookmark> selectedBookmarks() const;
    int selectedCount() const { return selectedBookmarks().size(); }
    void clearGridSelection();
    void selectBookmarks(const QList<MemberRowSet::Bookmark> &marks);

    // Footer texts by field.
    void setFooterText(int field, const QString &text);
    QString footerText(int field) const;
    MembersFooter *footer() const { return m_footer; }

    // Group column: rows with equal values in it form bands (-1: none).
    void setGroupField(int field);
    int groupField() const { return m_groupField; }
    // Whether a view row is painted with the tint.
    bool rowTinted(int viewRow) const;

    // Column layout (visual order and widths), kept in a settings file.
    void saveLayout(QSettings &settings, const QString &group) const;
    void restoreLayout(QSettings &settings, const QString &group);
    // Field names in visual order (shown columns only).
    QStringList visualFieldOrder() const;

    int designWidthPixels(int chars) const;

    // An open cell editor writes its value into the row set, or is dropped.
    void commitPendingEditor();
    void discardPendingEditor();
    void setOpenEditor(QWidget *editor) { m_editor = editor; }

    // With word wrap on, the rows in view grow to show their text cells'
    // wrapped values whole (and shrink back); runs by itself after changes.
    void fitRowHeights();
    bool fitRowsInView(); // answers whether a height changed
    // Lines of a text cell wrapped into a width: at spaces, a word split only
    // when it alone is wider than the cell.
    static QTextOption cellTextOption();

Q_SIGNALS:
    void titleButtonClick(const QString &fieldName);
    void editClientRequested();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyDesign();
    void followRowSetCurrent(int viewRow);
    void invalidateBands();
    void scheduleRowFit();
    int fittedRowHeight(int viewRow) const;

    QPointer<MemberRowSet> m_rows;
    MembersHeader *m_header = nullptr;
    MembersFooter *m_footer = nullptr;
    QHash<int, QString> m_footerTexts;
    int m_groupField = -1;
    mutable std::vector<quint8> m_bands;
    mutable bool m_bandsValid = false;
    QList<MemberRowSet::Bookmark> m_pendingSelection;
    bool m_inReset = false;
    bool m_syncing = false;
    QPointer<QWidget> m_editor;
    bool m_fitPending = false;
    // The row set moved the current row: it stays in view while rows grow.
    bool m_keepCurrentInView = false;
};

} // namespace kv

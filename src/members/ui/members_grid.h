#pragma once

// The members grid and its companions: the grid (two-line centred title
// buttons under header groups, one-click check boxes, a footer row, rows tinted
// alternately or by bands of a group column, multi-selection held as
// bookmarks), the record navigator and the incremental search box.

#include "members/member_row_set.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextOption>
#include <QWidget>

class QToolButton;

namespace kv {

// One column of the grid as designed.
struct GridColumn
{
    enum class Cell { Text, Number, Date, Check, CheckThreeState, ReadOnlyCheck };
    int field;
    QString title; // "~" breaks the title onto its second line
    int widthChars;
    Cell cell;
    QString group; // header group shared by neighbouring columns
};

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

// Two-line titles centred under the header groups; clicks are title buttons.
class MembersHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit MembersHeader(MembersGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    MembersGrid *m_grid;
};

class MembersFooter : public QWidget
{
    Q_OBJECT
public:
    explicit MembersFooter(MembersGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MembersGrid *m_grid;
};

// Paints tints, selection and check boxes; a single click changes a check box.
class MembersDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit MembersDelegate(MembersGrid *grid);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    QString displayText(const QVariant &value, const QLocale &locale) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The value a click on a check-box cell writes: Invited turns "Y" to "N" and
    // anything else to "Y"; Confirmed moves unknown → "Y" → "N" → unknown.
    static QVariant clickedValue(int field, const QVariant &current);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    MembersGrid *m_grid;
};

// First, prior page, prior, next, next page, last, post, cancel.
class MembersNavigator : public QWidget
{
    Q_OBJECT
public:
    static const QString kHintFirst;
    static const QString kHintPriorPage; // "Move backward 10 records"
    static const QString kHintPrior;
    static const QString kHintNext;
    static const QString kHintNextPage; // "Move forward 10 records"
    static const QString kHintLast;
    static const QString kHintPost;
    static const QString kHintCancel;

    explicit MembersNavigator(QWidget *parent = nullptr);
    void setRowSet(MemberRowSet *rows);
    QToolButton *button(const QString &objectName) const;
    QList<QToolButton *> buttons() const { return m_buttons; }

Q_SIGNALS:
    void firstClicked();
    void priorPageClicked();
    void priorClicked();
    void nextClicked();
    void nextPageClicked();
    void lastClicked();
    void postClicked();
    void cancelClicked();

private:
    void updateEnabled();
    QList<QToolButton *> m_buttons;
    QPointer<MemberRowSet> m_rows;
};

// Moves the current row to the closest match of the typed text in the active
// order's field and completes the text with the rest of the matched value.
class IncrementalSearch : public QLineEdit
{
    Q_OBJECT
public:
    explicit IncrementalSearch(QWidget *parent = nullptr);
    void setRowSet(MemberRowSet *rows) { m_rows = rows; }
    // The view row the text leads to (-1: none); used by the box as the user types.
    static int findClosest(MemberRowSet &rows, const QString &text, QString *matchedText = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void search(const QString &typed);
    QPointer<MemberRowSet> m_rows;
    bool m_noComplete = false;
};

} // namespace kv

#pragma once

// MemberRowSet — the in-memory member row set of the members window
// (`ClientDataSetListMembers`). It is a table model, so the grid shows it
// directly, and a small client-side dataset, so the member operations walk
// and edit it the way they would walk a query.
//
// Quick reference for the operations that build on it:
//
//   Fields     MemberRowSet::Field enumerates the fields in load order
//              (Record_ID … List_Name); the model's columns are the same, in
//              the same order. fieldIndex("last_name") finds one by name,
//              case-insensitively.
//   Filling    load(query) runs the load statement and reads every row in one
//              go; fill(query) takes the rows of an already open query. The
//              values as loaded are kept. close() empties it. isOpen().
//   Reading    fieldValue(name|field) of the current row (the edit buffer
//              while editing); valueAt(viewRow, field) of any row in view;
//              asString(). Empty text comes back as an invalid QVariant, as
//              NULL does from the engine.
//   Editing    edit(); setFieldValue(name|field, value); post(); cancel();
//              state() is Browse or Edit (Inactive while closed). Moving to
//              another row posts a pending edit first. A posted change goes to
//              the change log; deleteCurrent() removes the current row and logs
//              the deletion (the database row has already been deleted by the
//              caller).
//   Change log changeCount(); applyUpdates(fn) hands every logged row, with
//              its kind and its loaded and current values, to fn and then
//              empties the log; if fn throws, every row stays in the log.
//              pendingEdits() / restorePendingEdits() carry unsaved edits
//              across a fresh read.
//   Orders     setIndexName("Last_Name") — one of orderNames() (24 names) or ""
//              for the load order. indexName(). Unknown names throw kv::Error.
//   Filter     setFilter("Confirmed='Y' and RecVisible=True"); filter();
//              setFiltered(bool); filtered(). The expression is parsed when set
//              (a bad one throws kv::Error). "=Null" holds for an empty value;
//              a comparison with an empty value is otherwise false.
//   Totals     sumQuantity() (invalid when no row in view has a quantity),
//              countClients() (rows in view with a Client_ID); both over the
//              rows of the current view and kept up to date on every post.
//              totalsChanged() is emitted when they may have changed.
//   Navigation recordCount() (rows in the current view: all rows while the
//              filter is off), recNo() (0-based view position, -1 when empty),
//              first(), next(), prior(), last(), moveBy(n) (stops at either
//              end), setRecNo(), eof(), bof(), isEmpty().
//   Bookmarks  getBookmark() takes one for the current row; gotoBookmark(b)
//              makes its row current (false when the row is not in view or
//              gone); bookmarkValid(b); freeBookmark(b). A bookmark stays valid
//              across orders and filters until the next fill() or close().
//   Display    disableControls() / enableControls() suspend and resume the
//              views (nested; the model is reset once when the last one
//              resumes). controlsDisabled(). SuspendDisplay does both as a
//              guard.
//
// Signals: afterScroll() when the current row changes, stateChanged(),
// afterPost(), totalsChanged(), currentRowChanged(int viewRow).

#include "data/engine/query.h"
#include "members/rowset/change_log.h"
#include "members/rowset/column_store.h"
#include "members/rowset/member_fields.h"
#include "members/rowset/member_filter.h"
#include "members/rowset/row_view.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kv {

// The fields, their names and the named orders come from MemberFields.
class MemberRowSet : public QAbstractTableModel, public MemberFields
{
    Q_OBJECT
public:
    // A row's position in the row set's storage; stable until the next fill.
    using Bookmark = int;
    static constexpr Bookmark kNoBookmark = -1;

    using ChangeKind = rowset::ChangeKind;

    // One row of the change log as the save routine sees it.
    class UpdateRecord
    {
    public:
        ChangeKind kind() const { return m_kind; }
        QVariant oldValue(int field) const; // as loaded
        QVariant newValue(int field) const; // as it is now (loaded value for a deleted row)
        QVariant oldValue(const QString &field) const;
        QVariant newValue(const QString &field) const;

    private:
        friend class MemberRowSet;
        const MemberRowSet *m_set = nullptr;
        Bookmark m_row = kNoBookmark;
        ChangeKind m_kind = ChangeKind::Modified;
        const rowset::ColumnStore *m_loaded = nullptr;
        int m_loadedRow = -1;
    };

    explicit MemberRowSet(QObject *parent = nullptr);
    ~MemberRowSet() override;

    // Filling
    void fill(Query &query); // the query must be open; fills from its rows
    // Runs the query and reads its rows straight in, without the query keeping
    // them (the query is left closed). Throws the engine's errors; the row set
    // keeps its old rows when reading fails.
    void load(Query &query);
    void close();
    bool isOpen() const { return m_open; }
    DataState state() const { return m_state; }

    // The current row
    QVariant fieldValue(int field) const;
    QVariant fieldValue(const QString &name) const;
    QString asString(const QString &name) const;
    QVariant valueAt(int viewRow, int field) const;
    QVariant storedValue(Bookmark row, int field) const;

    // Editing
    void edit();
    void setFieldValue(int field, const QVariant &value);
    void setFieldValue(const QString &name, const QVariant &value);
    void post();
    void cancel();
    bool isModified() const { return m_state == DataState::Edit && m_bufferChanged; }
    void deleteCurrent();

    // Change log
    int changeCount() const { return m_log.size(); }
    bool rowChanged(Bookmark row) const { return m_log.contains(row); }
    // finish runs after the last row, while the log still holds the rows, so
    // a save can refuse them all after seeing each.
    void applyUpdates(const std::function<void(const UpdateRecord &)> &apply, const std::function<void()> &finish = {});
    // After a save another user's change refused: each conflicting row's edit
    // stays, now counted from the values stored, so the next save writes it
    // over them; the edit of a row another user removed is dropped.
    void adoptStored(const EditConflict &conflict);
    // Puts values read afresh (a client's, after the client editor posted)
    // into the rows of that member record, for fields the grid does not edit,
    // and sorts again under the order in force: the current row, the
    // selection and the change log stay with their rows.
    void refreshRow(const QVariant &recordId, const QHash<int, QVariant> &values);

    // The logged edits (deletions left out) as values, not positions: taken
    // before a writing operation so that, if it rolls back, the rows can be
    // read afresh and the user's unsaved edits put back on top of them.
    struct PendingEdit
    {
        QVariant recordId;
        QVector<QVariant> loaded;
        QVector<QVariant> current;
    };
    std::vector<PendingEdit> pendingEdits() const;
    // On freshly read rows: each edit goes back onto the row with its
    // Record_ID (a row no longer there is passed over) and into the log with
    // the values it was first read with. Answers the number put back.
    int restorePendingEdits(const std::vector<PendingEdit> &edits);

    // Orders
    void setIndexName(const QString &orderName);
    QString indexName() const { return m_indexName; }

    // Filter
    void setFilter(const QString &expression);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Running totals over the current view
    QVariant sumQuantity() const { return m_view.sumQuantity(); }
    int countClients() const { return m_view.countClients(); }

    // Navigation
    int recordCount() const { return m_view.size(); }
    int totalRowCount() const; // all rows held, filter or not (deleted ones left out)
    // Rows held that no filter shows: RecVisible false or empty (deleted ones left out).
    int hiddenRowCount() const;
    bool isEmpty() const { return m_view.empty(); }
    int recNo() const { return m_cur; }
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int n); // answers how many rows it moved (negative backwards)
    void setRecNo(int viewRow);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    Bookmark bookmarkAt(int viewRow) const;
    int viewRowOf(Bookmark b) const; // -1 when not in view

    // Bookmarks
    Bookmark getBookmark() const;
    bool gotoBookmark(Bookmark b);
    bool bookmarkValid(Bookmark b) const;
    void freeBookmark(Bookmark) {}

    // Suspended display
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    // Keeps the views from following the row set for its lifetime (or until
    // resume()): a walk over many rows resets the grid once at the end instead
    // of repainting per row, on every path out of the walk.
    class SuspendDisplay
    {
    public:
        explicit SuspendDisplay(MemberRowSet &rows)
            : m_rows(&rows)
        {
            rows.disableControls();
        }
        ~SuspendDisplay() { resume(); }
        void resume()
        {
            if (m_rows)
                std::exchange(m_rows, nullptr)->enableControls();
        }
        SuspendDisplay(const SuspendDisplay &) = delete;
        SuspendDisplay &operator=(const SuspendDisplay &) = delete;

    private:
        MemberRowSet *m_rows;
    };

    // Memory held by the rows, their text and the indexes (for the benchmark).
    qint64 approximateBytes() const;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Fields the grid may change in place.
    static bool isEditableField(int field);

Q_SIGNALS:
    void afterScroll();
    void stateChanged(kv::DataState state);
    void afterPost();
    void totalsChanged();
    void currentRowChanged(int viewRow);
    // A change made through the model (a grid cell) failed; text says why
    // (kv::currentErrorText).
    void writeFailed(const QString &text);

private:
    void requireOpen(const char *what) const;
    void requireRow(const char *what) const;
    void setState(DataState s);
    void adopt(std::unique_ptr<rowset::ColumnStore> store);
    void setCurrent(int viewRow, bool postFirst = true);
    void rebuildView();
    // What reseatView does besides rebuilding the view and announcing the
    // totals and the current row: drop the cached orders (the values they
    // sort may have changed), announce the state (the change set it).
    enum ReseatFlag { KeepOrders = 0x0, DropOrders = 0x1, AnnounceState = 0x2 };
    // One model reset around change() (none while the display is suspended):
    // the view is rebuilt, the current row stays on keep when it is still in
    // view or else goes to the first, and the news follows the reset.
    void reseatView(const std::function<void()> &change, Bookmark keep, int flags);
    void placeAfterPost(Bookmark row, const std::array<bool, FieldCount> &changed);
    void emitRowChanged(int viewRow);

    std::unique_ptr<rowset::ColumnStore> m_store;
    bool m_open = false;
    DataState m_state = DataState::Inactive;

    // The current view: bookmarks in the active order, filtered when on.
    rowset::RowView m_view;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;

    QString m_indexName;
    int m_order = -1; // position among the named orders, -1 for the load order

    QString m_filterText;
    std::unique_ptr<MemberFilter> m_filterExpr;
    bool m_filtered = false;

    // Edit buffer of the current row: only the fields set while editing; the
    // others read through to the store (a walk that changes one field of
    // many rows copies nothing else).
    QVariant bufferedValue(int field) const;
    void clearBuffer();
    std::array<QVariant, FieldCount> m_buffer;
    std::array<bool, FieldCount> m_touched{};
    bool m_bufferChanged = false;

    rowset::ChangeLog m_log;

    int m_disabled = 0;
};

} // namespace kv

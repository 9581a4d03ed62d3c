#pragma once

#include <QList>
#include <QObject>
#include <QWidget>
#include <functional>

class QAction;
class QKeySequence;
class QToolButton;

namespace kv {

class Query;

// The rows a navigator moves over: where it stands, which moves it allows
// and whether an edit is pending. A query, the member row set or a test's
// fake each supply one.
class RowCursor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isOpen() const = 0;
    virtual int count() const = 0;
    // 0-based; -1 on no row.
    virtual int current() const = 0;
    // An edit or insert is pending.
    virtual bool isEditing() const = 0;
    virtual bool canPost() const { return isEditing(); }
    virtual bool canCancel() const { return isEditing(); }

    virtual void first() = 0;
    virtual void prior() = 0;
    virtual void next() = 0;
    virtual void last() = 0;
    // rows < 0 moves back; stops at either end. A cursor that can jump says so.
    virtual void moveBy(int rows)
    {
        for (; rows > 0; --rows)
            next();
        for (; rows < 0; ++rows)
            prior();
    }
    virtual void insert() = 0;
    virtual void post() = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    // The position, the rows or the edit state changed.
    void changed();
};

// A query's current row as a cursor.
class QueryRowCursor : public RowCursor
{
    Q_OBJECT
public:
    // query: may be null (a window without its data yet); setQuery binds it later.
    explicit QueryRowCursor(Query *query = nullptr, QObject *parent = nullptr);
    void setQuery(Query *query);
    Query *query() const { return m_query; }

    bool isOpen() const override;
    int count() const override;
    int current() const override;
    bool isEditing() const override;
    void first() override;
    void prior() override;
    void next() override;
    void last() override;
    void moveBy(int rows) override;
    void insert() override;
    void post() override;
    void cancel() override;

private:
    Query *m_query = nullptr;
    QList<QMetaObject::Connection> m_connections;
};

// The bar of buttons that moves a cursor, offering only the moves its row
// allows and Post/Cancel only while an edit is pending.
class RecordNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Post, Cancel, PriorPage, NextPage };
    // The rows a page button moves unless the window runs it itself.
    static constexpr int kPageRows = 10;
    // Runs one button's step; a window wraps it in its handler boundary and
    // does what the button means beyond the move (Insert shows the Edit page).
    using Runner = std::function<void(Button, const std::function<void()> &step)>;

    // buttons: the ones shown, in this order; each is named
    // buttonPrefix + its English name ("NavFirst", "NavigatorPost").
    RecordNavigator(RowCursor *cursor, const QList<Button> &buttons, const QString &buttonPrefix,
                    QWidget *parent = nullptr);

    QToolButton *button(Button which) const;
    // The keys of a button, live in the whole window while the move is offered:
    // Ctrl+Home, Ctrl+Up, Ctrl+Down, Ctrl+End, Page Up and Page Down (the page
    // buttons), Insert, Ctrl+Enter (post) and Escape (cancel).
    QAction *keyAction(Button which) const;
    // "Move to first record (Ctrl+Home)": the hint with the button's key.
    static QString tooltipText(const QString &hint, const QKeySequence &key);
    // The buttons shown, in their order.
    QList<QToolButton *> buttons() const { return m_shown; }
    // A window whose own texts for a button differ from the usual ones; the
    // tooltip adds the button's key, the screen reader speaks the hint alone.
    void setHint(Button which, const QString &hint);
    RowCursor *cursor() const { return m_cursor; }
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    // Off: every button stays enabled whatever the row (a dialog whose
    // buttons were always live).
    void setFollowsCursor(bool follows);
    // On: every move is offered while there are rows, not only those the
    // position allows (a window whose moves post first and stop at the ends).
    void setMovesWhileRows(bool on);
    // Enables the buttons from the cursor as it stands.
    void refresh();

private:
    void press(Button which);

    RowCursor *m_cursor;
    QToolButton *m_buttons[NextPage + 1] = {};
    QAction *m_keys[NextPage + 1] = {};
    QList<QToolButton *> m_shown;
    Runner m_runner;
    bool m_followsCursor = true;
    bool m_movesWhileRows = false;
};

} // namespace kv

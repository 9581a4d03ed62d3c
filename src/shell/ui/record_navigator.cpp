#include "shell/ui/record_navigator.h"

#include "data/engine/query.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QHBoxLayout>
#include <QToolButton>

namespace kv {

// ---------------------------------------------------------------- QueryRowCursor

QueryRowCursor::QueryRowCursor(Query *query, QObject *parent)
    : RowCursor(parent)
{
    setQuery(query);
}

void QueryRowCursor::setQuery(Query *query)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_query = query;
    if (query) {
        for (auto signal : {&Query::afterScroll, &Query::afterOpen, &Query::afterClose, &Query::afterPost,
                            &Query::afterCancel, &Query::afterInsert})
            m_connections.append(connect(query, signal, this, &RowCursor::changed));
        m_connections.append(connect(query, &Query::stateChanged, this, &RowCursor::changed));
    }
    Q_EMIT changed();
}

bool QueryRowCursor::isOpen() const
{
    return m_query && m_query->isOpen();
}

int QueryRowCursor::count() const
{
    return isOpen() ? m_query->recordCount() : 0;
}

int QueryRowCursor::current() const
{
    return isOpen() ? m_query->recNo() : -1;
}

bool QueryRowCursor::isEditing() const
{
    return isOpen() && (m_query->state() == DataState::Edit || m_query->state() == DataState::Insert);
}

void QueryRowCursor::first()
{
    m_query->first();
}

void QueryRowCursor::prior()
{
    m_query->prior();
}

void QueryRowCursor::next()
{
    m_query->next();
}

void QueryRowCursor::last()
{
    m_query->last();
}

void QueryRowCursor::moveBy(int rows)
{
    m_query->moveBy(rows);
}

void QueryRowCursor::insert()
{
    m_query->insert();
}

void QueryRowCursor::post()
{
    m_query->post();
}

void QueryRowCursor::cancel()
{
    m_query->cancel();
}

// ---------------------------------------------------------------- RecordNavigator

namespace {

struct ButtonFace
{
    const char *name;
    QString glyph;
    const char *hint;
};

// The keys of record moves in grids and forms; Enter alone belongs to the field.
QList<QKeySequence> keysOf(RecordNavigator::Button which)
{
    using N = RecordNavigator;
    switch (which) {
    case N::First: return {QKeySequence(Qt::CTRL | Qt::Key_Home)};
    case N::Prior: return {QKeySequence(Qt::CTRL | Qt::Key_Up)};
    case N::Next: return {QKeySequence(Qt::CTRL | Qt::Key_Down)};
    case N::Last: return {QKeySequence(Qt::CTRL | Qt::Key_End)};
    case N::Insert: return {QKeySequence(Qt::Key_Insert)};
    case N::Post: return {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)};
    case N::Cancel: return {QKeySequence(Qt::Key_Escape)};
    case N::PriorPage: return {QKeySequence(Qt::Key_PageUp)};
    case N::NextPage: return {QKeySequence(Qt::Key_PageDown)};
    }
    return {};
}

// The navigator's buttons take no focus; their keys are window shortcuts held
// by actions, which a button does not report. A screen reader learns the key
// from this face of the button instead, as it would from a menu entry.
const char *const kKeyProperty = "kvNavigatorKey";

class NavigatorButtonAccessible : public QAccessibleWidget
{
public:
    explicit NavigatorButtonAccessible(QToolButton *b)
        : QAccessibleWidget(b, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Accelerator)
            return key();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (widget()->isEnabled())
                static_cast<QToolButton *>(widget())->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction())
            return {key()};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QString key() const { return widget()->property(kKeyProperty).toString(); }
};

QAccessibleInterface *navigatorButtonAccessible(const QString &className, QObject *object)
{
    auto *b = qobject_cast<QToolButton *>(object);
    if (className != QLatin1String("QToolButton") || !b || !b->property(kKeyProperty).isValid())
        return nullptr;
    return new NavigatorButtonAccessible(b);
}

const ButtonFace kFaces[] = {
    {"First", QStringLiteral("|\u25C0"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move to first record")},
    {"Prior", QStringLiteral("\u25C0"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move to prior record")},
    {"Next", QStringLiteral("\u25B6"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move to next record")},
    {"Last", QStringLiteral("\u25B6|"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move to last record")},
    {"Insert", QStringLiteral("+"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Insert new record")},
    {"Post", QStringLiteral("\u2714"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Post changes of current record")},
    {"Cancel", QStringLiteral("\u2716"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Cancel changes made to current record")},
    {"PriorPage", QStringLiteral("\u25C0\u25C0"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move backward 10 records")},
    {"NextPage", QStringLiteral("\u25B6\u25B6"), QT_TRANSLATE_NOOP("kv::RecordNavigator", "Move forward 10 records")},
};

} // namespace

RecordNavigator::RecordNavigator(RowCursor *cursor, const QList<Button> &buttons, const QString &buttonPrefix,
                                 QWidget *parent)
    : QWidget(parent)
    , m_cursor(cursor)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(navigatorButtonAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (Button which : buttons) {
        const ButtonFace &face = kFaces[which];
        auto *b = new QToolButton(this);
        // Set before anything asks the button for its accessible face.
        b->setProperty(kKeyProperty, keysOf(which).constFirst().toString(QKeySequence::NativeText));
        b->setObjectName(buttonPrefix + QLatin1String(face.name));
        b->setText(face.glyph);
        b->setFixedWidth(26);
        // Tab stays on the window's fields; the keys of each button work from
        // anywhere in the window (a text field keeps the keys it uses itself).
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, which] { press(which); });
        auto *key = new QAction(this);
        key->setObjectName(b->objectName() + QStringLiteral("Key"));
        key->setShortcuts(keysOf(which));
        key->setShortcutContext(Qt::WindowShortcut);
        connect(key, &QAction::triggered, this, [this, which] { press(which); });
        addAction(key);
        m_buttons[which] = b;
        m_keys[which] = key;
        m_shown << b;
        setHint(which, tr(face.hint));
        layout->addWidget(b);
    }
    connect(cursor, &RowCursor::changed, this, &RecordNavigator::refresh);
    refresh();
}

QToolButton *RecordNavigator::button(Button which) const
{
    return m_buttons[which];
}

void RecordNavigator::setHint(Button which, const QString &hint)
{
    if (QToolButton *b = m_buttons[which]) {
        b->setToolTip(tooltipText(hint, m_keys[which]->shortcut()));
        // A glyph is no name a screen reader can speak; the hint is.
        b->setAccessibleName(hint);
    }
}

QString RecordNavigator::tooltipText(const QString &hint, const QKeySequence &key)
{
    return QStringLiteral("%1 (%2)").arg(hint, key.toString(QKeySequence::NativeText));
}

QAction *RecordNavigator::keyAction(Button which) const
{
    return m_keys[which];
}

void RecordNavigator::setMovesWhileRows(bool on)
{
    m_movesWhileRows = on;
    refresh();
}

void RecordNavigator::setFollowsCursor(bool follows)
{
    m_followsCursor = follows;
    refresh();
}

void RecordNavigator::refresh()
{
    const bool open = m_cursor->isOpen();
    const bool editing = m_cursor->isEditing();
    const int n = m_cursor->count();
    const int at = m_cursor->current();
    // While editing every move is offered: it posts the edit first.
    const bool back = open && n > 0 && (at > 0 || editing || m_movesWhileRows);
    const bool forward = open && n > 0 && (at < n - 1 || editing || m_movesWhileRows);
    const bool enabled[] = {back, back, forward, forward, open, m_cursor->canPost(), m_cursor->canCancel(), back, forward};
    for (int i = First; i <= NextPage; ++i) {
        if (m_buttons[i])
            m_buttons[i]->setEnabled(!m_followsCursor || enabled[i]);
        // A key whose move the row does not allow goes on to the field (Escape then
        // closes the dialog), also where the buttons stay live.
        if (m_keys[i])
            m_keys[i]->setEnabled(enabled[i]);
    }
}

void RecordNavigator::press(Button which)
{
    const std::function<void()> step = [this, which] {
        switch (which) {
        case First: m_cursor->first(); break;
        case Prior: m_cursor->prior(); break;
        case Next: m_cursor->next(); break;
        case Last: m_cursor->last(); break;
        case Insert: m_cursor->insert(); break;
        case Post: m_cursor->post(); break;
        case Cancel: m_cursor->cancel(); break;
        case PriorPage: m_cursor->moveBy(-kPageRows); break;
        case NextPage: m_cursor->moveBy(kPageRows); break;
        }
    };
    if (m_runner)
        m_runner(which, step);
    else
        step();
    refresh();
}

} // namespace kv

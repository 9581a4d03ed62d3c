#include "members/ui/members_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace kv {

#define KV_TR(text) QStringLiteral(QT_TRANSLATE_NOOP("kv::MembersNavigator", text))
const QString MembersNavigator::kHintFirst = KV_TR("Move to first record");
const QString MembersNavigator::kHintPriorPage = KV_TR("Move backward 10 records");
const QString MembersNavigator::kHintPrior = KV_TR("Move to prior record");
const QString MembersNavigator::kHintNext = KV_TR("Move to next record");
const QString MembersNavigator::kHintNextPage = KV_TR("Move forward 10 records");
const QString MembersNavigator::kHintLast = KV_TR("Move to last record");
const QString MembersNavigator::kHintPost = KV_TR("Post edit");
const QString MembersNavigator::kHintCancel = KV_TR("Cancel edit");
#undef KV_TR

MembersNavigator::MembersNavigator(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wwDBNavigator1"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    struct B
    {
        const char *name;
        const char *glyph;
        const QString *hint;
        void (MembersNavigator::*signal)();
    };
    const B defs[] = {
        {"First", "|\u25C0", &kHintFirst, &MembersNavigator::firstClicked},
        {"PriorPage", "\u25C0\u25C0", &kHintPriorPage, &MembersNavigator::priorPageClicked},
        {"Prior", "\u25C0", &kHintPrior, &MembersNavigator::priorClicked},
        {"Next", "\u25B6", &kHintNext, &MembersNavigator::nextClicked},
        {"NextPage", "\u25B6\u25B6", &kHintNextPage, &MembersNavigator::nextPageClicked},
        {"Last", "\u25B6|", &kHintLast, &MembersNavigator::lastClicked},
        {"Post", "\u2714", &kHintPost, &MembersNavigator::postClicked},
        {"Cancel", "\u2716", &kHintCancel, &MembersNavigator::cancelClicked},
    };
    for (const B &d : defs) {
        auto *b = new QToolButton(this);
        b->setObjectName(QStringLiteral("wwDBNavigator1") + QLatin1String(d.name));
        b->setText(QString::fromUtf8(d.glyph));
        b->setToolTip(tr(qUtf8Printable(*d.hint)));
        // A glyph is no name a screen reader can speak; the hint is.
        b->setAccessibleName(b->toolTip());
        b->setAutoRaise(false);
        b->setFixedWidth(26);
        b->setFocusPolicy(Qt::NoFocus);
        const auto sig = d.signal;
        connect(b, &QToolButton::clicked, this, [this, sig] { (this->*sig)(); });
        row->addWidget(b);
        m_buttons << b;
    }
    updateEnabled();
}

QToolButton *MembersNavigator::button(const QString &objectName) const
{
    for (QToolButton *b : m_buttons)
        if (b->objectName() == objectName)
            return b;
    return nullptr;
}

void MembersNavigator::setRowSet(MemberRowSet *rows)
{
    m_rows = rows;
    connect(rows, &MemberRowSet::stateChanged, this, [this] { updateEnabled(); });
    connect(rows, &MemberRowSet::currentRowChanged, this, [this] { updateEnabled(); });
    connect(rows, &QAbstractItemModel::modelReset, this, [this] { updateEnabled(); });
    updateEnabled();
}

void MembersNavigator::updateEnabled()
{
    const bool editing = m_rows && m_rows->state() == DataState::Edit;
    const bool rows = m_rows && m_rows->isOpen() && !m_rows->isEmpty();
    for (QToolButton *b : m_buttons) {
        const bool editButton = b->objectName().endsWith(QLatin1String("Post")) || b->objectName().endsWith(QLatin1String("Cancel"));
        b->setEnabled(editButton ? editing : rows);
    }
}

} // namespace kv

#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QGridLayout>

namespace kv {

// A captioned group of radio items addressed by index, -1 when none is chosen.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr)
        : QGroupBox(caption, parent)
        , m_group(new QButtonGroup(this))
    {
        m_layout = new QGridLayout(this);
        for (int i = 0; i < items.size(); ++i) {
            auto *b = new QRadioButton(items.at(i), this);
            b->setObjectName(QStringLiteral("Item%1").arg(i));
            m_group->addButton(b, i);
            m_layout->addWidget(b, i, 0);
        }
        connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { Q_EMIT clicked(id); });
        connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
            if (on)
                Q_EMIT changed(id);
        });
    }

    int itemIndex() const { return m_group->checkedId(); }
    // Selecting by code runs the change signal, as a click does.
    void setItemIndex(int i)
    {
        if (QAbstractButton *b = m_group->button(i))
            b->setChecked(true);
    }
    // No item chosen (a null column shown by a data-aware group).
    void clearSelection()
    {
        m_group->setExclusive(false);
        for (QAbstractButton *b : m_group->buttons())
            b->setChecked(false);
        m_group->setExclusive(true);
    }
    QRadioButton *item(int i) const { return qobject_cast<QRadioButton *>(m_group->button(i)); }
    // A control that belongs to an item, shown beside it.
    void setItemWidget(int i, QWidget *w) { m_layout->addWidget(w, i, 1); }
    // A control on a full-width line of its own under the last item.
    void addWidgetBelow(QWidget *w) { m_layout->addWidget(w, m_layout->rowCount(), 0, 1, 2); }

Q_SIGNALS:
    void clicked(int index); // by the user
    void changed(int index); // by the user or by code

private:
    QButtonGroup *m_group;
    QGridLayout *m_layout;
};

} // namespace kv

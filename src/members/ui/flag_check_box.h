#pragma once

#include <QCheckBox>

namespace kv {

// The three-state box of a Confirmed mark: a click moves it from unknown
// (grayed) to checked, to unchecked and back to unknown, the order the
// keyboard cycle of the members grid follows too.
class ConfirmedCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit ConfirmedCheckBox(const QString &text, QWidget *parent = nullptr)
        : QCheckBox(text, parent)
    {
        setTristate(true);
        setCheckState(Qt::PartiallyChecked);
    }

protected:
    void nextCheckState() override
    {
        switch (checkState()) {
        case Qt::PartiallyChecked:
            setCheckState(Qt::Checked);
            break;
        case Qt::Checked:
            setCheckState(Qt::Unchecked);
            break;
        case Qt::Unchecked:
            setCheckState(Qt::PartiallyChecked);
            break;
        }
    }
};

// The caption a flag box shows: the name of its state.
inline QString flagCaption(Qt::CheckState s)
{
    switch (s) {
    case Qt::Checked:
        return ConfirmedCheckBox::tr("Checked");
    case Qt::Unchecked:
        return ConfirmedCheckBox::tr("Unchecked");
    default:
        return ConfirmedCheckBox::tr("Unknown");
    }
}

} // namespace kv

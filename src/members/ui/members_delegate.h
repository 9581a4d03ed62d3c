#pragma once

#include <QStyledItemDelegate>

namespace kv {

class MembersGrid;

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

} // namespace kv

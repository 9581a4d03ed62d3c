#include "shell/ui/lookup_combo.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>

namespace kv {

QComboBox *makeTitledLookup(QWidget *parent, const QString &objectName, const QString &title, int widthChars)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    auto *model = new QStandardItemModel(0, 1, combo);
    model->setHorizontalHeaderLabels({title});
    combo->setModel(model);
    auto *view = new QTreeView(combo);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    combo->setView(view);
    view->setHeaderHidden(false);
    view->header()->setStretchLastSection(true);
    const int column = combo->fontMetrics().averageCharWidth() * widthChars;
    view->header()->resizeSection(0, column);
    view->setMinimumWidth(column + view->frameWidth() * 2 + combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(12);
    combo->setToolTip(title);
    return combo;
}

} // namespace kv

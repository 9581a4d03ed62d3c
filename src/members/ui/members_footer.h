#pragma once

#include <QWidget>

namespace kv {

class MembersGrid;

// The footer row under the grid: each column's text (a count, a total) in line
// with its column as the columns move, resize and scroll.
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

} // namespace kv

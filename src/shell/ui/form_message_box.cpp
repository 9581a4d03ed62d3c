#include "shell/ui/form_message_box.h"

#include "data/engine/unit_of_work.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kClientWidth = 303;
constexpr int kClientHeight = 131;
} // namespace

class TFormMessageBox::Private
{
public:
    explicit Private(TFormMessageBox *q);
    void paintNow();

    TFormMessageBox *q;
    QLabel *Label1;
    QProgressBar *RzProgressBarSaveStatus;
    QLabel *LabelRecordCount;
    QPushButton *BitBtnCancel;
    bool working = false;
    bool cancelRequested = false;
    int paintedPercent = -1;
    QElapsedTimer sincePaint;
};

TFormMessageBox::Private::Private(TFormMessageBox *form)
    : q(form)
    , Label1(new QLabel(TFormMessageBox::tr("Saving data. Please do not interrupt!"), form))
    , RzProgressBarSaveStatus(new QProgressBar(form))
    , LabelRecordCount(new QLabel(TFormMessageBox::tr("Total Clients:"), form))
    , BitBtnCancel(new QPushButton(TFormMessageBox::tr("Cancel"), form))
{
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    Label1->setFont(big);

    RzProgressBarSaveStatus->setObjectName(QStringLiteral("RzProgressBarSaveStatus"));
    RzProgressBarSaveStatus->setRange(0, 100);
    RzProgressBarSaveStatus->setValue(0);
    RzProgressBarSaveStatus->setFormat(QStringLiteral("%p%"));
    RzProgressBarSaveStatus->setAlignment(Qt::AlignCenter);

    LabelRecordCount->setObjectName(QStringLiteral("LabelRecordCount"));
    LabelRecordCount->setAlignment(Qt::AlignCenter);
    QFont small = LabelRecordCount->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    LabelRecordCount->setFont(small);

    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    QObject::connect(BitBtnCancel, &QPushButton::clicked, q, [this] {
        cancelRequested = true;
        BitBtnCancel->setEnabled(false);
    });

    // The bar, the count and Cancel appear when the work starts.
    RzProgressBarSaveStatus->setVisible(false);
    LabelRecordCount->setVisible(false);
    BitBtnCancel->setVisible(false);

    auto *layout = new QVBoxLayout(q);
    layout->setContentsMargins(16, 10, 16, 8);
    layout->setSpacing(4);
    layout->addWidget(Label1, 1);
    layout->addWidget(RzProgressBarSaveStatus);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabelRecordCount, 1);
    bottom->addWidget(BitBtnCancel);
    layout->addLayout(bottom);
}

void TFormMessageBox::Private::paintNow()
{
    q->repaint();
    Label1->repaint();
    RzProgressBarSaveStatus->repaint();
    LabelRecordCount->repaint();
    BitBtnCancel->repaint();
}

TFormMessageBox::TFormMessageBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormMessageBox"));
    setWindowTitle(tr("Brenquistal"));
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);
    d = std::make_unique<Private>(this);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

TFormMessageBox::~TFormMessageBox() = default;

void TFormMessageBox::begin(const QString &message, const QString &countText)
{
    d->working = true;
    d->cancelRequested = false;
    show();
    d->Label1->setText(message);
    d->LabelRecordCount->setText(countText);
    d->LabelRecordCount->setVisible(true);
    d->RzProgressBarSaveStatus->setVisible(true);
    d->BitBtnCancel->setEnabled(true);
    d->BitBtnCancel->setVisible(true);
    d->paintNow();
}

void TFormMessageBox::setPercent(int percent)
{
    const int value = qBound(0, percent, 100);
    d->RzProgressBarSaveStatus->setValue(value);
    // A repaint costs more than writing a delivery; what the window shows
    // changes only with the percentage, so paint then (or when the screen has
    // not been refreshed for a while), and let pending events through always.
    if (value != d->paintedPercent || !d->sincePaint.isValid() || d->sincePaint.elapsed() >= 100) {
        d->paintedPercent = value;
        d->paintNow();
        d->sincePaint.start();
    }
    QCoreApplication::processEvents();
    if (d->cancelRequested) {
        d->cancelRequested = false;
        throw kv::Cancelled();
    }
}

void TFormMessageBox::end()
{
    d->working = false;
    hide();
}

void TFormMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormMessageBox::closeEvent(QCloseEvent *event)
{
    // The window goes when the operation ends it; Cancel is the way to stop.
    if (d->working)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

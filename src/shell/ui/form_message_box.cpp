#include "shell/ui/form_message_box.h"

#include "data/engine/unit_of_work.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

const QString TFormMessageBox::kCaption = QStringLiteral("Brenquistal");
const QString TFormMessageBox::kDefaultMessage = QStringLiteral("Saving data. Please do not interrupt!");
const QString TFormMessageBox::kDefaultCount = QStringLiteral("Total Clients:");
const QString TFormMessageBox::kCancelCaption = QStringLiteral("Cancel");

TFormMessageBox::TFormMessageBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormMessageBox"));
    setWindowTitle(kCaption);
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(kDefaultMessage, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    Label1->setFont(big);

    RzProgressBarSaveStatus = new QProgressBar(this);
    RzProgressBarSaveStatus->setObjectName(QStringLiteral("RzProgressBarSaveStatus"));
    RzProgressBarSaveStatus->setRange(0, 100);
    RzProgressBarSaveStatus->setValue(0);
    RzProgressBarSaveStatus->setFormat(QStringLiteral("%p%"));
    RzProgressBarSaveStatus->setAlignment(Qt::AlignCenter);

    LabelRecordCount = new QLabel(kDefaultCount, this);
    LabelRecordCount->setObjectName(QStringLiteral("LabelRecordCount"));
    LabelRecordCount->setAlignment(Qt::AlignCenter);
    QFont small = LabelRecordCount->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    LabelRecordCount->setFont(small);

    BitBtnCancel = new QPushButton(kCancelCaption, this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    connect(BitBtnCancel, &QPushButton::clicked, this, [this] {
        m_cancelRequested = true;
        BitBtnCancel->setEnabled(false);
    });

    // The bar, the count and Cancel appear when the work starts.
    RzProgressBarSaveStatus->setVisible(false);
    LabelRecordCount->setVisible(false);
    BitBtnCancel->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 8);
    layout->setSpacing(4);
    layout->addWidget(Label1, 1);
    layout->addWidget(RzProgressBarSaveStatus);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabelRecordCount, 1);
    bottom->addWidget(BitBtnCancel);
    layout->addLayout(bottom);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void TFormMessageBox::paintNow()
{
    repaint();
    Label1->repaint();
    RzProgressBarSaveStatus->repaint();
    LabelRecordCount->repaint();
    BitBtnCancel->repaint();
}

void TFormMessageBox::begin(const QString &message, const QString &countText)
{
    m_working = true;
    m_cancelRequested = false;
    show();
    Label1->setText(message);
    LabelRecordCount->setText(countText);
    LabelRecordCount->setVisible(true);
    RzProgressBarSaveStatus->setVisible(true);
    BitBtnCancel->setEnabled(true);
    BitBtnCancel->setVisible(true);
    paintNow();
}

void TFormMessageBox::setPercent(int percent)
{
    const int value = qBound(0, percent, 100);
    RzProgressBarSaveStatus->setValue(value);
    // A repaint costs more than writing a delivery; what the window shows
    // changes only with the percentage, so paint then (or when the screen has
    // not been refreshed for a while), and let pending events through always.
    if (value != m_paintedPercent || !m_sincePaint.isValid() || m_sincePaint.elapsed() >= 100) {
        m_paintedPercent = value;
        paintNow();
        m_sincePaint.start();
    }
    QCoreApplication::processEvents();
    if (m_cancelRequested) {
        m_cancelRequested = false;
        throw kv::Cancelled();
    }
}

void TFormMessageBox::end()
{
    m_working = false;
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
    if (m_working)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

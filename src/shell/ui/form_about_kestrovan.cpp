#include "shell/ui/form_about_kestrovan.h"

#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

const QString TFormAboutKestrovan::kCaption = QStringLiteral("About...");
const QString TFormAboutKestrovan::kProgramName = QStringLiteral("Brenquistal Kestrovan Plug-In");
const QString TFormAboutKestrovan::kVersion = QStringLiteral("Version 1.0.1.045");
const QString TFormAboutKestrovan::kCloseText = QStringLiteral("&Close");

namespace {
const QString kCredits = QStringLiteral(
    "Named client lists, invitations and confirmations,\n"
    "and one-off deliveries scheduled from them.\n\n"
    "Built for the volunteers and staff who keep the meals coming.\n"
    "Questions and suggestions: your Brenquistal administrator.");
}

QPixmap TFormAboutKestrovan::logo()
{
    QPixmap pm(100, 58);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A delivery van with a plate of food on its side.
    p.setPen(QPen(QColor(40, 60, 90), 2));
    p.setBrush(QColor(70, 130, 180));
    QPainterPath body;
    body.addRoundedRect(QRectF(4, 14, 62, 30), 4, 4);
    p.drawPath(body);
    p.setBrush(QColor(95, 155, 205));
    QPainterPath cab;
    cab.moveTo(66, 20);
    cab.lineTo(84, 20);
    cab.lineTo(96, 32);
    cab.lineTo(96, 44);
    cab.lineTo(66, 44);
    cab.closeSubpath();
    p.drawPath(cab);
    p.setBrush(QColor(220, 235, 250));
    p.drawRect(QRectF(70, 24, 13, 9));
    p.setBrush(QColor(50, 50, 50));
    p.drawEllipse(QPointF(20, 46), 7, 7);
    p.drawEllipse(QPointF(80, 46), 7, 7);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(35, 29), 10, 10);
    p.setBrush(QColor(230, 120, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(35, 29), 5, 5);
    return pm;
}

TFormAboutKestrovan::TFormAboutKestrovan(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAboutKestrovan"));
    setWindowTitle(kCaption);
    setFixedSize(kWidth, kHeight);

    LabelProgramName = new QLabel(kProgramName, this);
    LabelProgramName->setObjectName(QStringLiteral("LabelProgramName"));
    QFont big = LabelProgramName->font();
    big.setPointSizeF(18);
    big.setBold(true);
    LabelProgramName->setFont(big);
    LabelProgramName->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    auto *shadow = new QGraphicsDropShadowEffect(LabelProgramName);
    shadow->setBlurRadius(2);
    shadow->setOffset(2, 2);
    shadow->setColor(QColor(0, 0, 0, 110));
    LabelProgramName->setGraphicsEffect(shadow);
    LabelProgramName->setAlignment(Qt::AlignCenter);

    LabelVersion = new QLabel(kVersion, this);
    LabelVersion->setObjectName(QStringLiteral("LabelVersion"));
    LabelVersion->setAlignment(Qt::AlignCenter);

    LabelCredits = new QLabel(kCredits, this);
    LabelCredits->setObjectName(QStringLiteral("LabelCredits"));
    LabelCredits->setAlignment(Qt::AlignCenter);
    LabelCredits->setWordWrap(true);

    ImageLogo = new QLabel(this);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setFixedSize(100, 58);
    ImageLogo->setPixmap(logo());

    BitBtnClose = new QPushButton(kCloseText, this);
    BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
    BitBtnClose->setDefault(true);
    connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 16, 14, 12);
    layout->addWidget(LabelProgramName);
    layout->addWidget(LabelVersion);
    layout->addSpacing(8);
    layout->addWidget(LabelCredits, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ImageLogo, 0, Qt::AlignLeft | Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addWidget(BitBtnClose, 0, Qt::AlignRight | Qt::AlignBottom);
    layout->addLayout(bottom);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

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

namespace {

constexpr int kWidth = 472;
constexpr int kHeight = 303;

// The 100 by 58 picture, drawn rather than shipped as a file.
QPixmap logo()
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

} // namespace

TFormAboutKestrovan::TFormAboutKestrovan(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAboutKestrovan"));
    setWindowTitle(tr("About..."));
    setFixedSize(kWidth, kHeight);

    auto *programName = new QLabel(tr("Brenquistal Kestrovan Plug-In"), this);
    programName->setObjectName(QStringLiteral("LabelProgramName"));
    QFont big = programName->font();
    big.setPointSizeF(18);
    big.setBold(true);
    programName->setFont(big);
    programName->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    auto *shadow = new QGraphicsDropShadowEffect(programName);
    shadow->setBlurRadius(2);
    shadow->setOffset(2, 2);
    shadow->setColor(QColor(0, 0, 0, 110));
    programName->setGraphicsEffect(shadow);
    programName->setAlignment(Qt::AlignCenter);

    auto *version = new QLabel(tr("Version 1.0.1.045"), this);
    version->setObjectName(QStringLiteral("LabelVersion"));
    version->setAlignment(Qt::AlignCenter);

    auto *credits = new QLabel(tr("Named client lists, invitations and confirmations,\n"
                                  "and one-off deliveries scheduled from them.\n\n"
                                  "Built for the volunteers and staff who keep the meals coming.\n"
                                  "Questions and suggestions: your Brenquistal administrator."),
                               this);
    credits->setObjectName(QStringLiteral("LabelCredits"));
    credits->setAlignment(Qt::AlignCenter);
    credits->setWordWrap(true);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("ImageLogo"));
    image->setFixedSize(100, 58);
    image->setPixmap(logo());

    auto *close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("BitBtnClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 16, 14, 12);
    layout->addWidget(programName);
    layout->addWidget(version);
    layout->addSpacing(8);
    layout->addWidget(credits, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(image, 0, Qt::AlignLeft | Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addWidget(close, 0, Qt::AlignRight | Qt::AlignBottom);
    layout->addLayout(bottom);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box of the Help menu.
class TFormAboutKestrovan : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;     // "About..."
    static const QString kProgramName; // "Brenquistal Kestrovan Plug-In"
    static const QString kVersion;     // "Version 1.0.1.045"
    static const QString kCloseText;   // "&Close"
    static constexpr int kWidth = 472;
    static constexpr int kHeight = 303;

    explicit TFormAboutKestrovan(QWidget *parent = nullptr);

    QLabel *LabelProgramName;
    QLabel *LabelVersion;
    QLabel *ImageLogo;
    QLabel *LabelCredits;
    QPushButton *BitBtnClose;

    // The 100 by 58 picture, drawn rather than shipped as a file.
    static QPixmap logo();
};

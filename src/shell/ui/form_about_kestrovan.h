#pragma once

#include <QDialog>

// The about box of the Help menu: the program's name and version, the maker's
// lines, a picture at the lower left and "&Close". Its controls are children
// found by their object names (LabelProgramName, LabelVersion, LabelCredits,
// ImageLogo, BitBtnClose); nothing reaches them after it is built.
class TFormAboutKestrovan : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAboutKestrovan(QWidget *parent = nullptr);
};

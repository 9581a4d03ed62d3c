#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QSpinBox;

// "Selected List Members Quantity": the quantity every selected member gets.
// Created for each use; opens with 1 whatever was chosen before.
class TFormGetQuantity : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kGroupCaption;

    explicit TFormGetQuantity(QWidget *parent = nullptr);

    double quantity() const;

    QGroupBox *GroupBoxQuantity;
    QSpinBox *wwDBSpinEditQuantity;
    QPushButton *BitBtnOK;
    QPushButton *BitBtnCancel;

protected:
    void showEvent(QShowEvent *e) override;
};

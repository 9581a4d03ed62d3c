#pragma once

#include <QDialog>

#include <memory>

// "Selected List Members Quantity": the quantity every selected member gets.
// Created for each use; opens with 1 whatever was chosen before.
class TFormGetQuantity : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kGroupCaption;

    explicit TFormGetQuantity(QWidget *parent = nullptr);
    ~TFormGetQuantity() override;

    double quantity() const;

protected:
    void showEvent(QShowEvent *e) override;

private:
    struct Controls;
    std::unique_ptr<Controls> d;
};

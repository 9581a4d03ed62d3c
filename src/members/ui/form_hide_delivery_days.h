#pragma once

#include "members/visibility.h"

#include <QDialog>

#include <memory>

// "Select days to hide": the weekdays whose members are to be hidden. OK is
// enabled only while at least one day is checked.
class TFormHideDeliveryDays : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kPrompt;
    static const QString kGroupCaption;

    explicit TFormHideDeliveryDays(QWidget *parent = nullptr);
    ~TFormHideDeliveryDays() override;

    kv::Visibility::Days checkedDays() const;
    void setDayChecked(int day, bool checked);

protected:
    void showEvent(QShowEvent *e) override;

private:
    void RzCheckListDeliveryDaysChange();

    struct Controls;
    std::unique_ptr<Controls> d;
};

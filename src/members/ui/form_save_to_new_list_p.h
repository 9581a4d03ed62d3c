#pragma once

// The copy dialog's widgets, shared by the file that builds it
// (form_save_to_new_list_build.cpp) and the one that runs its handlers.
// Tests reach a control by its object name.

#include "members/ui/form_save_to_new_list.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
class QToolButton;

namespace kv {
class ConfirmedCheckBox;
class FulfilmentDefaultsPanel;
class RadioGroup;
} // namespace kv

// A text of the dialog's header (kCaption, the questions) in the user's language.
inline QString translated(const QString &source)
{
    return TFormSaveToNewList::tr(source.toUtf8().constData());
}

struct TFormSaveToNewList::Private
{
    QTabBar *RzTabControl1 = nullptr;
    QGroupBox *RzGroupBoxNameDescription = nullptr;
    QLineEdit *DBEditListName = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QGroupBox *RzGroupBoxSelectlist = nullptr;
    QComboBox *wwDBLookupComboListName = nullptr;
    QToolButton *NavigatorPost = nullptr;
    QToolButton *NavigatorCancel = nullptr;
    QWidget *wwDBNavigator1 = nullptr;
    QGroupBox *RzGroupBoxDefaultFulfillmentOptions = nullptr;
    kv::FulfilmentDefaultsPanel *defaults = nullptr;
    QGroupBox *RzGroupBoxCurrentSaveOptionsExistingList = nullptr;
    kv::RadioGroup *RzRadioGroupInvitedStateExisting = nullptr;
    QCheckBox *RzCheckBoxInvitedStateExisting = nullptr;
    kv::RadioGroup *RzRadioGroupConfirrmedStateExisting = nullptr;
    kv::ConfirmedCheckBox *RzCheckBoxConfirmedStateExisting = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

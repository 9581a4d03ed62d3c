#include "members/ui/form_save_to_new_list_p.h"

#include "data/engine/query.h"
#include "data/text_cut.h"
#include "shell/ui/fulfilment_defaults_panel.h"
#include "members/ui/flag_check_box.h"
#include "shell/ui/radio_group.h"
#include "shell/ui/lookup_combo.h"
#include "shell/ui/record_navigator.h"
#include "shell/ui/screen_reader_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

TFormSaveToNewList::TFormSaveToNewList(kv::Database &db, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Private>())
    , m_db(db)
    , m_prompts(prompts)
    , m_queries(std::make_unique<kv::CopyDestinationQueries>(db))
{
    setObjectName(QStringLiteral("TFormSaveToNewList"));
    setWindowTitle(translated(kCaption));

    d->RzTabControl1 = new QTabBar(this);
    d->RzTabControl1->setObjectName(QStringLiteral("RzTabControl1"));
    d->RzTabControl1->addTab(tr("New List"));
    d->RzTabControl1->addTab(tr("Existing List"));

    // Name and description (new list)
    d->RzGroupBoxNameDescription =
        new QGroupBox(tr("Enter a Name and Description for the list"), this);
    d->RzGroupBoxNameDescription->setObjectName(QStringLiteral("RzGroupBoxNameDescription"));
    d->DBEditListName = new QLineEdit(d->RzGroupBoxNameDescription);
    d->DBEditListName->setObjectName(QStringLiteral("DBEditListName"));
    d->DBEditListName->setMaxLength(50);
    d->DBMemo1 = new QPlainTextEdit(d->RzGroupBoxNameDescription);
    d->DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    d->DBMemo1->setMaximumHeight(70);
    {
        auto *g = new QGridLayout(d->RzGroupBoxNameDescription);
        auto *nameLabel = new QLabel(tr("List Name:"));
        nameLabel->setBuddy(d->DBEditListName);
        auto *memoLabel = new QLabel(tr("Description/Use:"));
        memoLabel->setBuddy(d->DBMemo1);
        g->addWidget(nameLabel, 0, 0);
        g->addWidget(d->DBEditListName, 0, 1);
        g->addWidget(memoLabel, 1, 0, Qt::AlignTop);
        g->addWidget(d->DBMemo1, 1, 1);
    }

    // Pick an existing list
    d->RzGroupBoxSelectlist = new QGroupBox(tr("Select a List"), this);
    d->RzGroupBoxSelectlist->setObjectName(QStringLiteral("RzGroupBoxSelectlist"));
    // The pick list's one column, 50 wide, under the title "List".
    d->wwDBLookupComboListName =
        kv::makeTitledLookup(d->RzGroupBoxSelectlist, QStringLiteral("wwDBLookupComboListName"), tr("List"), 50);
    d->wwDBLookupComboListName->setMinimumContentsLength(50);
    {
        auto *cursor = new kv::QueryRowCursor(m_queries->QueryLists.get(), this);
        auto *navigator = new kv::RecordNavigator(cursor, {kv::RecordNavigator::Post, kv::RecordNavigator::Cancel},
                                                  QStringLiteral("Navigator"), d->RzGroupBoxSelectlist);
        navigator->setObjectName(QStringLiteral("wwDBNavigator1"));
        // Both buttons stay live whatever the row: pressing one with nothing pending does nothing.
        navigator->setFollowsCursor(false);
        navigator->setRunner([this](kv::RecordNavigator::Button which, const std::function<void()> &step) {
            runAction(which == kv::RecordNavigator::Post ? QStringLiteral("NavigatorPostClick")
                                                         : QStringLiteral("NavigatorCancelClick"),
                      [&] {
                          if (which == kv::RecordNavigator::Post)
                              postLists();
                          else
                              step();
                          showCurrentRow();
                      });
        });
        d->wwDBNavigator1 = navigator;
        d->NavigatorPost = navigator->button(kv::RecordNavigator::Post);
        d->NavigatorCancel = navigator->button(kv::RecordNavigator::Cancel);
        d->NavigatorPost->setText(QStringLiteral("\u2714"));
        d->NavigatorCancel->setText(QStringLiteral("\u2716"));
        auto *h = new QHBoxLayout(d->RzGroupBoxSelectlist);
        h->addWidget(d->wwDBLookupComboListName, 1);
        h->addWidget(d->wwDBNavigator1);
    }

    // The destination list's fulfilment defaults
    d->RzGroupBoxDefaultFulfillmentOptions = new QGroupBox(tr("Default Fulfillment Options"), this);
    d->RzGroupBoxDefaultFulfillmentOptions->setObjectName(QStringLiteral("RzGroupBoxDefaultFulfillmentOptions"));
    {
        kv::FulfilmentDefaultsPanel::Options panelOptions;
        panelOptions.names = {QStringLiteral("wwCheckBoxActiveOnly"),   QStringLiteral("RzDBRadioGroupConfirmed"),
                              QStringLiteral("RzDBRadioGroupService"),  QStringLiteral("wwDBLookupComboService"),
                              QStringLiteral("RzDBRadioGroupItems"),    QStringLiteral("wwDBSpinEdit1"),
                              QStringLiteral("wwDBLookupComboItem")};
        panelOptions.activeOnlyCaption = tr("Fulfill only to clients active at time of fulfillment");
        panelOptions.selectedItemCaption = tr("Specified Quantity and Item:");
        // The values a user picks run 1 to 999; the position below them, shown
        // empty, is "no quantity" (stored as null), so that a stored 1 shows as 1.
        panelOptions.quantityMaximum = kMaxQuantity;
        // Titled and as wide as the fulfilment options dialog's lookups.
        panelOptions.lookupWidthChars = kv::FulfilmentDefaultsPanel::Options::kDialogLookupWidthChars;
        auto *panel = new kv::FulfilmentDefaultsPanel(panelOptions, d->RzGroupBoxDefaultFulfillmentOptions);
        auto *v = new QVBoxLayout(d->RzGroupBoxDefaultFulfillmentOptions);
        v->addWidget(panel);
        d->defaults = panel;
    }

    // How the copies' flags are set
    d->RzGroupBoxCurrentSaveOptionsExistingList = new QGroupBox(tr("Current Save Options"), this);
    d->RzGroupBoxCurrentSaveOptionsExistingList->setObjectName(QStringLiteral("RzGroupBoxCurrentSaveOptionsExistingList"));
    d->RzRadioGroupInvitedStateExisting = new kv::RadioGroup(
        tr("Invited Checkbox status"), {tr("Leave checkbox status as is"), tr("Checkbox should be populated as")},
        d->RzGroupBoxCurrentSaveOptionsExistingList);
    d->RzRadioGroupInvitedStateExisting->setObjectName(QStringLiteral("RzRadioGroupInvitedStateExisting"));
    d->RzRadioGroupInvitedStateExisting->setItemIndex(0);
    d->RzCheckBoxInvitedStateExisting = new QCheckBox(kv::flagCaption(Qt::Unchecked), d->RzRadioGroupInvitedStateExisting);
    d->RzCheckBoxInvitedStateExisting->setObjectName(QStringLiteral("RzCheckBoxInvitedStateExisting"));
    d->RzRadioGroupInvitedStateExisting->setItemWidget(1, d->RzCheckBoxInvitedStateExisting);
    d->RzRadioGroupConfirrmedStateExisting = new kv::RadioGroup(
        tr("Confirmed checkbox status"), {tr("Leave checkbox as is"), tr("Checkbox should be populated as")},
        d->RzGroupBoxCurrentSaveOptionsExistingList);
    d->RzRadioGroupConfirrmedStateExisting->setObjectName(QStringLiteral("RzRadioGroupConfirrmedStateExisting"));
    d->RzRadioGroupConfirrmedStateExisting->setItemIndex(0);
    d->RzCheckBoxConfirmedStateExisting =
        new kv::ConfirmedCheckBox(kv::flagCaption(Qt::PartiallyChecked), d->RzRadioGroupConfirrmedStateExisting);
    d->RzCheckBoxConfirmedStateExisting->setObjectName(QStringLiteral("RzCheckBoxConfirmedStateExisting"));
    d->RzRadioGroupConfirrmedStateExisting->setItemWidget(1, d->RzCheckBoxConfirmedStateExisting);
    {
        auto *h = new QHBoxLayout(d->RzGroupBoxCurrentSaveOptionsExistingList);
        h->addWidget(d->RzRadioGroupInvitedStateExisting);
        h->addWidget(d->RzRadioGroupConfirrmedStateExisting);
    }

    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setEnabled(false);
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->RzTabControl1);
    layout->addWidget(d->RzGroupBoxNameDescription);
    layout->addWidget(d->RzGroupBoxSelectlist);
    layout->addWidget(d->RzGroupBoxDefaultFulfillmentOptions);
    layout->addWidget(d->RzGroupBoxCurrentSaveOptionsExistingList);
    layout->addStretch();
    d->RzGroupBoxSelectlist->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    d->RzGroupBoxNameDescription->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    layout->addLayout(buttons);

    kv::Query &lists = *m_queries->QueryLists;
    connect(&lists, &kv::Query::afterInsert, this, &TFormSaveToNewList::QueryListsAfterInsert);
    connect(d->RzTabControl1, &QTabBar::currentChanged, this, [this] { RzTabControl1Change(); });
    connect(d->wwDBLookupComboListName, &QComboBox::activated, this, [this] { wwDBLookupComboListNameChange(); });
    connect(d->DBEditListName, &QLineEdit::textChanged, this, [this] { DBEditListNameChange(); });
    connect(d->DBEditListName, &QLineEdit::textEdited, this,
            [this](const QString &t) { writeField(QStringLiteral("List_Name"), t); });
    connect(d->DBMemo1, &QPlainTextEdit::textChanged, this, [this] {
        QString text = d->DBMemo1->toPlainText();
        if (kv::characterCount(text) > kDescriptionLength) {
            // The column's limit, kept as the lists window keeps it.
            text = kv::cutToWidth(text, kDescriptionLength);
            const QSignalBlocker block(d->DBMemo1);
            d->DBMemo1->setPlainText(text);
            d->DBMemo1->moveCursor(QTextCursor::End);
        }
        writeField(QStringLiteral("List_Desc"), text);
    });
    connect(d->defaults->activeOnly(), &QCheckBox::clicked, this, [this](bool on) {
        writeField(QStringLiteral("Active_Only"), on ? QStringLiteral("Y") : QStringLiteral("N"));
    });
    connect(d->defaults->confirmed(), &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Checkbox_Setting"), kv::FulfilmentDefaultsPanel::confirmedCodes().value(i)); });
    connect(d->defaults->service(), &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Service_Method"), kv::FulfilmentDefaultsPanel::serviceCodes().value(i)); });
    connect(d->defaults->items(), &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes().value(i)); });
    connect(d->defaults->serviceLookup(), &QComboBox::activated, this, [this] { wwDBLookupComboServiceChange(); });
    connect(d->defaults->itemLookup(), &QComboBox::activated, this, [this] { wwDBLookupComboItemChange(); });
    connect(d->defaults->quantity(), &QSpinBox::valueChanged, this, [this] { wwDBSpinEdit1Change(); });
    connect(d->RzCheckBoxInvitedStateExisting, &QCheckBox::clicked, this,
            &TFormSaveToNewList::RzCheckBoxInvitedStateExistingClick);
    connect(d->RzCheckBoxConfirmedStateExisting, &QCheckBox::clicked, this,
            &TFormSaveToNewList::RzCheckBoxConfirmedStateExistingClick);
    connect(d->BitBtnOK, &QPushButton::clicked, this, &TFormSaveToNewList::BitBtnOKClick);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &TFormSaveToNewList::BitBtnCancelClick);
    // The list pick list is spoken by its group's caption.
    kv::nameControlsForScreenReaders(this);
}

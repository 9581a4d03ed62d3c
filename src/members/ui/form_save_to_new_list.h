#pragma once

#include "members/copy_members.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

namespace kv {
class Database;
class Prompts;
} // namespace kv

// "Save to Another List": names the list the selected members are copied
// into (a new one or an existing one), lets the user edit that list's
// fulfilment defaults, and says how the copies' flags are set. Its data
// controls edit the current row of its own lists query.
class TFormSaveToNewList : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kSaveBeforeNavigating;
    static const QString kErrorLocatingList;
    static const QString kSaveBeforeClosing;
    static constexpr int kNewListTab = 0;
    // The quantity box's range (the position below it is "no quantity") and the description's length.
    static constexpr int kNoQuantity = 0;
    static constexpr int kMinQuantity = 1;
    static constexpr int kMaxQuantity = 999;
    static constexpr int kDescriptionLength = 250;
    static constexpr int kExistingListTab = 1;

    // db: the lists database (the lists session); every query of the dialog,
    // the service and item pick lists included, reads through it.
    TFormSaveToNewList(kv::Database &db, kv::Prompts &prompts, QWidget *parent = nullptr);
    ~TFormSaveToNewList() override;

    // Which tab the dialog opens on (the operation asks for "New List" when
    // there is no other list to copy into).
    void setStartTab(int tab) { m_startTab = tab; }

    // Results: "N" new list, "E" existing list, empty when cancelled or failed;
    // the destination's name; and its Record_ID (0 when unknown or a new list).
    QString cNewOrExistingList;
    QString cSelectedListName;
    int nSelectedListID = 0;

    kv::CopyFlagOptions saveOptions() const;
    // The choice OK made, as a value; none when cancelled or failed. For a
    // new list it carries the list's values: the dialog writes no new list,
    // the copy creates it, and OK leaves no transaction open.
    std::optional<kv::CopyChoice> choice() const;
    kv::CopyDestinationQueries &queries() { return *m_queries; }

    // Handlers
    void FormShow();
    void RzTabControl1Change();
    void wwDBLookupComboListNameChange();
    void DBEditListNameChange();
    void BitBtnOKClick();
    void BitBtnCancelClick();
    void FormClose();
    void QueryListsAfterInsert();
    void wwDBLookupComboServiceChange();
    void wwDBLookupComboItemChange();
    void wwDBSpinEdit1Change();
    void RzCheckBoxInvitedStateExistingClick();
    void RzCheckBoxConfirmedStateExistingClick();

protected:
    void showEvent(QShowEvent *e) override;
    void done(int result) override;

private:
    // Every handler's boundary (kv::runAction) with this dialog's prompts.
    bool runAction(const QString &handler, const std::function<void()> &fn);
    bool listsPending() const;
    void fillPickLists();
    void showCurrentRow();
    void showDestinationKind();
    void writeField(const QString &field, const QVariant &value);
    // Writes the pending list row in a unit of work of its own; after another
    // user's change asks whether to read the lists again. False: not written.
    bool postLists();
    // The inserted row's values as the new list the copy creates.
    kv::NewListValues newListValues() const;
    static QString reloadQuestion();
    // After the rows were read again: the lookup and pick lists that show them.
    void readListsAgain();

    struct Private;
    std::unique_ptr<Private> d;
    kv::Database &m_db;
    kv::Prompts &m_prompts;
    std::unique_ptr<kv::CopyDestinationQueries> m_queries;
    kv::NewListValues m_newList; // what OK chose for a new list
    int m_startTab = kExistingListTab;
    bool m_showing = false; // widgets are being filled from the row
    bool m_closed = false;
};

// Set while the dialog exists.
extern TFormSaveToNewList *FormSaveToNewList;

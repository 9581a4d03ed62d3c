#pragma once

// The lists window's widgets, bindings and connections, shared by the files
// that build it (form_lists_build.cpp), show its rows (form_lists_data.cpp)
// and run its handlers (form_lists.cpp). Nothing outside the window sees them:
// tests reach a control by its object name.

#include "lists/lists_window_state.h"
#include "lists/ui/form_lists.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace kv {
class DataBinding;
class QueryRowCursor;
class FulfilmentDefaultsPanel;
class RadioGroup;
} // namespace kv

// The window's own texts, marked for translation in the window's context.
namespace form_lists_text {
inline constexpr const char *kListNameCaption = QT_TRANSLATE_NOOP("TFormLists", "List Name");
inline constexpr const char *kDescriptionCaption = QT_TRANSLATE_NOOP("TFormLists", "Description/Use:");
inline constexpr const char *kAddModeCaption = QT_TRANSLATE_NOOP("TFormLists", "Default Member Add Mode");
inline constexpr const char *kOptionsCaption = QT_TRANSLATE_NOOP("TFormLists", "Default Fulfillment Options");
inline constexpr const char *kActiveOnlyCaption =
    QT_TRANSLATE_NOOP("TFormLists", "Fulfill only to clients active at time of fullfillment");
inline constexpr const char *kSpecifiedItemCaption = QT_TRANSLATE_NOOP("TFormLists", "Specified Quantity and Item:");
inline constexpr const char *kUpdatedByCaption = QT_TRANSLATE_NOOP("TFormLists", "Edited/Updated By");
inline constexpr const char *kServiceColumnTitle = QT_TRANSLATE_NOOP("TFormLists", "Service");
inline constexpr const char *kItemColumnTitle = QT_TRANSLATE_NOOP("TFormLists", "Item");
inline constexpr const char *kDescriptionColumnTitle = QT_TRANSLATE_NOOP("TFormLists", "Description");
inline constexpr const char *kEditPage = QT_TRANSLATE_NOOP("TFormLists", "Edit");
inline constexpr const char *kBrowsePage = QT_TRANSLATE_NOOP("TFormLists", "Browse");
} // namespace form_lists_text

// A text of the window's header (kCaption, the questions) in the user's language.
inline QString translated(const QString &source)
{
    return TFormLists::tr(source.toUtf8().constData());
}

struct TFormLists::Private
{
    QPointer<QWidget> hostControl;

    // Pages
    QTabWidget *PageControl = nullptr;
    QWidget *TabSheetEdit = nullptr;
    QWidget *TabSheetBrowse = nullptr;
    // Edit page
    QLineEdit *DBEditListName = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QComboBox *wwDBComboBox1 = nullptr;
    kv::FulfilmentDefaultsPanel *defaults = nullptr;
    QLineEdit *DBEdituser = nullptr;
    // Browse page
    QTableView *wwDBGridLists = nullptr;
    // Bottom bar
    QWidget *DBNavigator = nullptr;
    QToolButton *NavFirst = nullptr;
    QToolButton *NavPrior = nullptr;
    QToolButton *NavNext = nullptr;
    QToolButton *NavLast = nullptr;
    QToolButton *NavInsert = nullptr;
    QToolButton *NavPost = nullptr;
    QToolButton *NavCancel = nullptr;
    QPushButton *ButtonDelete = nullptr;
    QPushButton *ButtonEditMembers = nullptr;
    QPushButton *ButtonFulfill = nullptr;
    QPushButton *ButtonCancelPending = nullptr;
    QPushButton *BitBtnClose = nullptr;
    // Status bar
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusListName = nullptr;
    QLabel *StatusRowState = nullptr;
    QLabel *StatusClock = nullptr;
    // Actions and menu
    QAction *ActionFulfill = nullptr;
    QAction *ActionEditListMembers = nullptr;
    QAction *ActionDeleteList = nullptr;
    QAction *ActionCancelPending = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QAction *MenuFileClose = nullptr;
    QAction *MenuEditMembers = nullptr;
    QAction *MenuDeleteList = nullptr;
    QAction *MenuViewEdit = nullptr;
    QAction *MenuViewBrowse = nullptr;
    QAction *MenuUtilitiesFulfill = nullptr;
    QMenu *MenuReports = nullptr;
    QAction *MenuHelpAbout = nullptr;

    // The rows on show
    QueryTableModel *listsModel = nullptr;
    QueryTableModel *servicesModel = nullptr;
    QueryTableModel *itemsModel = nullptr;
    kv::DataBinding *binding = nullptr;
    kv::QueryRowCursor *listsCursor = nullptr;
    // The row on display, its pending edit and the window's writes.
    std::unique_ptr<kv::ListsWindowState> state;
    QTimer *clock = nullptr;
    bool syncingGrid = false;

    QMetaObject::Connection serviceLookupHandler;
    QMetaObject::Connection itemLookupHandler;
    QMetaObject::Connection quantityHandler;
};

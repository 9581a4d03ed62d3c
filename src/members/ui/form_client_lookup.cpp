#include "members/ui/form_client_lookup.h"

#include "data/engine/query.h"
#include "members/ui/query_pick_model.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

const QString TFormClientLookup::kCaption = QStringLiteral("Lookup a Client");

TFormClientLookup::TFormClientLookup(Query &clients, QWidget *parent)
    : QDialog(parent)
    , m_clients(clients)
{
    setObjectName(QStringLiteral("TFormClientLookup"));
    setWindowTitle(kCaption);
    m_model = new QueryPickModel(clients,
                                 {
                                     {QStringLiteral("Last_First"), 25, QStringLiteral("Last_First")},
                                     {QStringLiteral("Address1"), 20, QStringLiteral("Address")},
                                     {QStringLiteral("City"), 15, QStringLiteral("City")},
                                     {QStringLiteral("State"), 3, QStringLiteral("State")},
                                     {QStringLiteral("ZIP"), 10, QStringLiteral("ZIP")},
                                     {QStringLiteral("Phone"), 15, QStringLiteral("Phone")},
                                     {QStringLiteral("Client_ID"), 8, QStringLiteral("Client ID")},
                                     {QStringLiteral("Status"), 3, QStringLiteral("Stat")},
                                 },
                                 this);

    auto *layout = new QVBoxLayout(this);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("Search:"), this));
    EditSearch = new QLineEdit(this);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    searchRow->addWidget(EditSearch);
    layout->addLayout(searchRow);

    GridClients = new QTableView(this);
    GridClients->setObjectName(QStringLiteral("GridClients"));
    GridClients->setModel(m_model);
    GridClients->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridClients->setSelectionMode(QAbstractItemView::SingleSelection);
    GridClients->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridClients->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    GridClients->verticalHeader()->hide();
    const int cw = fontMetrics().averageCharWidth();
    int total = 0;
    for (int i = 0; i < m_model->columns().size(); ++i) {
        const auto &c = m_model->columns().at(i);
        const int w = int(qMax<qsizetype>(c.widthChars, c.title.size() + 2)) * cw + 10;
        GridClients->setColumnWidth(i, w);
        total += w;
    }
    layout->addWidget(GridClients);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BitBtnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtnCancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(GridClients, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(EditSearch, &QLineEdit::textEdited, this, &TFormClientLookup::EditSearchChange);

    resize(total + 60, 420);
    setCurrentRow(clients.isOpen() ? clients.recNo() : -1);
}

int TFormClientLookup::pickedRow() const
{
    const QModelIndex i = GridClients->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TFormClientLookup::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex i = m_model->index(row, 0);
    GridClients->setCurrentIndex(i);
    GridClients->scrollTo(i, QAbstractItemView::PositionAtCenter);
}

void TFormClientLookup::EditSearchChange(const QString &text)
{
    const int row = m_model->findPrefix(QStringLiteral("Last_First"), text);
    if (row >= 0)
        setCurrentRow(row);
}

// --- ClientLookupCombo -------------------------------------------------------

ClientLookupCombo::ClientLookupCombo(Query &clients, QWidget *parent)
    : QWidget(parent)
    , m_clients(clients)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setReadOnly(true);
    ButtonLookup = new QToolButton(this);
    ButtonLookup->setObjectName(QStringLiteral("ButtonLookup"));
    ButtonLookup->setText(QStringLiteral("..."));
    ButtonLookup->setToolTip(TFormClientLookup::kCaption);
    row->addWidget(Edit, 1);
    row->addWidget(ButtonLookup);
    setFocusProxy(Edit);
    connect(ButtonLookup, &QToolButton::clicked, this, [this] { pick(); });
}

QString ClientLookupCombo::text() const
{
    return Edit->text();
}

void ClientLookupCombo::setText(const QString &text)
{
    Edit->setText(text);
}

bool ClientLookupCombo::pick()
{
    TFormClientLookup dlg(m_clients, this);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const int row = dlg.pickedRow();
    if (row < 0 || !m_clients.isOpen())
        return false;
    m_clients.setRecNo(row);
    setText(m_clients.fieldValue(QStringLiteral("Last_First")).toString());
    Q_EMIT changed();
    return true;
}

} // namespace kv

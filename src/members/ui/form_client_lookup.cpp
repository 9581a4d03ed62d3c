#include "members/ui/form_client_lookup.h"

#include "data/engine/query.h"
#include "members/ui/query_pick_model.h"
#include "shell/ui/form_placement.h"

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

const QString TFormClientLookup::kCaption = QStringLiteral(QT_TRANSLATE_NOOP("kv::TFormClientLookup", "Lookup a Client"));

struct TFormClientLookup::Controls
{
    QLineEdit *EditSearch = nullptr;
    QTableView *GridClients = nullptr;
};

TFormClientLookup::TFormClientLookup(Query &clients, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Controls>())
    , m_clients(clients)
{
    setObjectName(QStringLiteral("TFormClientLookup"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));
    m_model = new QueryPickModel(clients,
                                 {
                                     {QStringLiteral("Last_First"), 25, tr("Last_First")},
                                     {QStringLiteral("Address1"), 20, tr("Address")},
                                     {QStringLiteral("City"), 15, tr("City")},
                                     {QStringLiteral("State"), 3, tr("State")},
                                     {QStringLiteral("ZIP"), 10, tr("ZIP")},
                                     {QStringLiteral("Phone"), 15, tr("Phone")},
                                     {QStringLiteral("Client_ID"), 8, tr("Client ID")},
                                     {QStringLiteral("Status"), 3, tr("Stat")},
                                 },
                                 this);

    auto *layout = new QVBoxLayout(this);
    auto *searchRow = new QHBoxLayout;
    auto *searchLabel = new QLabel(tr("Search:"), this);
    searchRow->addWidget(searchLabel);
    d->EditSearch = new QLineEdit(this);
    d->EditSearch->setObjectName(QStringLiteral("EditSearch"));
    searchLabel->setBuddy(d->EditSearch);
    searchRow->addWidget(d->EditSearch);
    layout->addLayout(searchRow);

    d->GridClients = new QTableView(this);
    d->GridClients->setObjectName(QStringLiteral("GridClients"));
    // The grid of clients is spoken with the dialog's caption.
    d->GridClients->setAccessibleName(windowTitle());
    d->GridClients->setModel(m_model);
    d->GridClients->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->GridClients->setSelectionMode(QAbstractItemView::SingleSelection);
    d->GridClients->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->GridClients->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    d->GridClients->verticalHeader()->hide();
    const int cw = fontMetrics().averageCharWidth();
    int total = 0;
    for (int i = 0; i < m_model->columns().size(); ++i) {
        const auto &c = m_model->columns().at(i);
        int w = int(qMax<qsizetype>(c.widthChars, c.title.size() + 2)) * cw + 10;
        // Figures are wider than the average letter: a phone number, a ZIP or an
        // id shows whole, so that two clients of one name can be told apart.
        if (c.field == QLatin1String("Phone") || c.field == QLatin1String("ZIP") || c.field == QLatin1String("Client_ID"))
            w = qMax(w, fontMetrics().horizontalAdvance(QString(c.widthChars, QLatin1Char('0'))) + 10);
        d->GridClients->setColumnWidth(i, w);
        total += w;
    }
    // The last column takes what the window gives beyond the design widths;
    // Tab goes on to the buttons.
    d->GridClients->horizontalHeader()->setStretchLastSection(true);
    d->GridClients->setTabKeyNavigation(false);
    layout->addWidget(d->GridClients);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BitBtnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtnCancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(d->GridClients, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(d->EditSearch, &QLineEdit::textEdited, this, &TFormClientLookup::EditSearchChange);

    resize(total + 60, 420);
    kv::fitToScreen(this);
    setCurrentRow(clients.isOpen() ? clients.recNo() : -1);
}

TFormClientLookup::~TFormClientLookup() = default;

int TFormClientLookup::pickedRow() const
{
    const QModelIndex i = d->GridClients->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TFormClientLookup::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex i = m_model->index(row, 0);
    d->GridClients->setCurrentIndex(i);
    d->GridClients->scrollTo(i, QAbstractItemView::PositionAtCenter);
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
    ButtonLookup->setToolTip(TFormClientLookup::tr(qUtf8Printable(TFormClientLookup::kCaption)));
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

void ClientLookupCombo::setSpokenName(const QString &caption)
{
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    Edit->setAccessibleName(name.trimmed());
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

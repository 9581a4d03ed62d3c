#include "data/ui/form_registry_editor.h"

#include "data/engine/db_error.h"
#include "data/registry.h"
#include "shell/ui/qt_prompts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

using kv::GetRegString;
using kv::SetRegString;

namespace {
// The data location's caption as designed, and as it follows the mode.
const char *const kDataPathCaption = QT_TRANSLATE_NOOP("TFormRegistryEditor", "Database location:");
const char *const kDataLocationCaption = QT_TRANSLATE_NOOP("TFormRegistryEditor", "Data Location:");
const char *const kSharedIniCaption = QT_TRANSLATE_NOOP("TFormRegistryEditor", "Shared Ini Directory:");
const char *const kServerIpCaption = QT_TRANSLATE_NOOP("TFormRegistryEditor", "Server IP Address:");
const char *const kFolderChooserTitle = QT_TRANSLATE_NOOP("TFormRegistryEditor", "Locate Brenquistal Data Folder");
// The server is named by its address or by a host name: the characters of
// both (an IPv6 address in brackets included), no blanks. A four-number mask
// would erase a stored host name and pad an address with blanks.
const QString kServerNameCharacters = QStringLiteral("[A-Za-z0-9._:\\[\\]-]*");

const QString kMode = QStringLiteral("Mode");
const QString kAlias = QStringLiteral("Alias");
const QString kServerIp = QStringLiteral("Server IP");
const QString kConnection = QStringLiteral("Connection");
const QString kAppValue = QString::fromLatin1(kv::Registry::AppValue);

QString defaultChooseFolder(QWidget *parent, const QString &title, const QString &start)
{
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}
} // namespace

class TFormRegistryEditor::Private
{
public:
    std::unique_ptr<kv::Prompts> ownPrompts;
    kv::Prompts *prompts = nullptr;
    FolderChooser chooseFolder = &defaultChooseFolder;

    QGroupBox *RzRadioGroupMode = nullptr;
    QButtonGroup *modeButtons = nullptr;
    QLabel *LabelDataPath = nullptr;
    QLineEdit *RzButtonEditDataPath = nullptr;
    QToolButton *RzButtonEditDataPathButton = nullptr;
    QLineEdit *wwDBEditIPAddress = nullptr;
    QComboBox *RzComboBoxConnectionType = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

TFormRegistryEditor::TFormRegistryEditor(kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Private>())
{
    d->prompts = &prompts;
    build();
    FormShow();
}

TFormRegistryEditor::TFormRegistryEditor(QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Private>())
{
    d->ownPrompts = std::make_unique<kv::QtPrompts>(this);
    d->prompts = d->ownPrompts.get();
    build();
    FormShow();
}

TFormRegistryEditor::~TFormRegistryEditor() = default;

void TFormRegistryEditor::setFolderChooser(FolderChooser chooser)
{
    d->chooseFolder = std::move(chooser);
}

void TFormRegistryEditor::build()
{
    setObjectName(QStringLiteral("FormRegistryEditor"));
    setWindowTitle(tr("Brenquistal Data Options"));
    setModal(true);

    d->RzRadioGroupMode = new QGroupBox(tr("Operation Mode"), this);
    d->RzRadioGroupMode->setObjectName(QStringLiteral("RzRadioGroupMode"));
    d->modeButtons = new QButtonGroup(this);
    auto *modeLayout = new QHBoxLayout(d->RzRadioGroupMode);
    const QStringList modeItems = {tr("File Server"), tr("Client-Server Engine")};
    for (int i = 0; i < modeItems.size(); ++i) {
        auto *b = new QRadioButton(modeItems.at(i), d->RzRadioGroupMode);
        b->setObjectName(QStringLiteral("Item%1").arg(i));
        d->modeButtons->addButton(b, i);
        modeLayout->addWidget(b);
    }
    modeLayout->addStretch(1);
    setModeIndex(0);

    auto *labelDataPath = d->LabelDataPath = new QLabel(tr(kDataPathCaption), this);
    labelDataPath->setObjectName(QStringLiteral("LabelDataPath"));
    auto *dataPath = d->RzButtonEditDataPath = new QLineEdit(this);
    dataPath->setObjectName(QStringLiteral("RzButtonEditDataPath"));
    dataPath->setReadOnly(true);
    labelDataPath->setBuddy(dataPath);
    // The caption changes with the mode; keep room for the longest one.
    int labelWidth = 0;
    for (const char *c : {kDataPathCaption, kDataLocationCaption, kSharedIniCaption, kServerIpCaption})
        labelWidth = qMax(labelWidth, labelDataPath->fontMetrics().horizontalAdvance(tr(c)));
    labelDataPath->setMinimumWidth(labelWidth + 4);
    auto *browse = d->RzButtonEditDataPathButton = new QToolButton(this);
    browse->setObjectName(QStringLiteral("RzButtonEditDataPathButton"));
    browse->setText(QStringLiteral("..."));
    browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    browse->setToolTip(tr(kFolderChooserTitle));
    // Spoken as what it does rather than as its three dots.
    browse->setAccessibleName(tr(kFolderChooserTitle));

    auto *labelServerIp = new QLabel(tr(kServerIpCaption), this);
    labelServerIp->setObjectName(QStringLiteral("LabelServerIP"));
    auto *address = d->wwDBEditIPAddress = new QLineEdit(this);
    address->setObjectName(QStringLiteral("wwDBEditIPAddress"));
    address->setValidator(new QRegularExpressionValidator(QRegularExpression(kServerNameCharacters), address));
    address->setMinimumWidth(address->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);
    labelServerIp->setBuddy(address);

    auto *labelServerType = new QLabel(tr("ServerType:"), this);
    labelServerType->setObjectName(QStringLiteral("LabelServerType"));
    auto *connection = d->RzComboBoxConnectionType = new QComboBox(this);
    connection->setObjectName(QStringLiteral("RzComboBoxConnectionType"));
    // The registry keeps the English item, whatever language the list shows.
    connection->addItem(tr("LAN"), QStringLiteral("LAN"));
    connection->addItem(tr("Internet"), QStringLiteral("Internet"));
    connection->setEditable(false);
    labelServerType->setBuddy(connection);

    d->BitBtnOK = new QPushButton(tr("&OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("&Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *path = new QHBoxLayout;
    path->setSpacing(2);
    path->addWidget(dataPath, 1);
    path->addWidget(browse);

    auto *grid = new QGridLayout;
    grid->addWidget(labelDataPath, 0, 0);
    grid->addLayout(path, 0, 1, 1, 2);
    grid->addWidget(labelServerIp, 1, 0);
    grid->addWidget(address, 1, 1);
    grid->addWidget(labelServerType, 2, 0);
    grid->addWidget(connection, 2, 1);
    grid->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(d->RzRadioGroupMode);
    main->addLayout(grid);
    main->addStretch(1);
    main->setSpacing(6);
    main->addLayout(buttons);

    connect(d->modeButtons, &QButtonGroup::idClicked, this, &TFormRegistryEditor::RzRadioGroupModeClick);
    connect(browse, &QToolButton::clicked, this, &TFormRegistryEditor::RzButtonEditDataPathButtonClick);
    connect(d->BitBtnOK, &QPushButton::clicked, this, &TFormRegistryEditor::BitBtnOKClick);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(393, 225);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = geometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

int TFormRegistryEditor::modeIndex() const
{
    return d->modeButtons->checkedId();
}

void TFormRegistryEditor::setModeIndex(int index)
{
    if (QAbstractButton *b = d->modeButtons->button(index))
        b->setChecked(true);
}

QString TFormRegistryEditor::read(const QString &key)
{
    try {
        return GetRegString(key, kAppValue);
    } catch (...) {
        // A value of another type than text: say so and show it as empty.
        d->prompts->error(kv::currentErrorText());
        return QString();
    }
}

void TFormRegistryEditor::FormShow()
{
    setModeIndex(read(kMode) == QLatin1String("C") ? 1 : 0);
    d->RzButtonEditDataPath->setText(read(kAlias));
    d->wwDBEditIPAddress->setText(read(kServerIp));
    d->RzComboBoxConnectionType->setCurrentIndex(read(kConnection) == QLatin1String("Internet") ? 1 : 0);
}

void TFormRegistryEditor::RzRadioGroupModeClick()
{
    d->LabelDataPath->setText(tr(modeIndex() == 1 ? kSharedIniCaption : kDataLocationCaption));
}

void TFormRegistryEditor::RzButtonEditDataPathButtonClick()
{
    const QString chosen = d->chooseFolder ? d->chooseFolder(this, tr(kFolderChooserTitle), d->RzButtonEditDataPath->text()) : QString();
    if (!chosen.isEmpty())
        d->RzButtonEditDataPath->setText(chosen);
}

QString TFormRegistryEditor::ipAddressText() const
{
    return d->wwDBEditIPAddress->text();
}

void TFormRegistryEditor::BitBtnOKClick()
{
    const QList<QPair<QString, QString>> values = {
        {kMode, modeIndex() == 1 ? QStringLiteral("C") : QStringLiteral("F")},
        {kAlias, d->RzButtonEditDataPath->text()},
        {kServerIp, ipAddressText()},
        {kConnection, d->RzComboBoxConnectionType->currentData().toString()},
    };
    // Each value on its own: a key that cannot be opened is reported and the
    // others are still written.
    for (const auto &v : values)
        if (!SetRegString(v.first, v.second))
            d->prompts->error(QString::fromLatin1(kv::ErrorOpeningKeyMessage));
    accept();
}

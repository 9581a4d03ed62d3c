#include "data/ui/form_registry_editor.h"

#include "data/engine/db_error.h"
#include "data/registry.h"
#include "shell/ui/qt_prompts.h"
#include "shell/ui/run_action.h"

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
#include <QScreen>
#include <QStyle>
#include <QToolButton>

using kv::GetRegString;
using kv::SetRegString;

const QString TFormRegistryEditor::kCaption = QStringLiteral("Brenquistal Data Options");
const QString TFormRegistryEditor::kModeCaption = QStringLiteral("Operation Mode");
const QStringList TFormRegistryEditor::kModeItems = {QStringLiteral("File Server"), QStringLiteral("Client-Server Engine")};
const QString TFormRegistryEditor::kDataPathCaption = QStringLiteral("Database location:");
const QString TFormRegistryEditor::kDataLocationCaption = QStringLiteral("Data Location:");
const QString TFormRegistryEditor::kSharedIniCaption = QStringLiteral("Shared Ini Directory:");
const QString TFormRegistryEditor::kServerIpCaption = QStringLiteral("Server IP Address:");
const QString TFormRegistryEditor::kServerTypeCaption = QStringLiteral("ServerType:");
const QStringList TFormRegistryEditor::kConnectionItems = {QStringLiteral("LAN"), QStringLiteral("Internet")};
const QString TFormRegistryEditor::kFolderChooserTitle = QStringLiteral("Locate Brenquistal Data Folder");
// One digit required and two more allowed in each group; an empty place shows blank.
const QString TFormRegistryEditor::kIpInputMask = QStringLiteral("900.900.900.900; ");

namespace {
const QString kMode = QStringLiteral("Mode");
const QString kAlias = QStringLiteral("Alias");
const QString kServerIp = QStringLiteral("Server IP");
const QString kConnection = QStringLiteral("Connection");
const QString kAppValue = QString::fromLatin1(kv::Registry::AppValue);
} // namespace

TFormRegistryEditor::TFormRegistryEditor(kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_chooseFolder(&TFormRegistryEditor::defaultChooseFolder)
{
    build();
    FormShow();
}

TFormRegistryEditor::TFormRegistryEditor(QWidget *parent)
    : QDialog(parent)
    , m_ownPrompts(std::make_unique<kv::QtPrompts>(this))
    , m_prompts(*m_ownPrompts)
    , m_chooseFolder(&TFormRegistryEditor::defaultChooseFolder)
{
    build();
    FormShow();
}

TFormRegistryEditor::~TFormRegistryEditor() = default;

void TFormRegistryEditor::build()
{
    setObjectName(QStringLiteral("FormRegistryEditor"));
    setWindowTitle(kCaption);
    setModal(true);

    RzRadioGroupMode = new QGroupBox(kModeCaption, this);
    RzRadioGroupMode->setObjectName(QStringLiteral("RzRadioGroupMode"));
    m_modeButtons = new QButtonGroup(this);
    auto *modeLayout = new QHBoxLayout(RzRadioGroupMode);
    for (int i = 0; i < kModeItems.size(); ++i) {
        auto *b = new QRadioButton(kModeItems.at(i), RzRadioGroupMode);
        b->setObjectName(QStringLiteral("Item%1").arg(i));
        m_modeButtons->addButton(b, i);
        modeLayout->addWidget(b);
    }
    modeLayout->addStretch(1);
    setModeIndex(0);

    LabelDataPath = new QLabel(kDataPathCaption, this);
    LabelDataPath->setObjectName(QStringLiteral("LabelDataPath"));
    RzButtonEditDataPath = new QLineEdit(this);
    RzButtonEditDataPath->setObjectName(QStringLiteral("RzButtonEditDataPath"));
    RzButtonEditDataPath->setReadOnly(true);
    LabelDataPath->setBuddy(RzButtonEditDataPath);
    // The caption changes with the mode; keep room for the longest one.
    int labelWidth = 0;
    for (const QString &c : {kDataPathCaption, kDataLocationCaption, kSharedIniCaption, kServerIpCaption})
        labelWidth = qMax(labelWidth, LabelDataPath->fontMetrics().horizontalAdvance(c));
    LabelDataPath->setMinimumWidth(labelWidth + 4);
    RzButtonEditDataPathButton = new QToolButton(this);
    RzButtonEditDataPathButton->setObjectName(QStringLiteral("RzButtonEditDataPathButton"));
    RzButtonEditDataPathButton->setText(QStringLiteral("..."));
    RzButtonEditDataPathButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    RzButtonEditDataPathButton->setToolTip(kFolderChooserTitle);

    LabelServerIP = new QLabel(kServerIpCaption, this);
    LabelServerIP->setObjectName(QStringLiteral("LabelServerIP"));
    wwDBEditIPAddress = new QLineEdit(this);
    wwDBEditIPAddress->setObjectName(QStringLiteral("wwDBEditIPAddress"));
    wwDBEditIPAddress->setInputMask(kIpInputMask);
    wwDBEditIPAddress->setMinimumWidth(wwDBEditIPAddress->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);
    LabelServerIP->setBuddy(wwDBEditIPAddress);

    LabelServerType = new QLabel(kServerTypeCaption, this);
    LabelServerType->setObjectName(QStringLiteral("LabelServerType"));
    RzComboBoxConnectionType = new QComboBox(this);
    RzComboBoxConnectionType->setObjectName(QStringLiteral("RzComboBoxConnectionType"));
    RzComboBoxConnectionType->addItems(kConnectionItems);
    RzComboBoxConnectionType->setEditable(false);
    LabelServerType->setBuddy(RzComboBoxConnectionType);

    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *path = new QHBoxLayout;
    path->setSpacing(2);
    path->addWidget(RzButtonEditDataPath, 1);
    path->addWidget(RzButtonEditDataPathButton);

    auto *grid = new QGridLayout;
    grid->addWidget(LabelDataPath, 0, 0);
    grid->addLayout(path, 0, 1, 1, 2);
    grid->addWidget(LabelServerIP, 1, 0);
    grid->addWidget(wwDBEditIPAddress, 1, 1);
    grid->addWidget(LabelServerType, 2, 0);
    grid->addWidget(RzComboBoxConnectionType, 2, 1);
    grid->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(RzRadioGroupMode);
    main->addLayout(grid);
    main->addStretch(1);
    main->setSpacing(6);
    main->addLayout(buttons);

    connect(m_modeButtons, &QButtonGroup::idClicked, this, &TFormRegistryEditor::RzRadioGroupModeClick);
    connect(RzButtonEditDataPathButton, &QToolButton::clicked, this, &TFormRegistryEditor::RzButtonEditDataPathButtonClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TFormRegistryEditor::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(393, 225);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = geometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

int TFormRegistryEditor::modeIndex() const
{
    return m_modeButtons->checkedId();
}

void TFormRegistryEditor::setModeIndex(int index)
{
    if (QAbstractButton *b = m_modeButtons->button(index))
        b->setChecked(true);
}

QRadioButton *TFormRegistryEditor::modeItem(int index) const
{
    return qobject_cast<QRadioButton *>(m_modeButtons->button(index));
}

QString TFormRegistryEditor::read(const QString &key)
{
    try {
        return GetRegString(key, kAppValue);
    } catch (...) {
        // A value of another type than text: say so and show it as empty.
        m_prompts.error(kv::currentErrorText());
        return QString();
    }
}

void TFormRegistryEditor::FormShow()
{
    setModeIndex(read(kMode) == QLatin1String("C") ? 1 : 0);
    RzButtonEditDataPath->setText(read(kAlias));
    wwDBEditIPAddress->setText(read(kServerIp));
    RzComboBoxConnectionType->setCurrentIndex(read(kConnection) == QLatin1String("Internet") ? 1 : 0);
}

void TFormRegistryEditor::RzRadioGroupModeClick()
{
    LabelDataPath->setText(modeIndex() == 1 ? kSharedIniCaption : kDataLocationCaption);
}

QString TFormRegistryEditor::defaultChooseFolder(QWidget *parent, const QString &title, const QString &start)
{
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void TFormRegistryEditor::RzButtonEditDataPathButtonClick()
{
    const QString chosen = m_chooseFolder ? m_chooseFolder(this, kFolderChooserTitle, RzButtonEditDataPath->text()) : QString();
    if (!chosen.isEmpty())
        RzButtonEditDataPath->setText(chosen);
}

QString TFormRegistryEditor::ipAddressText() const
{
    // The mask's dots alone mean that no address was typed.
    QString text = wwDBEditIPAddress->text();
    if (text.count(QLatin1Char('.')) == text.size())
        return QString();
    return text;
}

void TFormRegistryEditor::BitBtnOKClick()
{
    const QList<QPair<QString, QString>> values = {
        {kMode, modeIndex() == 1 ? QStringLiteral("C") : QStringLiteral("F")},
        {kAlias, RzButtonEditDataPath->text()},
        {kServerIp, ipAddressText()},
        {kConnection, RzComboBoxConnectionType->currentText()},
    };
    // Each value on its own: a key that cannot be opened is reported and the
    // others are still written.
    for (const auto &v : values)
        if (!SetRegString(v.first, v.second))
            m_prompts.error(QString::fromLatin1(kv::ErrorOpeningKeyMessage));
    accept();
}

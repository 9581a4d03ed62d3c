#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kv {
class Prompts;
} // namespace kv

// The connection settings dialog: operation mode, data location, server
// address and connection kind, read from the registry when it opens and
// written back, one value after another, on OK. The settings take effect the
// next time the data module connects.
class TFormRegistryEditor : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption; // "Brenquistal Data Options"
    static const QString kModeCaption; // "Operation Mode"
    static const QStringList kModeItems; // "File Server", "Client-Server Engine"
    static const QString kDataPathCaption; // "Database location:" (design value)
    static const QString kDataLocationCaption; // "Data Location:" (file server)
    static const QString kSharedIniCaption; // "Shared Ini Directory:" (client-server)
    static const QString kServerIpCaption; // "Server IP Address:"
    static const QString kServerTypeCaption; // "ServerType:"
    static const QStringList kConnectionItems; // "LAN", "Internet"
    static const QString kFolderChooserTitle; // "Locate Brenquistal Data Folder"
    // Four groups of one to three digits separated by dots.
    static const QString kIpInputMask;

    // Answers the chosen folder, or empty text when the user cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;

    explicit TFormRegistryEditor(kv::Prompts &prompts, QWidget *parent = nullptr);
    // Shows its messages in message boxes.
    explicit TFormRegistryEditor(QWidget *parent = nullptr);
    ~TFormRegistryEditor() override;

    // Tests replace the folder chooser; the default one is the platform's.
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // A radio group: its items are the buttons "Item0" and "Item1".
    QGroupBox *RzRadioGroupMode;
    int modeIndex() const;
    void setModeIndex(int index);
    QRadioButton *modeItem(int index) const;
    QLabel *LabelDataPath;
    QLineEdit *RzButtonEditDataPath;
    QToolButton *RzButtonEditDataPathButton;
    QLabel *LabelServerIP;
    QLineEdit *wwDBEditIPAddress;
    QLabel *LabelServerType;
    QComboBox *RzComboBoxConnectionType;
    QPushButton *BitBtnOK;
    QPushButton *BitBtnCancel;

    // The address as the dialog writes it: empty when nothing was typed.
    QString ipAddressText() const;

public Q_SLOTS:
    // Reads the four settings into the controls (done once, when the dialog is made).
    void FormShow();
    void RzRadioGroupModeClick();
    void RzButtonEditDataPathButtonClick();
    void BitBtnOKClick();

private:
    void build();
    QString read(const QString &key);
    static QString defaultChooseFolder(QWidget *parent, const QString &title, const QString &start);

    std::unique_ptr<kv::Prompts> m_ownPrompts;
    kv::Prompts &m_prompts;
    FolderChooser m_chooseFolder;
    QButtonGroup *m_modeButtons = nullptr;
};

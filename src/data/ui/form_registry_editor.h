#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace kv {
class Prompts;
} // namespace kv

// The connection settings dialog: operation mode, data location, server
// address and connection kind, read from the registry when it opens and
// written back, one value after another, on OK. The settings take effect the
// next time the data module connects. Its controls keep their described
// object names (RzRadioGroupMode with the items "Item0" and "Item1",
// LabelDataPath, RzButtonEditDataPath and its button
// RzButtonEditDataPathButton, wwDBEditIPAddress, RzComboBoxConnectionType,
// BitBtnOK, BitBtnCancel).
class TFormRegistryEditor : public QDialog
{
    Q_OBJECT
public:
    // Answers the chosen folder, or empty text when the user cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;

    explicit TFormRegistryEditor(kv::Prompts &prompts, QWidget *parent = nullptr);
    // Shows its messages in message boxes.
    explicit TFormRegistryEditor(QWidget *parent = nullptr);
    ~TFormRegistryEditor() override;

    // Tests replace the folder chooser; the default one is the platform's.
    void setFolderChooser(FolderChooser chooser);

    // The mode group's chosen item: 0 "File Server", 1 "Client-Server Engine".
    int modeIndex() const;
    void setModeIndex(int index);
    // The server's address or host name as the dialog shows and writes it.
    QString ipAddressText() const;

public Q_SLOTS:
    // Reads the four settings into the controls (done once, when the dialog is made).
    void FormShow();
    void RzRadioGroupModeClick();
    void RzButtonEditDataPathButtonClick();
    void BitBtnOKClick();

private:
    class Private;
    std::unique_ptr<Private> d;
    void build();
    QString read(const QString &key);
};

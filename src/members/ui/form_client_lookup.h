#pragma once

#include <QDialog>
#include <QWidget>

#include <memory>

class QLineEdit;
class QToolButton;

namespace kv {

class Query;
class QueryPickModel;

// The pick dialog of the client lookup: every client of the lookup query in
// its order, with a search on the shown name.
class TFormClientLookup : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption; // "Lookup a Client"

    TFormClientLookup(Query &clients, QWidget *parent = nullptr);
    ~TFormClientLookup() override;

    // The row picked (the query's current row when the dialog opened, at first).
    int pickedRow() const;
    void setCurrentRow(int row);

private:
    void EditSearchChange(const QString &text);

    struct Controls;
    std::unique_ptr<Controls> d;
    Query &m_clients;
    QueryPickModel *m_model;
};

// The lookup control: shows the picked client's Last_First and opens the pick
// dialog from its button. Picking moves the lookup query to the client's row.
class ClientLookupCombo : public QWidget
{
    Q_OBJECT
public:
    explicit ClientLookupCombo(Query &clients, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void clear() { setText(QString()); }
    // Opens the pick dialog; answers whether a client was picked.
    bool pick();
    // What a screen reader says for the box: the caption of the choice it
    // belongs to, without its mnemonic and colon.
    void setSpokenName(const QString &caption);

Q_SIGNALS:
    // Emitted when the user picks a client.
    void changed();

private:
    Query &m_clients;
    QLineEdit *Edit;
    QToolButton *ButtonLookup;
};

} // namespace kv

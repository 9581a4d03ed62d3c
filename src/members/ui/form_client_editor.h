#pragma once

// The client editor ("List Member Edit"): the host's Clients row of the
// current member, laid out line by line, edited in place and posted on OK.

#include "data/prompts.h"

#include <QDialog>
#include <QList>
#include <QVariant>

#include <memory>

class QCloseEvent;
class QShowEvent;
class QWidget;

namespace kv {
class Query;
}

class TFormClientEditor : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;           // "List Member Edit"
    static constexpr int kWidth = 500;        // the fields' width, without a scroll bar
    static constexpr int kMinimumWidth = 320;
    static constexpr int kMinimumHeight = 240;
    // Asked when the user cancels (or closes the frame) after changing a value.
    static const QString kDiscardQuestion;
    // Told when there is no member row, so nothing to edit.
    static const QString kNoMemberMessage;
    // Asked after another user's change to the client refused the post.
    static const QString kReloadAfterConflict;
    // Told on OK when a date field holds text that is no date: label, two examples.
    static const QString kNotADateMessage;
    // Told on OK when a number field holds text that is no number (a sign alone): its label.
    static const QString kNotANumberMessage;

    enum class Kind { Text, Memo, YesNo, Boolean, Letters, Date, Integer, Number };
    struct FieldDef
    {
        QString label;
        QString column;
        Kind kind;
        bool readOnly = false;
        int size = 0;          // characters of a text field
        QStringList letters;   // the choices of a letter list
    };
    struct LineDef
    {
        QString group;
        QList<FieldDef> fields;
    };
    static const QList<LineDef> &lines();

    // clientInfo holds the one Clients row to edit (open, live).
    TFormClientEditor(kv::Query &clientInfo, kv::Prompts &prompts, QWidget *parent = nullptr);
    ~TFormClientEditor() override;

    // The value a column's widget holds now, in the column's type.
    QVariant widgetValue(const QString &column) const;
    bool isChanged() const;

public Q_SLOTS:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Bound
    {
        FieldDef def;
        QWidget *widget = nullptr;
        QVariant loaded;
    };
    // The widget that edits a column (by the column's name, as its object name).
    QWidget *editorOf(const QString &column) const;
    void build();
    void fitScreen();
    void showRow();
    QVariant valueOf(const Bound &b) const;
    static bool sameValue(const QVariant &a, const QVariant &b);

    struct Controls;
    std::unique_ptr<Controls> d;
    kv::Query &m_query;
    kv::Prompts &m_prompts;
    QList<Bound> m_bound;
};

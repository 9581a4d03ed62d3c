#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

namespace kv {

class Query;
class RadioGroup;

// Data-aware controls: each bound control shows a column of the query's
// current row and writes the user's changes back into the row (which puts a
// browsing row into edit mode). Showing a value never writes it back.
class DataBinding : public QObject
{
    Q_OBJECT
public:
    using Codes = QList<QPair<QString, QString>>; // shown text, stored code

    explicit DataBinding(Query *query, QObject *parent = nullptr);

    Query *query() const { return m_query; }

    void bindLineEdit(QLineEdit *w, const QString &field, int maxLength);
    void bindMemo(QPlainTextEdit *w, const QString &field, int maxLength);
    // A drop-down list that shows texts and stores codes.
    void bindCodeCombo(QComboBox *w, const QString &field, const Codes &codes);
    // Checked stores checkedCode, unchecked uncheckedCode; null or any other
    // text shows unchecked.
    void bindCheckBox(QCheckBox *w, const QString &field, const QString &checkedCode, const QString &uncheckedCode);
    // Item i stores codes[i]; an unknown code selects none.
    void bindRadioGroup(RadioGroup *w, const QString &field, const QStringList &codes);
    // A combo whose model is a lookup set: the row whose keyColumn (a model
    // column) equals the field's value is shown; null shows an empty text.
    void bindLookup(QComboBox *w, const QString &field, int keyColumn);
    // Whole numbers; the spin box's minimum shows as empty and stands for null.
    void bindSpin(QSpinBox *w, const QString &field);

    // Shows the current row in every control (or empties them when closed).
    void showRow();
    void showField(const QString &field);
    // True while values are being shown rather than typed; change handlers
    // of the form use it to tell the data's moves from the user's changes.
    bool isShowing() const { return m_showing > 0; }

    class ShowingScope
    {
    public:
        explicit ShowingScope(DataBinding &b) : m_b(b) { ++m_b.m_showing; }
        ~ShowingScope() { --m_b.m_showing; }

    private:
        DataBinding &m_b;
    };

    static const char *const FieldProperty; // "kvField": the column a control shows

Q_SIGNALS:
    // A user's change could not be written (for example a read-only row set).
    void writeFailed(const QString &text);

private:
    struct Binding
    {
        QPointer<QWidget> widget;
        QString field;
        std::function<void(const QVariant &)> show;
    };
    void add(QWidget *w, const QString &field, std::function<void(const QVariant &)> show);
    void write(const QString &field, const QVariant &value);
    QVariant current(const QString &field) const;

    Query *m_query;
    QList<Binding> m_bindings;
    int m_showing = 0;
};

} // namespace kv

#include "shell/ui/data_binding.h"


#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/text_cut.h"
#include "shell/ui/radio_group.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace kv {

const char *const DataBinding::FieldProperty = "kvField";

namespace {
bool isNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}
} // namespace

DataBinding::DataBinding(Query *query, QObject *parent)
    : QObject(parent)
    , m_query(query)
{
    connect(query, &Query::afterScroll, this, &DataBinding::showRow);
    connect(query, &Query::afterOpen, this, &DataBinding::showRow);
    connect(query, &Query::afterClose, this, &DataBinding::showRow);
    connect(query, &Query::afterCancel, this, &DataBinding::showRow);
    connect(query, &Query::afterPost, this, &DataBinding::showRow);
    connect(query, &Query::afterInsert, this, &DataBinding::showRow);
    connect(query, &Query::fieldChanged, this, &DataBinding::showField);
}

QVariant DataBinding::current(const QString &field) const
{
    if (!m_query->isOpen() || !m_query->hasField(field))
        return QVariant();
    if (m_query->state() == DataState::Browse && m_query->recordCount() == 0)
        return QVariant();
    return m_query->fieldValue(field);
}

void DataBinding::add(QWidget *w, const QString &field, std::function<void(const QVariant &)> show)
{
    w->setProperty(FieldProperty, field);
    m_bindings.append({w, field, std::move(show)});
}

void DataBinding::showRow()
{
    ShowingScope scope(*this);
    for (const Binding &b : std::as_const(m_bindings))
        if (b.widget)
            b.show(current(b.field));
}

void DataBinding::showField(const QString &field)
{
    ShowingScope scope(*this);
    for (const Binding &b : std::as_const(m_bindings))
        if (b.widget && b.field.compare(field, Qt::CaseInsensitive) == 0)
            b.show(current(b.field));
}

void DataBinding::write(const QString &field, const QVariant &value)
{
    if (isShowing() || !m_query->isOpen())
        return;
    try {
        m_query->setFieldValue(field, value);
    } catch (...) {
        Q_EMIT writeFailed(currentErrorText());
        showField(field);
    }
}

void DataBinding::bindLineEdit(QLineEdit *w, const QString &field, int maxLength)
{
    w->setMaxLength(maxLength);
    add(w, field, [w](const QVariant &v) {
        const QString text = isNullValue(v) ? QString() : v.toString();
        if (w->text() != text)
            w->setText(text);
    });
    connect(w, &QLineEdit::textEdited, this, [this, field](const QString &t) { write(field, t); });
}

void DataBinding::bindMemo(QPlainTextEdit *w, const QString &field, int maxLength)
{
    add(w, field, [w](const QVariant &v) {
        const QString text = isNullValue(v) ? QString() : v.toString();
        if (w->toPlainText() != text)
            w->setPlainText(text);
    });
    connect(w, &QPlainTextEdit::textChanged, this, [this, w, field, maxLength] {
        if (isShowing())
            return;
        QString t = w->toPlainText();
        if (kv::characterCount(t) > maxLength) {
            // Keep the column's limit as a typed control would.
            ShowingScope scope(*this);
            t = kv::cutToWidth(t, maxLength);
            w->setPlainText(t);
            QTextCursor c = w->textCursor();
            c.movePosition(QTextCursor::End);
            w->setTextCursor(c);
        }
        write(field, t);
    });
}

void DataBinding::bindCodeCombo(QComboBox *w, const QString &field, const Codes &codes)
{
    w->clear();
    for (const auto &c : codes)
        w->addItem(c.first, c.second);
    w->setEditable(false);
    add(w, field, [w](const QVariant &v) {
        const int i = isNullValue(v) ? -1 : w->findData(v.toString());
        if (w->currentIndex() != i)
            w->setCurrentIndex(i);
    });
    connect(w, &QComboBox::activated, this, [this, w, field](int i) { write(field, w->itemData(i)); });
}

void DataBinding::bindCheckBox(QCheckBox *w, const QString &field, const QString &checkedCode, const QString &uncheckedCode)
{
    add(w, field, [w, checkedCode](const QVariant &v) {
        const bool on = !isNullValue(v) && v.toString() == checkedCode;
        if (w->isChecked() != on)
            w->setChecked(on);
    });
    connect(w, &QCheckBox::clicked, this, [this, field, checkedCode, uncheckedCode](bool on) {
        write(field, on ? checkedCode : uncheckedCode);
    });
}

void DataBinding::bindRadioGroup(RadioGroup *w, const QString &field, const QStringList &codes)
{
    add(w, field, [w, codes](const QVariant &v) {
        const int index = isNullValue(v) ? -1 : int(codes.indexOf(v.toString()));
        if (index >= 0) {
            w->setItemIndex(index);
            return;
        }
        // No code (or an unknown one): no item is selected.
        QRadioButton *first = w->item(0);
        QButtonGroup *group = first ? first->group() : nullptr;
        if (!group || group->checkedId() < 0)
            return;
        group->setExclusive(false);
        for (QAbstractButton *b : group->buttons())
            b->setChecked(false);
        group->setExclusive(true);
    });
    connect(w, &RadioGroup::clicked, this, [this, field, codes](int i) {
        if (i >= 0 && i < codes.size())
            write(field, codes[i]);
    });
}

void DataBinding::bindLookup(QComboBox *w, const QString &field, int keyColumn)
{
    w->setEditable(false);
    auto show = [w, keyColumn](const QVariant &v) {
        int found = -1;
        if (!isNullValue(v) && w->model()) {
            for (int r = 0; r < w->model()->rowCount(); ++r) {
                const QVariant key = w->model()->index(r, keyColumn).data(Qt::EditRole);
                if (!isNullValue(key) && key.toString() == v.toString()) {
                    found = r;
                    break;
                }
            }
        }
        if (w->currentIndex() != found)
            w->setCurrentIndex(found);
    };
    add(w, field, show);
    connect(w, &QComboBox::activated, this, [this, w, field, keyColumn](int i) {
        write(field, w->model()->index(i, keyColumn).data(Qt::EditRole));
    });
}

void DataBinding::bindSpin(QSpinBox *w, const QString &field)
{
    w->setSpecialValueText(QStringLiteral(" "));
    // A stored value above the box's own range (another window may store
    // more) is shown whole rather than cut to the range.
    const int designMaximum = w->maximum();
    add(w, field, [w, designMaximum](const QVariant &v) {
        const int n = isNullValue(v) ? w->minimum() : v.toInt();
        w->setMaximum(qMax(designMaximum, n));
        if (w->value() != n)
            w->setValue(n);
    });
    connect(w, &QSpinBox::valueChanged, this, [this, w, field](int n) {
        write(field, n == w->minimum() ? QVariant() : QVariant(n));
    });
}

} // namespace kv

#include "shell/ui/date_field.h"

#include "data/dates.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

#include <algorithm>

namespace kv {

QString DateField::exampleShort()
{
    return QLocale().toString(QDate::currentDate(), AcceptedDates::shortFormat());
}

QString DateField::exampleIso()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

DateField::DateField(const QString &displayFormat, QWidget *parent)
    : QWidget(parent)
    , m_format(displayFormat)
    , m_edit(new QLineEdit(this))
    , m_calendarButton(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(m_edit, 1);
    row->addWidget(m_calendarButton);
    m_edit->setObjectName(QStringLiteral("DateText"));
    m_edit->setClearButtonEnabled(true);
    // Wide enough for the longest date of the display format, beside the clear button.
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        widest = std::max(widest, m_edit->fontMetrics().horizontalAdvance(QLocale().toString(QDate(2026, month, 28), m_format)));
    m_edit->setMinimumWidth(widest + m_edit->fontMetrics().height() + 16);
    m_calendarButton->setObjectName(QStringLiteral("DateCalendar"));
    m_calendarButton->setText(QStringLiteral("..."));
    m_calendarButton->setToolTip(tr("Choose the date from a calendar"));
    m_calendarButton->setAccessibleName(m_calendarButton->toolTip());
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString &t) {
        // The clear button and typing both come here; setDate has set the date already.
        if (!m_settingText)
            textEdited(t);
    });
    connect(m_edit, &QLineEdit::editingFinished, this, [this] { editingFinished(); });
    connect(m_calendarButton, &QToolButton::clicked, this, [this] { showCalendar(); });
}

void DateField::showTypingHint()
{
    //: %1 today in the short form, %2 the same in ISO form
    m_edit->setPlaceholderText(tr("e.g. %1 or %2").arg(exampleShort(), exampleIso()));
}

bool DateField::isEmpty() const
{
    return m_edit->text().trimmed().isEmpty();
}

void DateField::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_edit->setClearButtonEnabled(!readOnly);
    m_calendarButton->setVisible(!readOnly);
    if (readOnly)
        m_edit->setPlaceholderText(QString());
}

bool DateField::isReadOnly() const
{
    return m_edit->isReadOnly();
}

void DateField::setDate(const QDate &date)
{
    const QDate d = date.isValid() ? date : QDate();
    m_settingText = true;
    m_edit->setText(d.isValid() ? QLocale().toString(d, m_format) : QString());
    m_settingText = false;
    setMarked(false);
    changeDate(d);
}

void DateField::changeDate(const QDate &date)
{
    if (date == m_date)
        return;
    m_date = date;
    Q_EMIT dateChanged(m_date);
}

void DateField::textEdited(const QString &text)
{
    const std::optional<QDate> d = AcceptedDates::readTyped(text);
    // A mark goes as soon as the text is a date (or gone); it comes only when
    // the user leaves the box, not while a date is half typed.
    if (d || text.trimmed().isEmpty())
        setMarked(false);
    changeDate(d.value_or(QDate()));
}

void DateField::editingFinished()
{
    if (m_date.isValid()) {
        // Show what was understood in the one display form.
        m_settingText = true;
        m_edit->setText(QLocale().toString(m_date, m_format));
        m_settingText = false;
    }
    setMarked(!m_date.isValid() && !isEmpty());
}

void DateField::setMarked(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    m_edit->setProperty("notADate", marked);
    m_edit->setStyleSheet(marked ? QStringLiteral("QLineEdit { background: #ffd6d6; }") : QString());
    //: %1 today in the short form, %2 the same in ISO form
    m_edit->setToolTip(marked ? tr("This is not a date. Type it as %1 or %2, or choose it from the calendar.").arg(exampleShort(), exampleIso())
                              : QString());
}

bool DateField::event(QEvent *event)
{
    // Labels and names are set after the field is built; by the time it is
    // polished or shown they are in place.
    if (event->type() == QEvent::Polish || event->type() == QEvent::Show)
        speakAsField();
    return QWidget::event(event);
}

void DateField::speakAsField()
{
    QAccessibleInterface *field = QAccessible::queryAccessibleInterface(this);
    const QString name = field ? field->text(QAccessible::Name) : QString();
    if (!name.isEmpty())
        m_edit->setAccessibleName(name);
}

QCalendarWidget *DateField::showCalendar()
{
    if (isReadOnly())
        return nullptr;
    auto *popup = new QCalendarWidget(this);
    popup->setObjectName(QStringLiteral("DateFieldCalendar"));
    popup->setWindowFlags(Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setDateRange(AcceptedDates::first(), AcceptedDates::last());
    const QDate shown = m_date.isValid() ? m_date : QDate::currentDate();
    popup->setSelectedDate(shown);
    popup->setCurrentPage(shown.year(), shown.month());
    auto choose = [this, popup](const QDate &d) {
        setDate(d);
        popup->close();
        m_edit->setFocus();
    };
    connect(popup, &QCalendarWidget::clicked, this, choose);
    connect(popup, &QCalendarWidget::activated, this, choose);
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    return popup;
}

} // namespace kv

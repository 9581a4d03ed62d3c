#pragma once

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace kv {

// A date box that may be empty: the user types a date (see
// AcceptedDates::readTyped), picks one from a calendar, or clears the text
// for no date. A date once understood is shown in the box's display format;
// text that is no date is marked, and date() then answers no date. The box
// inside ("DateText") is spoken by screen readers with the field's own name:
// its accessible name, or the caption of the label whose buddy it is.
class DateField : public QWidget
{
    Q_OBJECT
public:
    // Today in the short form with a four-digit year, and in ISO form: how to type a date.
    static QString exampleShort();
    static QString exampleIso();

    explicit DateField(const QString &displayFormat, QWidget *parent = nullptr);

    // The date understood, or an invalid date when the box is empty or its text is no date.
    QDate date() const { return m_date; }
    bool isEmpty() const;
    // True when the box holds text that is no date.
    bool isMarked() const { return m_marked; }
    QString displayFormat() const { return m_format; }
    // An invalid date empties the box; a stored date is shown whatever its year.
    void setDate(const QDate &date);
    void setReadOnly(bool readOnly);
    // The empty box shows how a date may be typed.
    void showTypingHint();
    bool isReadOnly() const;

    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *calendarButton() const { return m_calendarButton; }
    // Opens the calendar on the date shown, or on today when there is none.
    QCalendarWidget *showCalendar();

Q_SIGNALS:
    void dateChanged(const QDate &date);

protected:
    bool event(QEvent *event) override;

private:
    void speakAsField();
    void textEdited(const QString &text);
    void editingFinished();
    void changeDate(const QDate &date);
    void setMarked(bool marked);

    QString m_format;
    QLineEdit *m_edit;
    QToolButton *m_calendarButton;
    QDate m_date;
    bool m_marked = false;
    bool m_settingText = false;
};

} // namespace kv

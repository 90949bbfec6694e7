#include "window/Widgets.h"

#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalBlocker>

#include "core/device/Cp1250.h"
#include "core/link/ComPort.h"

namespace vl48 {

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {
    // Typing, deleting, pasting: every edit of a person (never the program's setText).
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_hasValue = true;
        fillBlanks();
    });
}

QString TMaskEdit::maskedText() const {
    QString text = displayText();
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    return text;
}

void TMaskEdit::setMaskedText(const QString& text) {
    // With a space as the blank character, each character lands in its own position; a blank
    // stays a blank instead of being squeezed out.
    m_hasValue = true;
    if (!m_number) return setText(text);
    // Where each character lands is the mask's business: find it out quietly, then show the
    // result with its blanks filled as one change, as a plain setText() would.
    const QString before = displayText();
    QString filled;
    {
        const QSignalBlocker quiet(this);
        setText(text);
        filled = displayText().replace(QLatin1Char(' '), QLatin1Char('0'));
        setText(before);
    }
    setText(filled);
}

void TMaskEdit::setNumberField(bool number) {
    m_number = number;
    fillBlanks();
}

void TMaskEdit::clearValue() {
    // Emptied with its undo history: Ctrl+Z must not bring back the previous unit's value.
    setText(QString());
    m_hasValue = false;
}

void TMaskEdit::fillBlanks() {
    if (!m_number || !m_hasValue) return;
    const QString shown = displayText();
    if (!shown.contains(QLatin1Char(' '))) return;
    const int cursor = cursorPosition();
    setText(QString(shown).replace(QLatin1Char(' '), QLatin1Char('0')));
    setCursorPosition(cursor);
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enterPressed();
    QLineEdit::keyPressEvent(event);
}

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_hasValue = true; });
}

void TSpinEdit::clearValue() {
    m_hasValue = false;
    const QSignalBlocker quiet(this);
    setValue(minimum());
    lineEdit()->setText(QString());  // setValue() leaves an equal value's text as it was
}

void TSpinEdit::showValue(int value) {
    m_hasValue = true;
    setValue(value);  // shows the text even when the value stays the same
}

void TSpinEdit::stepBy(int steps) {
    m_hasValue = true;
    QSpinBox::stepBy(steps);
}

QString TSpinEdit::textFromValue(int value) const {
    return m_hasValue ? QSpinBox::textFromValue(value) : QString();
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CommitMark = true;
        emit enterPressed();
    }
    QSpinBox::keyPressEvent(event);
    emit keyEvent(key);
}

namespace {

// The mouse, Tab, Backtab and a label's shortcut: a person chose the field.
bool movedByPerson(Qt::FocusReason reason) {
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

void TSpinEdit::focusInEvent(QFocusEvent* event) {
    QSpinBox::focusInEvent(event);
    // A tab page shown again gives the field back its focus (OtherFocusReason): coming back to
    // a page is no choice of this field.
    if (movedByPerson(event->reason())) emit focusEntered();
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    QSpinBox::focusOutEvent(event);
    // Leaving a tab page moves its focus on as the Tab key would. OtherFocusReason going out is
    // the program clearing the focus before it hides the field: the field is left for good.
    if (movedByPerson(event->reason()) || event->reason() == Qt::OtherFocusReason) emit focusLeft();
}

TDatePicker::TDatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    // The regional short format, but never a two-digit year: 16 must not come back as 1916.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    setDisplayFormat(format);
    connect(this, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!m_quiet) emit userDateChanged(date);
    });
}

void TDatePicker::setDateQuietly(const QDate& date) {
    m_quiet = true;
    setDate(date);
    m_quiet = false;
}

void TDatePicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    // Enter first makes the picker take what was typed, announcing the date again even when it
    // has not changed; the date is stored right after, so that is no change to mark.
    m_quiet = true;
    QDateEdit::keyPressEvent(event);
    m_quiet = false;
    emit enterPressed();
}

void TPortBox::showPopup() {
    const QString typed = currentText();
    QStringList ports;
    TComPort::ListPorts(ports);
    QStringList shown;
    for (int i = 0; i < count(); ++i) shown << itemText(i);
    if (ports != shown) {
        clear();
        addItems(ports);
    }
    // The list highlights the typed port when it is one of those present.
    setCurrentIndex(findText(typed));
    setEditText(typed);
    QComboBox::showPopup();
}

void uncheckRadioButtons(QWidget* parent) {
    for (QRadioButton* button : parent->findChildren<QRadioButton*>()) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(exclusive);
    }
}

QValidator::State Cp1250Validator::validate(QString& input, int&) const {
    // The placeholder of a byte read that the code page leaves undefined stays acceptable: a
    // text that is invalid already lets every edit through.
    for (const QChar c : input)
        if (c != QChar::ReplacementCharacter && !cp1250CanEncode(c)) return Invalid;
    return Acceptable;
}

}  // namespace vl48

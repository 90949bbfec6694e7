#include "Widgets.h"

#include <QKeyEvent>

namespace vl48 {

TMaskEdit::TMaskEdit(const QString& mask, QWidget* parent, QChar blank) : QLineEdit(parent) {
    setInputMask(mask + QLatin1Char(';') + blank);
}

QString TMaskEdit::maskedText() const {
    QString text = displayText();
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    return text;
}

void TMaskEdit::setMaskedText(const QString& text) {
    // With a space as the blank character, each character lands in its own position; a blank
    // stays a blank instead of being squeezed out.
    setText(text);
}

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CommitMark = true;
        emit enterPressed();
    }
    QSpinBox::keyPressEvent(event);
    emit keyEvent(key);
}

void TSpinEdit::focusInEvent(QFocusEvent* event) {
    QSpinBox::focusInEvent(event);
    emit focusEntered();
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    QSpinBox::focusOutEvent(event);
    emit focusLeft();
}

TDatePicker::TDatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    connect(this, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!m_quiet) emit userDateChanged(date);
    });
}

void TDatePicker::setDateQuietly(const QDate& date) {
    m_quiet = true;
    setDate(date);
    m_quiet = false;
}

QLabel* makeChangeMark(const QString& name, const QString& text, QWidget* parent) {
    auto* mark = new QLabel(text, parent);
    mark->setObjectName(name);
    QFont font = mark->font();
    font.setBold(true);
    mark->setFont(font);
    mark->setStyleSheet(QStringLiteral("color: red;"));
    mark->hide();
    return mark;
}

}  // namespace vl48

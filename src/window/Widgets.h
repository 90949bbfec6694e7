// Small widgets the window is built from where a plain Qt widget does not behave as the
// technician's tool must: fixed-width masked fields read position by position, spin edits that
// commit on Enter, and date pickers that can be set from code without looking "changed".
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QValidator>

namespace vl48 {

// A fixed-width field with an input mask (set in the form: "#000", "#0,00", ...). Its blank
// character is a space, so displayText() keeps every position; maskedText() reads each blank as
// the digit 0. Never parse text(): it strips blanks and loses the positions. The access-code
// fields show unfilled positions as "*" instead (mask "NNNNNN;*").
//
// A number field (setNumberField) shows every blank position as the digit 0, while typing and
// after: "50" typed over a four-place field is stored as 5000, so it must look like 5000. Qt's own
// blank character cannot do it: with "0" as the blank, typed zeros count as blanks and text set by
// the program shifts (" 1,50" becomes "10,50"). So the blanks stay spaces and are filled with
// zeros after each edit. A number field can also hold no value at all (clearValue): it then shows
// nothing, and hasValue() tells the handlers that nothing may be written from it.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr);
    QString maskedText() const;
    // Puts a fixed-width text in place, position by position (" 1,50", "-050"); it is a value.
    void setMaskedText(const QString& text);
    void setNumberField(bool number);
    // A value was put in by the program or edited by a person since the last clearValue().
    bool hasValue() const { return m_hasValue; }
    void clearValue();

signals:
    // Enter or Return, whatever the field holds (the key then goes on to the field).
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillBlanks();
    bool m_number = false;
    bool m_hasValue = true;
};

// A spin edit that tells Enter apart: the key raises enterPressed() after setting CommitMark,
// and every key press is reported to the handlers that act on key events. Like a number field it
// can hold no value (clearValue): it shows nothing, and value() must not be used, until the
// program shows a value (showValue) or a person types or steps one in.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    bool CommitMark = false;
    bool hasValue() const { return m_hasValue; }
    void clearValue();
    void showValue(int value);
    void stepBy(int steps) override;

signals:
    void enterPressed();
    void keyEvent(int key);
    // The focus moves a person makes. The toolkit's own moves are not reported: the focus a tab
    // page gives back when it is shown again, and the focus that window activation, popups and
    // message boxes take away and give back. The program taking the focus away on purpose
    // (clearing it before a panel goes) counts as leaving.
    void focusEntered();
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QString textFromValue(int value) const override;

private:
    bool m_hasValue = true;
};

// A date picker whose program-set dates raise no change: only a person's edits emit
// userDateChanged().
class TDatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit TDatePicker(QWidget* parent = nullptr);
    void setDateQuietly(const QDate& date);

signals:
    void userDateChanged(const QDate& date);
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_quiet = false;
};

// The port box asks the system again each time its list opens: a USB adapter plugged in after
// start-up appears, a pulled one goes, and a simulator started later is offered. The text the
// technician typed stays as it was.
class TPortBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
};

// Unchecks every radio button inside `parent`, also the one an exclusive group would never let
// go. Runs no selection handler: they are bound to becoming checked.
void uncheckRadioButtons(QWidget* parent);

// Lets through only text the transmitter can store: characters of Windows-1250.
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace vl48

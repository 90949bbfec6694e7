// Helpers for building the window's controls: each sets the object name the rest of the
// program and outside automation look controls up by, and the fonts and looks the window uses.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace vl48::build {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

void setBold(QWidget* widget, bool bold = true);
// Dark red text (captions and labels of the calibration groups).
void setMaroon(QWidget* widget);

QLabel* label(QWidget* parent, const char* name, const QString& text, bool bold = false,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
// A button with a small picture from the platform's style (normal and disabled states).
QPushButton* imageButton(QWidget* parent, const char* name, const QString& text,
                         QStyle::StandardPixmap picture, bool bold = false);
QPushButton* button(QWidget* parent, const char* name, const QString& text, bool bold = false);
QRadioButton* radio(QWidget* parent, const char* name, const QString& text);
QCheckBox* check(QWidget* parent, const char* name, const QString& text, bool bold = false);
QGroupBox* group(QWidget* parent, const char* name, const QString& caption, bool bold = false);
// The label names the field for screen readers and gives it a keyboard shortcut target.
void nameField(QLabel* label, QWidget* field);

}  // namespace vl48::build

#include "Build.h"

#include <QApplication>

namespace vl48::build {

void setBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

void setMaroon(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    palette.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    widget->setPalette(palette);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, bool bold,
              Qt::Alignment align) {
    auto* l = named(new QLabel(text, parent), name);
    l->setAlignment(align);
    if (bold) setBold(l);
    return l;
}

QPushButton* imageButton(QWidget* parent, const char* name, const QString& text,
                         QStyle::StandardPixmap picture, bool bold) {
    auto* b = button(parent, name, text, bold);
    b->setIcon(QApplication::style()->standardIcon(picture));
    return b;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, bool bold) {
    auto* b = named(new QPushButton(text, parent), name);
    b->setAutoDefault(false);
    if (bold) setBold(b);
    return b;
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& text) {
    return named(new QRadioButton(text, parent), name);
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text, bool bold) {
    auto* c = named(new QCheckBox(text, parent), name);
    if (bold) setBold(c);
    return c;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& caption, bool bold) {
    auto* g = named(new QGroupBox(caption, parent), name);
    if (bold) {
        // Bold caption only: the controls inside keep the window's regular font.
        g->setStyleSheet(
            QStringLiteral("QGroupBox#%1 { font-weight: bold; }").arg(g->objectName()));
    }
    return g;
}

void nameField(QLabel* label, QWidget* field) { label->setBuddy(field); }

}  // namespace vl48::build

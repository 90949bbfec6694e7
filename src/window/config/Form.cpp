// The basic tab's form logic: checking the selection controls from the configuration record,
// the cold-junction field that only a fixed temperature needs, and the cues that show the
// technician where the focus is.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <vector>

#include "core/device/MemoryMap.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

const QColor FocusColour(0, 255, 0);  // lime green: visible from across the bench

// A part of the tab that lights up while the focus is inside it. `role` is what paints its
// background; `rest` is the system colour it goes back to.
struct Highlight {
    QPointer<QWidget> widget;
    QPalette::ColorRole role;
    QPalette::ColorRole rest;
    bool lit = false;
};

void paintBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    // A group box paints no background of its own: unless it fills itself, the page behind it
    // shows through and the colour would sit unseen in its palette.
    if (role == QPalette::Window) widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

}  // namespace

void TFrmMain::resolveCodeButtons() {
    const auto family = [this](Cell cell, const auto& codes) {
        for (const Code& c : codes) {
            auto* button = findChild<QAbstractButton*>(QLatin1String(c.control));
            if (!button) qFatal("no control %s in the forms for code %d", c.control, c.code);
            m_codeButtons.push_back({cell, c.code, button});
        }
    };
    family(EEInputType, InputTypeCodes);
    family(EEOutputType, OutputTypeCodes);
    family(EEFilter, FilterCodes);
    family(EESensorFault, SensorFaultCodes);
    family(EECompMode, CompModeCodes);
    family(EEOutputLimit, OutputLimitCodes);
    family(EEWiring, WiringCodes);
}

QAbstractButton* TFrmMain::codeButton(Cell cell, int code) const {
    for (const CodeButton& c : m_codeButtons)
        if (c.cell == cell && c.code == code) return c.button;
    return nullptr;
}

void TFrmMain::DrawForm() {
    Updating = true;
    // A code outside the table (65535 from a never-written cell) checks nothing, so the group
    // keeps showing what it showed before.
    for (Cell cell : {EEOutputType, EEFilter, EESensorFault, EEInputType, EECompMode}) {
        if (QAbstractButton* button = codeButton(cell, recordField(cell))) button->setChecked(true);
    }
    // One check box for both codes: unchecked for 0, checked for 1.
    if (QAbstractButton* limit = codeButton(EEOutputLimit, Config.EEOutputLimit))
        limit->setChecked(Config.EEOutputLimit == 1);
    if (QAbstractButton* button = codeButton(EEWiring, Config.EEWiring)) button->setChecked(true);
    Updating = false;
}

void TFrmMain::connectFormHandlers() {
    // Only a fixed cold-junction temperature needs the field. Bound to becoming checked, so the
    // field follows the drawn form as well as a click.
    connect(RdBtnTempSet, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) MskEdtTcldEnd->setEnabled(true);
    });
    for (QRadioButton* other : {RdBtnNoComp, RdBtnMeasTerm}) {
        connect(other, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) MskEdtTcldEnd->setEnabled(false);
        });
    }

    // The group boxes take the face colour of buttons and dialogs; the two entry fields the
    // colour of edit fields.
    std::vector<Highlight> highlights;
    for (QGroupBox* box :
         {GrpBxInput, GrpBxWire, GrpBxComp, GrpBxOutput, GrpBxTemp, GrpBxErr, GrpBxFilter})
        highlights.push_back({box, QPalette::Window, QPalette::Button});
    for (QWidget* field : std::initializer_list<QWidget*>{EdtNote, DtTmPicker})
        highlights.push_back({field, QPalette::Base, QPalette::Base});

    // One handler for every part: each is lit exactly while the focus is inside it, so a move
    // from one group into the next turns the first back and the second on.
    connect(qApp, &QApplication::focusChanged, this,
            [this, highlights, ohmMeter = QPointer<QRadioButton>(RdBtnOhmMeter),
             range = QPointer<QGroupBox>(GrpBxTemp),
             ohmFocused = false](QWidget*, QWidget* now) mutable {
                // Focus in a message box or the reconnection dialog, or nowhere while this window
                // is inactive or closing, is no move inside the tab: the cues stay until the focus
                // lands in this window again.
                if (!now || now->window() != this) return;
                for (Highlight& part : highlights) {
                    if (!part.widget) continue;
                    const bool inside = now == part.widget || part.widget->isAncestorOf(now);
                    if (inside == part.lit) continue;
                    part.lit = inside;
                    paintBackground(
                        part.widget, part.role,
                        inside ? FocusColour : QApplication::palette().color(part.rest));
                }
                // The range of the ohm meter is in ohms. Czech in either language, and only on a
                // change, so the language switch's own caption stays otherwise.
                const bool ohm = ohmMeter && now == ohmMeter;
                if (ohm != ohmFocused && range) {
                    ohmFocused = ohm;
                    range->setTitle(ohm ? QStringLiteral(" Výstupní rozsah v Ohm ")
                                        : QStringLiteral(" Výstupní rozsah v °C "));
                }
            });
}

}  // namespace vl48

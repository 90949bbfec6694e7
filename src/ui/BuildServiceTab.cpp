// The service tab: an access-code panel, and behind it the service panel with the input
// calibration (PT100, PT1000, thermocouples) and the terminal-sensor offset on the left, the
// service terminal and the calibration of the output converter's codes on the right.
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include "Build.h"
#include "FrmMain.h"
#include "OutputRows.h"
#include "Widgets.h"

namespace vl48 {

using namespace build;

namespace {

// The panel holds a lot for its size: every layout on it is tight.
constexpr int Margin = 4;
constexpr int Spacing = 4;

void compact(QLayout* layout) {
    layout->setContentsMargins(Margin + 2, Margin, Margin + 2, Margin);
    layout->setSpacing(Spacing);
}

// Labels that are empty until a handler fills them keep the room their longest text needs, so
// the columns do not jump when the values arrive.
void reserve(QLabel* label, const QString& longest) {
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(longest) + 2);
}

// Fields for a few characters (masks, readings, constants) are only as wide as those characters.
void fitWidth(QLineEdit* edit, const QString& longest) {
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(longest) + 14);
}

TMaskEdit* maskEdit(QWidget* parent, const char* name, const char* mask) {
    auto* edit = named(new TMaskEdit(QString::fromLatin1(mask), parent), name);
    fitWidth(edit, QString::fromLatin1(mask));
    return edit;
}

// A fixed caption or unit that no handler touches.
QLabel* caption(QWidget* parent, const QString& text) { return new QLabel(text, parent); }

// The terminal's readings are shown, never typed; Tab passes them by.
QLineEdit* readOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

// Both resistance procedures look alike: each reference field beside the button that measures
// at it and the label with that reading; the constant and its store button beside the result.
void layResistanceCal(QGroupBox* group, QWidget* min, QWidget* begin, QLabel* readingA,
                      QWidget* max, QWidget* end, QLabel* readingB, QWidget* constant,
                      QWidget* save, QLabel* result) {
    reserve(readingA, QStringLiteral("65535 / 65535"));
    reserve(readingB, QStringLiteral("65535 / 65535"));
    reserve(result, QStringLiteral("600,123456789 | -123456"));
    auto* grid = new QGridLayout(group);
    compact(grid);
    grid->addWidget(min, 0, 0);
    grid->addWidget(begin, 0, 1);
    grid->addWidget(readingA, 0, 2);
    grid->addWidget(max, 1, 0);
    grid->addWidget(end, 1, 1);
    grid->addWidget(readingB, 1, 2);
    grid->addWidget(constant, 2, 0);
    grid->addWidget(save, 2, 1);
    grid->addWidget(result, 2, 2);
    grid->setColumnStretch(2, 1);
}

}  // namespace

// --- The output points, shared with the output-correction tab.

namespace build {

namespace {

// One point: caption and spin edit, under them the bar and its scale.
QVBoxLayout* outputPoint(QWidget* parent, const QString& text, int captionWidth,
                         const OutputPoint& point) {
    auto* spin = named(new TSpinEdit(parent), point.spinName);
    // The handlers hold the code to 0..16383; the field itself takes five characters, a minus
    // sign included, so that a value beyond either limit can be typed and is then pulled back
    // by them (a field that refused the sign would turn -5 into 5).
    spin->setRange(OutputFieldMin, OutputFieldMax);
    *point.spin = spin;
    QLabel* captionLabel = caption(parent, text);
    captionLabel->setMinimumWidth(captionWidth);
    nameField(captionLabel, spin);

    auto* bar = named(new QProgressBar(parent), point.barName);
    bar->setRange(0, 200);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedHeight(12);
    *point.bar = bar;

    auto* top = new QHBoxLayout;
    top->setSpacing(Spacing);
    top->addWidget(captionLabel);
    top->addWidget(spin);
    top->addStretch(1);

    // Equal thirds put "50%" under the middle of the bar and the ends under its ends.
    auto* scale = new QGridLayout;
    scale->setContentsMargins(0, 0, 0, 0);
    scale->setSpacing(0);
    const QString marks[3] = {QStringLiteral("0%"), QStringLiteral("50%"), QStringLiteral("100%")};
    const Qt::Alignment aligns[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        QLabel* mark = caption(parent, marks[i]);
        QFont small = mark->font();
        small.setPointSizeF(small.pointSizeF() - 1);
        mark->setFont(small);
        mark->setAlignment(aligns[i] | Qt::AlignTop);
        scale->addWidget(mark, 0, i);
        scale->setColumnStretch(i, 1);
    }

    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    column->addLayout(top);
    column->addSpacing(2);
    column->addWidget(bar);
    column->addLayout(scale);
    return column;
}

}  // namespace

QGridLayout* outputPoints(QWidget* parent, const std::array<OutputPoint, 4>& points) {
    const QString captions[4] = {QStringLiteral("0 mA"), QStringLiteral("20 mA"),
                                 QStringLiteral("0 V"), QStringLiteral("10 V")};
    // The spin edits of a column line up: every caption takes the widest caption's room.
    int captionWidth = 0;
    for (const QString& c : captions)
        captionWidth = qMax(captionWidth, parent->fontMetrics().horizontalAdvance(c) + 2);

    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(Margin + 4, Margin, Margin + 4, Margin + 2);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 4; ++i)
        grid->addLayout(outputPoint(parent, captions[i], captionWidth, points[size_t(i)]), i / 2,
                        i % 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return grid;
}

}  // namespace build

void TFrmMain::buildServiceTab() {
    // The two panels share the tab; only one of them is ever shown.
    auto* stack = new QVBoxLayout(TabService);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    PanelPwd = named(new QWidget(TabService), "PanelPwd");
    PanelService = named(new QWidget(TabService), "PanelService");
    stack->addWidget(PanelPwd);
    stack->addWidget(PanelService);

    // --- Access code
    GroupBox1 = group(PanelPwd, "GroupBox1", QStringLiteral(" Zadejte heslo "));
    MskEdtPwd =
        named(new TMaskEdit(QStringLiteral("NNNNNN"), GroupBox1, QLatin1Char('*')), "MskEdtPwd");
    setBold(MskEdtPwd);
    fitWidth(MskEdtPwd, QStringLiteral("WWWWWW"));
    {
        auto* inner = new QHBoxLayout(GroupBox1);
        inner->setContentsMargins(24, 16, 24, 16);
        inner->addWidget(MskEdtPwd, 0, Qt::AlignCenter);
        auto* outer = new QGridLayout(PanelPwd);
        outer->addWidget(GroupBox1, 1, 1);
        outer->setRowStretch(0, 1);
        outer->setRowStretch(2, 1);
        outer->setColumnStretch(0, 1);
        outer->setColumnStretch(2, 1);
    }

    // --- Input calibration: PT100
    GrpBxInputCal = group(PanelService, "GrpBxInputCal", QStringLiteral(" Kalibrace vstupu "));
    GrpBxCalPT100 = group(GrpBxInputCal, "GrpBxCalPT100", QStringLiteral(" Kalibrace PT 100 Ohm "));
    MskEdtPT100Min = maskEdit(GrpBxCalPT100, "MskEdtPT100Min", "000,000");
    BtnCalPT100Begin = button(GrpBxCalPT100, "BtnCalPT100Begin", QStringLiteral("Počátek"));
    LblAINA100 = label(GrpBxCalPT100, "LblAINA100", QString());
    MskEdtPT100Max = maskEdit(GrpBxCalPT100, "MskEdtPT100Max", "000,000");
    BtnCalPT100End = button(GrpBxCalPT100, "BtnCalPT100End", QStringLiteral("Konec"));
    LblAINB100 = label(GrpBxCalPT100, "LblAINB100", QString());
    EdtPT100Const = named(new QLineEdit(GrpBxCalPT100), "EdtPT100Const");
    BtnPT100Save = button(GrpBxCalPT100, "BtnPT100Save", QStringLiteral("PT100"));
    LblCalInfo100 = label(GrpBxCalPT100, "LblCalInfo100", QString());
    for (QLabel* l : {LblAINA100, LblAINB100, LblCalInfo100}) setMaroon(l);
    // The constant sits in the column of the reference fields and is as wide as they are.
    EdtPT100Const->setFixedWidth(MskEdtPT100Min->minimumWidth());
    layResistanceCal(GrpBxCalPT100, MskEdtPT100Min, BtnCalPT100Begin, LblAINA100, MskEdtPT100Max,
                     BtnCalPT100End, LblAINB100, EdtPT100Const, BtnPT100Save, LblCalInfo100);

    // --- Input calibration: PT1000. The whole group is maroon, its caption and its buttons and
    // labels alike.
    GrpBxCalPT1k0 =
        group(GrpBxInputCal, "GrpBxCalPT1k0", QStringLiteral(" Kalibrace PT 1000 Ohm "));
    setMaroon(GrpBxCalPT1k0);
    MskEdtPT1k0Min = maskEdit(GrpBxCalPT1k0, "MskEdtPT1k0Min", "0000,000");
    BtnCalPT1k0Begin = button(GrpBxCalPT1k0, "BtnCalPT1k0Begin", QStringLiteral("Počátek"));
    LblAINA1k0 = label(GrpBxCalPT1k0, "LblAINA1k0", QString());
    MskEdtPT1k0Max = maskEdit(GrpBxCalPT1k0, "MskEdtPT1k0Max", "0000,000");
    BtnCalPT1k0End = button(GrpBxCalPT1k0, "BtnCalPT1k0End", QStringLiteral("Konec"));
    LblAINB1k0 = label(GrpBxCalPT1k0, "LblAINB1k0", QString());
    EdtPT1KConst = named(new QLineEdit(GrpBxCalPT1k0), "EdtPT1KConst");
    BtnPT1KSave = button(GrpBxCalPT1k0, "BtnPT1KSave", QStringLiteral("PT1000"));
    LblCalInfo1k0 = label(GrpBxCalPT1k0, "LblCalInfo1k0", QString());
    EdtPT1KConst->setFixedWidth(MskEdtPT1k0Min->minimumWidth());
    layResistanceCal(GrpBxCalPT1k0, MskEdtPT1k0Min, BtnCalPT1k0Begin, LblAINA1k0, MskEdtPT1k0Max,
                     BtnCalPT1k0End, LblAINB1k0, EdtPT1KConst, BtnPT1KSave, LblCalInfo1k0);

    // --- Input calibration: thermocouples (offset, then the millivolt correction)
    GrpBxThermocouples =
        group(GrpBxInputCal, "GrpBxThermocouples", QStringLiteral(" Kalibrace termočlánků "));
    RdBtnGain4 = radio(GrpBxThermocouples, "RdBtnGain4", QStringLiteral("AIN2 @ GAIN16"));
    RdBtnGain32 = radio(GrpBxThermocouples, "RdBtnGain32", QStringLiteral("AIN2 @ GAIN32"));
    RdBtnGain4->setChecked(true);
    EdtOffset = named(new QLineEdit(GrpBxThermocouples), "EdtOffset");
    fitWidth(EdtOffset, QStringLiteral("-000000"));
    BtnOffset = button(GrpBxThermocouples, "BtnOffset", QStringLiteral("OFFSET"));
    Label66 = label(GrpBxThermocouples, "Label66", QStringLiteral("měřené mV:"));
    LblMeasMV = label(GrpBxThermocouples, "LblMeasMV", QString());
    reserve(LblMeasMV, QStringLiteral("-99,999"));
    Label64 = label(GrpBxThermocouples, "Label64", QStringLiteral("|"));
    MskEdtTrueMV = maskEdit(GrpBxThermocouples, "MskEdtTrueMV", "00,000");
    Label65 = label(GrpBxThermocouples, "Label65", QStringLiteral("mV"));
    BtnCorrMV = button(GrpBxThermocouples, "BtnCorrMV", QStringLiteral("Korekce"));
    {
        auto* rows = new QVBoxLayout(GrpBxThermocouples);
        compact(rows);
        auto* offset = new QHBoxLayout;
        offset->setSpacing(8);
        offset->addWidget(RdBtnGain4);
        offset->addWidget(RdBtnGain32);
        offset->addStretch(1);
        offset->addWidget(EdtOffset);
        offset->addWidget(BtnOffset);
        rows->addLayout(offset);
        auto* mv = new QHBoxLayout;
        mv->setSpacing(Spacing);
        mv->addWidget(Label66);
        mv->addWidget(LblMeasMV);
        mv->addWidget(Label64);
        mv->addWidget(MskEdtTrueMV);
        mv->addWidget(Label65);
        mv->addStretch(1);
        mv->addWidget(BtnCorrMV);
        rows->addLayout(mv);
    }
    {
        auto* column = new QVBoxLayout(GrpBxInputCal);
        compact(column);
        column->setSpacing(6);
        column->addWidget(GrpBxCalPT100);
        column->addWidget(GrpBxCalPT1k0);
        column->addWidget(GrpBxThermocouples);
    }

    // --- Terminal temperature sensor offset, directly on the panel under the calibration
    BtnADT75Off = button(PanelService, "BtnADT75Off", QStringLiteral("ADT75 OFF"));
    MskEdtADT75 = maskEdit(PanelService, "MskEdtADT75", "00,0");
    Label1 = label(PanelService, "Label1", QStringLiteral("°C"));
    LblADT75Real = label(PanelService, "LblADT75Real", QString());
    LblADT75Off = label(PanelService, "LblADT75Off", QString());
    reserve(LblADT75Real, QStringLiteral("-3276,8 °C"));
    reserve(LblADT75Off, QStringLiteral("-3276,8 °C"));

    // --- Service terminal
    GrpBxService = group(PanelService, "GrpBxService", QStringLiteral(" Servisní terminál "));
    QWidget* s = GrpBxService;
    auto* terminal = new QGridLayout(s);
    compact(terminal);
    terminal->setHorizontalSpacing(6);
    const auto reading = [&](QLineEdit*& edit, const char* name, const QString& text, int row,
                             int column) {
        edit = readOnlyEdit(s, name);
        QLabel* l = caption(s, text);
        nameField(l, edit);
        terminal->addWidget(l, row, column);
        terminal->addWidget(edit, row, column + 1);
    };
    reading(EdtAIN1, "EdtAIN1", QStringLiteral("AIN1 bits"), 0, 0);
    reading(EdtAIN2, "EdtAIN2", QStringLiteral("AIN2 bits"), 1, 0);
    reading(EdtAIN3, "EdtAIN3", QStringLiteral("AIN3 bits"), 2, 0);
    reading(EdtTempSen, "EdtTempSen", QStringLiteral("Temp sen."), 0, 2);
    reading(EdtMV, "EdtMV", QStringLiteral("mV / Ohm"), 1, 2);
    reading(EdtMeasTemp, "EdtMeasTemp", QStringLiteral("Meas tem."), 2, 2);

    SpnEdtDA = named(new TSpinEdit(s), "SpnEdtDA");
    // As the output points: the handler limits the code, the field lets a sign or five digits
    // be typed.
    SpnEdtDA->setRange(OutputFieldMin, OutputFieldMax);
    QLabel* daCaption = caption(s, QStringLiteral("DA"));
    nameField(daCaption, SpnEdtDA);
    BtnRefresh = button(s, "BtnRefresh", QStringLiteral("Refresh data"));
    terminal->addWidget(daCaption, 3, 0);
    terminal->addWidget(SpnEdtDA, 3, 1, Qt::AlignLeft);
    terminal->addWidget(BtnRefresh, 3, 2, 1, 2, Qt::AlignRight);

    EdtADData = named(new QLineEdit(s), "EdtADData");
    QLabel* adCaption = caption(s, QStringLiteral("AD data"));
    nameField(adCaption, EdtADData);
    LblHEX = label(s, "LblHEX", QString());
    reserve(LblHEX, QStringLiteral("0xFFFFh"));
    BtnReadAD = button(s, "BtnReadAD", QStringLiteral("Read AD"));
    terminal->addWidget(adCaption, 4, 0);
    terminal->addWidget(EdtADData, 4, 1);
    terminal->addWidget(LblHEX, 4, 2);
    terminal->addWidget(BtnReadAD, 4, 3, Qt::AlignRight);

    // The input converter's configuration word, bit 15 first, row by row.
    {
        const char* const bits[16] = {"BIAS0", "BIAS1", "BO",     "U/^B", "BOOST", "G2",
                                      "G1",    "G0",    "REFSEL", "N/A",  "N/A",   "BUF",
                                      "N/A",   "CH2",   "CH1",    "CH0"};
        auto* word = new QGridLayout;
        word->setContentsMargins(0, 2, 0, 2);
        word->setHorizontalSpacing(6);
        word->setVerticalSpacing(2);
        for (int i = 0; i < 16; ++i) {
            const QByteArray name = "CheckBox" + QByteArray::number(i + 1);
            QCheckBox* box = check(s, name.constData(), QString::fromLatin1(bits[i]));
            // Bits 6, 5 and 3 have no function in the converter and always stay clear.
            if (i == 9 || i == 10 || i == 12) box->setEnabled(false);
            CheckBoxes[size_t(i)] = box;
            word->addWidget(box, i / 4, i % 4);
        }
        for (int c = 0; c < 4; ++c) word->setColumnStretch(c, 1);
        terminal->addLayout(word, 5, 0, 1, 4);
    }

    CmbBxCommand = named(new QComboBox(s), "CmbBxCommand");
    CmbBxCommand->addItems(
        {QStringLiteral("Read"), QStringLiteral("Write"), QStringLiteral("A75")});
    CmbBxCommand->setCurrentIndex(-1);
    QLabel* cmdCaption = caption(s, QStringLiteral("Příkaz"));
    nameField(cmdCaption, CmbBxCommand);
    SpnEdtCommand = named(new TSpinEdit(s), "SpnEdtCommand");
    SpnEdtCommand->setRange(0, 256);
    QLabel* addrCaption = caption(s, QStringLiteral("A/CMD"));
    nameField(addrCaption, SpnEdtCommand);
    EdtCommand = named(new QLineEdit(s), "EdtCommand");
    EdtCommand->setMaxLength(8);
    QLabel* dataCaption = caption(s, QStringLiteral("DATA IO"));
    nameField(dataCaption, EdtCommand);
    BtnCommand = button(s, "BtnCommand", QStringLiteral("Execute"));
    terminal->addWidget(cmdCaption, 6, 0);
    terminal->addWidget(CmbBxCommand, 6, 1);
    terminal->addWidget(addrCaption, 6, 2);
    terminal->addWidget(SpnEdtCommand, 6, 3, Qt::AlignLeft);
    terminal->addWidget(dataCaption, 7, 0);
    terminal->addWidget(EdtCommand, 7, 1);
    terminal->addWidget(BtnCommand, 7, 3, Qt::AlignRight);
    terminal->setColumnStretch(1, 1);
    terminal->setColumnStretch(3, 1);

    // --- Output converter codes over the full range
    GrpBxAO = group(PanelService, "GrpBxAO",
                    QStringLiteral(" Analogový VÝSTUP izolovaný - DA (14bits)  "));
    outputPoints(GrpBxAO, {{{"SpnEdtAOIZero", "PrgBrAOIZero", &SpnEdtAOIZero, &PrgBrAOIZero},
                            {"SpnEdtAOIEnd", "PrgBrAOIEnd", &SpnEdtAOIEnd, &PrgBrAOIEnd},
                            {"SpnEdtAOUZero", "PrgBrAOUZero", &SpnEdtAOUZero, &PrgBrAOUZero},
                            {"SpnEdtAOUEnd", "PrgBrAOUEnd", &SpnEdtAOUEnd, &PrgBrAOUEnd}}});

    // --- The panel: calibration on the left, terminal and output codes on the right.
    auto* panel = new QHBoxLayout(PanelService);
    panel->setContentsMargins(Margin, Margin, Margin, Margin);
    panel->setSpacing(6);
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(GrpBxInputCal);
    auto* adt75 = new QHBoxLayout;
    adt75->setContentsMargins(Margin + 2, 0, Margin + 2, 0);
    adt75->setSpacing(Spacing);
    adt75->addWidget(MskEdtADT75);
    adt75->addWidget(Label1);
    adt75->addWidget(BtnADT75Off);
    adt75->addSpacing(6);
    adt75->addWidget(LblADT75Real);
    adt75->addWidget(LblADT75Off);
    adt75->addStretch(1);
    left->addLayout(adt75);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(GrpBxService);
    right->addWidget(GrpBxAO);
    right->addStretch(1);
    panel->addLayout(left, 1);
    panel->addLayout(right, 1);

    PanelService->hide();
}

}  // namespace vl48

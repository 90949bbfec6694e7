// The basic tab: the transmitter's configuration in seven group boxes (input type, wiring,
// cold-junction compensation, output, output range, sensor fault, filter), the note and date
// rows, the measured values and the buttons along the bottom.
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Build.h"
#include "FrmMain.h"
#include "Widgets.h"

namespace vl48 {

using namespace build;

namespace {

// Hidden markers and hints keep their room, so showing them never shifts their neighbours.
void keepRoomWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* changeMark(const char* name, const char* text, QWidget* parent) {
    QLabel* mark = makeChangeMark(QString::fromLatin1(name), QString::fromLatin1(text), parent);
    keepRoomWhenHidden(mark);
    return mark;
}

// A masked field exactly as wide as its positions in its own (bold) font plus the frame, so the
// fixed-width values line up and nothing is cut off.
TMaskEdit* maskEdit(QWidget* parent, const char* name, const char* mask) {
    auto* edit = named(new TMaskEdit(QString::fromLatin1(mask), parent), name);
    setBold(edit);
    const int positions = int(qstrlen(mask));
    const int digits = edit->fontMetrics().horizontalAdvance(QString(positions, QLatin1Char('0')));
    edit->setFixedWidth(digits + 14);
    return edit;
}

// The thin bevel line that follows a heading of the input group.
QFrame* bevel(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QHBoxLayout* headingRow(QWidget* parent, std::initializer_list<QWidget*> labels) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    for (QWidget* l : labels) row->addWidget(l);
    row->addSpacing(6);
    row->addWidget(bevel(parent), 1);
    return row;
}

QHBoxLayout* radioRow(std::initializer_list<QWidget*> buttons, int spacing = 6) {
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    for (QWidget* b : buttons) row->addWidget(b);
    row->addStretch(1);
    return row;
}

void compact(QLayout* layout, int top = 2) {
    layout->setContentsMargins(4, top, 4, 4);
    layout->setSpacing(3);
}

}  // namespace

void TFrmMain::buildBasicTab() {
    QWidget* tab = TabBasicSet;

    // --- Input type: all twenty choices are children of the box itself, so they form one
    // exclusive group however the rows are arranged.
    GrpBxInput = group(tab, "GrpBxInput", QStringLiteral(" Vstupní signál "), true);
    QWidget* in = GrpBxInput;
    LblThermo = label(in, "LblThermo", QStringLiteral("Termočlánky"), true);
    RdBtnTermJ = radio(in, "RdBtnTermJ", QStringLiteral("Termočlánek J"));
    RdBtnTermK = radio(in, "RdBtnTermK", QStringLiteral("Termočlánek K"));
    RdBtnTermS = radio(in, "RdBtnTermS", QStringLiteral("Termočlánek S"));
    RdBtnTermB = radio(in, "RdBtnTermB", QStringLiteral("Termočlánek B"));
    RdBtnTermE = radio(in, "RdBtnTermE", QStringLiteral("Termočlánek E"));
    RdBtnTermR = radio(in, "RdBtnTermR", QStringLiteral("Termočlánek R"));
    RdBtnTermN = radio(in, "RdBtnTermN", QStringLiteral("Termočlánek N"));
    RdBtnTermT = radio(in, "RdBtnTermT", QStringLiteral("Termočlánek T"));
    Label6 = label(in, "Label6", QStringLiteral("PT100, 1000, "), true);
    LblNickel = label(in, "LblNickel", QStringLiteral("Nikl 1000"), true);
    RdBtnPT100 = radio(in, "RdBtnPT100", QStringLiteral("PT 100 Ohm"));
    RdBtnPT1000 = radio(in, "RdBtnPT1000", QStringLiteral("PT 1000 Ohm"));
    RdBtnOhmMeter = radio(in, "RdBtnOhmMeter", QStringLiteral("Ohm meter 0-5 kOhm"));
    RdBtnNi1K5 = radio(in, "RdBtnNi1K5", QStringLiteral("Ni 1000 (5Kppm/K)"));
    RdBtnNi1K6 = radio(in, "RdBtnNi1K6", QStringLiteral("Ni 1000 (6180ppm/K)"));
    RdBtnNi891 = radio(in, "RdBtnNi891", QStringLiteral("Ni 891"));
    RdBtnNi891->hide();  // offered only by newer firmware
    Label8 = label(in, "Label8", QStringLiteral("KTY 81/xxx"), true);
    RdBtnKTY110 = radio(in, "RdBtnKTY110", QStringLiteral("81/110, 120, 150"));
    RdBtnKTY210 = radio(in, "RdBtnKTY210", QStringLiteral("81/210, 220, 250"));
    RdBtnKTY121 = radio(in, "RdBtnKTY121", QStringLiteral("81/121"));
    RdBtnKTY122 = radio(in, "RdBtnKTY122", QStringLiteral("81/122"));
    RdBtnKTY221 = radio(in, "RdBtnKTY221", QStringLiteral("81/221"));
    RdBtnKTY222 = radio(in, "RdBtnKTY222", QStringLiteral("81/222"));
    {
        auto* box = new QVBoxLayout(in);
        compact(box);
        box->addLayout(headingRow(in, {LblThermo}));
        // Thermocouples in two columns: J, K, S, B left; E, R, N, T right.
        auto* thermo = new QGridLayout;
        thermo->setHorizontalSpacing(10);
        thermo->setVerticalSpacing(2);
        QRadioButton* left[] = {RdBtnTermJ, RdBtnTermK, RdBtnTermS, RdBtnTermB};
        QRadioButton* right[] = {RdBtnTermE, RdBtnTermR, RdBtnTermN, RdBtnTermT};
        for (int i = 0; i < 4; ++i) {
            thermo->addWidget(left[i], i, 0);
            thermo->addWidget(right[i], i, 1);
        }
        thermo->setColumnStretch(2, 1);
        box->addLayout(thermo);
        box->addLayout(headingRow(in, {Label6, LblNickel}));
        box->addLayout(radioRow({RdBtnPT100, RdBtnPT1000, RdBtnOhmMeter}));
        // Ni 891 appears at the end of its row when the firmware offers it; the trailing
        // stretch takes it in without moving the Ni 1000 choices.
        box->addLayout(radioRow({RdBtnNi1K5, RdBtnNi1K6, RdBtnNi891}));
        box->addLayout(headingRow(in, {Label8}));
        box->addLayout(radioRow({RdBtnKTY110, RdBtnKTY210}));
        box->addLayout(radioRow({RdBtnKTY121, RdBtnKTY122, RdBtnKTY221, RdBtnKTY222}));
    }

    // --- RTD wiring and lead-resistance compensation.
    GrpBxWire = group(tab, "GrpBxWire", QStringLiteral(" Zapojení RTD čidla "), true);
    RdBtn2_4wires = radio(GrpBxWire, "RdBtn2_4wires", QStringLiteral("2, 4 vodič."));
    RdBtn3wire = radio(GrpBxWire, "RdBtn3wire", QStringLiteral("3 vodič."));
    LblCompRes = label(GrpBxWire, "LblCompRes", QStringLiteral("Kompenzace odpor.vedení"), false,
                       Qt::AlignRight | Qt::AlignVCenter);
    LblCompRes->setWordWrap(true);
    MskEdtResComp = maskEdit(GrpBxWire, "MskEdtResComp", "#0,00");
    nameField(LblCompRes, MskEdtResComp);
    Label25 = label(GrpBxWire, "Label25", QStringLiteral("Ohm"));
    LblMskEdtResCompCH = changeMark("LblMskEdtResCompCH", "X", GrpBxWire);
    {
        auto* grid = new QGridLayout(GrpBxWire);
        compact(grid);
        grid->setHorizontalSpacing(6);
        grid->addWidget(RdBtn2_4wires, 0, 0);
        grid->addWidget(RdBtn3wire, 1, 0);
        grid->addWidget(LblCompRes, 0, 1, 2, 1);
        grid->addWidget(MskEdtResComp, 0, 2, 2, 1);
        grid->addWidget(Label25, 0, 3, 2, 1);
        grid->addWidget(LblMskEdtResCompCH, 0, 4, 2, 1);
        grid->setColumnStretch(1, 1);
    }

    // --- Note and date rows, their captions right-aligned in one column.
    LblNotice = label(tab, "LblNotice", QStringLiteral("Poznámka:"), true,
                      Qt::AlignRight | Qt::AlignVCenter);
    EdtNote = named(new QLineEdit(tab), "EdtNote");
    EdtNote->setMaxLength(30);
    nameField(LblNotice, EdtNote);
    LblEdtNoteCH = changeMark("LblEdtNoteCH", "x", tab);
    BtnSaveNote =
        imageButton(tab, "BtnSaveNote", QStringLiteral("Ulož"), QStyle::SP_DialogSaveButton);
    BtnSaveNote->setToolTip(QStringLiteral("Uloží textovou poznámku do převodníku."));
    LblTextLength = label(tab, "LblTextLength", QString());
    // Room for "30" from the start, so the first count does not push the row.
    LblTextLength->setMinimumWidth(
        LblTextLength->fontMetrics().horizontalAdvance(QStringLiteral("30")) + 2);

    LblDate = label(tab, "LblDate", QStringLiteral("Datum nastavení:"), true,
                    Qt::AlignRight | Qt::AlignVCenter);
    DtTmPicker = named(new TDatePicker(tab), "DtTmPicker");
    DtTmPicker->setMinimumDate(QDate(2000, 1, 1));
    nameField(LblDate, DtTmPicker);
    LblDtTmPickerCH = changeMark("LblDtTmPickerCH", "x", tab);
    BtnRefreshDate =
        imageButton(tab, "BtnRefreshDate", QStringLiteral("Aktual."), QStyle::SP_BrowserReload);
    BtnRefreshDate->setToolTip(QStringLiteral("Uloží aktuální systémové datum do převodníku."));

    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(4);
    fields->setVerticalSpacing(4);
    fields->addWidget(LblNotice, 0, 0);
    fields->addWidget(EdtNote, 0, 1);
    fields->addWidget(LblEdtNoteCH, 0, 2);
    fields->addWidget(BtnSaveNote, 0, 3);
    fields->addWidget(LblTextLength, 0, 4);
    fields->addWidget(LblDate, 1, 0);
    // The date's marker sits right after the picker, which is narrower than the note field.
    auto* date = new QHBoxLayout;
    date->setSpacing(4);
    date->addWidget(DtTmPicker);
    date->addWidget(LblDtTmPickerCH);
    date->addStretch(1);
    fields->addLayout(date, 1, 1, 1, 2);
    fields->addWidget(BtnRefreshDate, 1, 3);
    fields->setColumnStretch(1, 1);

    // --- Cold-junction compensation.
    GrpBxComp = group(tab, "GrpBxComp", QStringLiteral(" Nastavení kompenzace termočlánku "), true);
    RdBtnNoComp = radio(GrpBxComp, "RdBtnNoComp", QStringLiteral("Bez kompenzace studeného konce"));
    RdBtnMeasTerm = radio(GrpBxComp, "RdBtnMeasTerm", QStringLiteral("Měření teploty svorek"));
    RdBtnTempSet = radio(GrpBxComp, "RdBtnTempSet", QStringLiteral("Pevně nastavená teplota:"));
    // A sign or a digit first, so a stored negative temperature reads back.
    MskEdtTcldEnd = maskEdit(GrpBxComp, "MskEdtTcldEnd", "#00");
    Label4 = label(GrpBxComp, "Label4", QStringLiteral("°C"));
    LblMskEdtTcldEndCH = changeMark("LblMskEdtTcldEndCH", "x", GrpBxComp);
    {
        auto* box = new QVBoxLayout(GrpBxComp);
        compact(box);
        box->addWidget(RdBtnNoComp);
        box->addWidget(RdBtnMeasTerm);
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(RdBtnTempSet);
        row->addWidget(MskEdtTcldEnd);
        row->addWidget(Label4);
        row->addWidget(LblMskEdtTcldEndCH);
        row->addStretch(1);
        box->addLayout(row);
    }

    // --- Output type and limit.
    GrpBxOutput = group(tab, "GrpBxOutput", QStringLiteral(" Volba výstupu "), true);
    RdBtnAO0_20 = radio(GrpBxOutput, "RdBtnAO0_20", QStringLiteral("0 - 20 mA DC"));
    RdBtnAO4_20 = radio(GrpBxOutput, "RdBtnAO4_20", QStringLiteral("4 - 20 mA DC"));
    RdBtnAO0_10 = radio(GrpBxOutput, "RdBtnAO0_10", QStringLiteral("0 - 10 V DC"));
    ChckBxDaRest = check(GrpBxOutput, "ChckBxDaRest",
                         QStringLiteral("Omezit výstup na 10 V DC a nebo 20 mA DC"));
    {
        auto* box = new QVBoxLayout(GrpBxOutput);
        compact(box);
        box->addLayout(radioRow({RdBtnAO0_20, RdBtnAO4_20, RdBtnAO0_10}, 8));
        box->addWidget(ChckBxDaRest);
    }

    // --- Output range.
    GrpBxTemp = group(tab, "GrpBxTemp", QStringLiteral(" Výstupní rozsah v °C / Ohm "), true);
    LblOUTBegin = label(GrpBxTemp, "LblOUTBegin", QStringLiteral("Počátek výstupu"));
    MskEdtTempBegin = maskEdit(GrpBxTemp, "MskEdtTempBegin", "#000");
    nameField(LblOUTBegin, MskEdtTempBegin);
    LblMskEdtTempBeginCH = changeMark("LblMskEdtTempBeginCH", "x", GrpBxTemp);
    LblOUTEnd = label(GrpBxTemp, "LblOUTEnd", QStringLiteral("Konec výstupu"));
    MskEdtTempEnd = maskEdit(GrpBxTemp, "MskEdtTempEnd", "#000");
    nameField(LblOUTEnd, MskEdtTempEnd);
    LblMskEdtTempEndCH = changeMark("LblMskEdtTempEndCH", "x", GrpBxTemp);
    {
        auto* row = new QHBoxLayout(GrpBxTemp);
        compact(row);
        row->setSpacing(4);
        row->addWidget(LblOUTBegin);
        row->addWidget(MskEdtTempBegin);
        row->addWidget(LblMskEdtTempBeginCH);
        row->addSpacing(4);
        row->addWidget(LblOUTEnd);
        row->addWidget(MskEdtTempEnd);
        row->addWidget(LblMskEdtTempEndCH);
        row->addStretch(1);
    }

    // --- Sensor fault signalling.
    GrpBxErr = group(tab, "GrpBxErr", QStringLiteral(" Hlášení poruchy čidla "), true);
    RdBtnNoMsg = radio(GrpBxErr, "RdBtnNoMsg", QStringLiteral("Sledování vstupu"));
    RdBtnPuls = radio(GrpBxErr, "RdBtnPuls", QStringLiteral("Generování max. signálu"));
    RdBtn2mADrop = radio(GrpBxErr, "RdBtn2mADrop", QStringLiteral("Pokles na 2 mA"));
    {
        // One choice a row: the English captions are too long for two columns.
        auto* box = new QVBoxLayout(GrpBxErr);
        compact(box);
        box->addWidget(RdBtnNoMsg);
        box->addWidget(RdBtnPuls);
        box->addWidget(RdBtn2mADrop);
    }

    // --- Filter, in two columns.
    GrpBxFilter = group(tab, "GrpBxFilter", QStringLiteral(" Typ filtru "), true);
    RdBtnFilt0 = radio(GrpBxFilter, "RdBtnFilt0", QStringLiteral("Bez filtrace (~0.4s)"));
    RdBtnFilt1 = radio(GrpBxFilter, "RdBtnFilt1", QStringLiteral("Filtrace (~1.5s)"));
    RdBtnFilt2 = radio(GrpBxFilter, "RdBtnFilt2", QStringLiteral("Filtrace (~3.7s)"));
    RdBtnFilt3 = radio(GrpBxFilter, "RdBtnFilt3", QStringLiteral("Filtrace (~6.0s)"));
    RdBtnFilt4 = radio(GrpBxFilter, "RdBtnFilt4", QStringLiteral("Polynomická filtrace (~0.8s)"));
    {
        auto* grid = new QGridLayout(GrpBxFilter);
        compact(grid);
        grid->setHorizontalSpacing(12);
        grid->addWidget(RdBtnFilt0, 0, 0);
        grid->addWidget(RdBtnFilt1, 0, 1);
        grid->addWidget(RdBtnFilt2, 1, 0);
        grid->addWidget(RdBtnFilt3, 1, 1);
        grid->addWidget(RdBtnFilt4, 2, 0, 1, 2);
        grid->setColumnStretch(2, 1);
    }

    // --- Measured values: captions with their value labels, which start empty but keep room
    // for a value such as "-1234,56" or "Err -T".
    LblStripTemp = label(tab, "LblStripTemp", QStringLiteral("Tep.svorek:"), true);
    LblMeasTE = label(tab, "LblMeasTE", QString(), true, Qt::AlignRight | Qt::AlignVCenter);
    LblMeasTemp = label(tab, "LblMeasTemp", QStringLiteral("Meřená tep/ohm:"), true,
                        Qt::AlignRight | Qt::AlignVCenter);
    LblMeasIN = label(tab, "LblMeasIN", QString(), true, Qt::AlignRight | Qt::AlignVCenter);
    LblMeasTE->setMinimumWidth(
        LblMeasTE->fontMetrics().horizontalAdvance(QStringLiteral("-000,0")) + 4);
    LblMeasIN->setMinimumWidth(
        LblMeasIN->fontMetrics().horizontalAdvance(QStringLiteral("-0000,00")) + 4);
    auto* measured = new QHBoxLayout;
    measured->setSpacing(4);
    measured->addWidget(LblStripTemp);
    measured->addWidget(LblMeasTE);
    measured->addStretch(1);
    measured->addWidget(LblMeasTemp);
    measured->addWidget(LblMeasIN);

    // --- Buttons and the ENTER reminder along the bottom.
    BtnConfSave = imageButton(tab, "BtnConfSave", QStringLiteral("Uložit aktuální konfiguraci"),
                              QStyle::SP_DialogSaveButton, true);
    SpdBtnEraseForm = imageButton(tab, "SpdBtnEraseForm", QStringLiteral("Vymazat\nobrazovku"),
                                  QStyle::SP_DialogResetButton);
    SpdBtnEraseForm->setToolTip(
        QStringLiteral("Vymaže pouze nastavená data v aplikaci, data v převodníku zůstanou."));
    SpdBtnLoadData = imageButton(tab, "SpdBtnLoadData", QStringLiteral("Nahrát\ndata"),
                                 QStyle::SP_BrowserReload);
    SpdBtnLoadData->setToolTip(QStringLiteral("Znovu nahraje data z převodníku do aplikace."));
    BtnMeasTemp = imageButton(tab, "BtnMeasTemp", QStringLiteral("Proveď měření"),
                              QStyle::SP_MediaPlay, true);
    BtnMeasTemp->setToolTip(QStringLiteral("Provede měření teploty/ohm a teploty svorek."));
    LblSaveX1 = changeMark("LblSaveX1", "x", tab);
    LblSaveX = label(tab, "LblSaveX",
                     QStringLiteral("Pro uložení zadané hodnoty zmáčkněte klávesu ENTER !"), true);
    keepRoomWhenHidden(LblSaveX);
    LblSaveX->hide();
    // The two-line Czech captions set the height of the whole row, in either language, so a
    // language switch does not move the columns above.
    const int buttonHeight = SpdBtnEraseForm->sizeHint().height();
    for (QPushButton* b : {BtnConfSave, SpdBtnEraseForm, SpdBtnLoadData, BtnMeasTemp})
        b->setMinimumHeight(buttonHeight);

    auto* reminder = new QHBoxLayout;
    reminder->setSpacing(4);
    reminder->addWidget(LblSaveX1);
    reminder->addWidget(LblSaveX);
    reminder->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(BtnConfSave);
    buttons->addWidget(SpdBtnEraseForm);
    buttons->addWidget(SpdBtnLoadData);
    buttons->addStretch(1);
    buttons->addWidget(BtnMeasTemp);

    // --- The two columns over the bottom rows.
    auto* leftColumn = new QVBoxLayout;
    leftColumn->setSpacing(4);
    leftColumn->addWidget(GrpBxInput);
    leftColumn->addWidget(GrpBxWire);
    leftColumn->addStretch(1);
    leftColumn->addLayout(fields);

    auto* rightColumn = new QVBoxLayout;
    rightColumn->setSpacing(4);
    for (QGroupBox* g : {GrpBxComp, GrpBxOutput, GrpBxTemp, GrpBxErr, GrpBxFilter})
        rightColumn->addWidget(g);
    rightColumn->addStretch(1);
    rightColumn->addLayout(measured);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(6);
    // The input group's widest row fixes the left column; the right one takes the rest.
    columns->addLayout(leftColumn, 0);
    columns->addLayout(rightColumn, 1);

    auto* page = new QVBoxLayout(tab);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addLayout(columns, 1);
    page->addLayout(reminder);
    page->addLayout(buttons);
}

}  // namespace vl48

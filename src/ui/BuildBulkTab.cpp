// The bulk configuration tab: the summary of the connected transmitter and the file and upload
// buttons on the left, the stored configuration that is programmed into one transmitter after
// another on the right, and the reconnection choice across the bottom.
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStringList>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "Build.h"
#include "FrmMain.h"
#include "Widgets.h"

namespace vl48 {

using namespace build;

namespace {

// The lists hold fixed Czech entries in both languages; what counts is the index, which is the
// code written into the transmitter, so none is preselected: an untouched list stands for "not
// loaded yet".
QComboBox* codeList(QWidget* parent, const char* name, const QStringList& entries) {
    auto* list = named(new QComboBox(parent), name);
    list->setEditable(true);
    // Typing in the list must never add a new entry: an entry's position is its code.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->clearEditText();
    list->setEnabled(false);
    // Leaving a typed text behind, the list holds the entry it names or none at all, never the
    // entry selected before: that one would be uploaded and saved under a text that says
    // otherwise. Matched as Qt matches a typed text, whole and regardless of case.
    QObject::connect(list->lineEdit(), &QLineEdit::editingFinished, list, [list] {
        const int index = list->findText(list->currentText(), Qt::MatchFixedString);
        list->setCurrentIndex(index);
        if (index < 0)
            list->clearEditText();
        else
            list->setEditText(list->itemText(index));
    });
    return list;
}

// All four masked fields get one width, enough for the longest mask ("#0,00") in bold plus the
// frame, so their units line up in one column beside them.
TMaskEdit* maskedField(QWidget* parent, const char* name, const QString& mask) {
    auto* field = named(new TMaskEdit(mask, parent), name);
    setBold(field);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-00,000")) + 12);
    field->setEnabled(false);
    return field;
}

}  // namespace

void TFrmMain::buildBulkTab() {
    // --- Left column: what the connection learnt about the transmitter, then the file buttons.
    GrpBxInfo =
        group(TabAdvanceFunc, "GrpBxInfo", QStringLiteral(" Souhrné informace o převodníku "));
    const auto caption = [this](const char* name, const QString& text) {
        return label(GrpBxInfo, name, text, false, Qt::AlignRight | Qt::AlignVCenter);
    };
    const auto value = [this](const char* name) {
        auto* l = label(GrpBxInfo, name, QString());
        // Room for the longest value the connection puts here ("není podporováno").
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("není podporováno")) +
                           8);
        return l;
    };
    LblSType = caption("LblSType", QStringLiteral("Typ zařízení:"));
    LblInfoType = value("LblInfoType");
    LblSFirmware = caption("LblSFirmware", QStringLiteral("Revize firmware:"));
    LblInfoFW = value("LblInfoFW");
    LblSDate = caption("LblSDate", QStringLiteral("Datum vydání:"));
    LblInfoDate = value("LblInfoDate");
    LblSIden = caption("LblSIden", QStringLiteral("Identifikátor:"));
    LblInfoSN = value("LblInfoSN");
    LblSTemp = caption("LblSTemp", QStringLiteral("Teplota převodníku:"));
    LblInfoTemp = value("LblInfoTemp");

    auto* info = new QGridLayout(GrpBxInfo);
    info->setContentsMargins(8, 6, 8, 8);
    info->setHorizontalSpacing(6);
    info->setVerticalSpacing(4);
    const std::array<std::pair<QLabel*, QLabel*>, 4> identity{{{LblSType, LblInfoType},
                                                               {LblSFirmware, LblInfoFW},
                                                               {LblSDate, LblInfoDate},
                                                               {LblSIden, LblInfoSN}}};
    int row = 0;
    for (const auto& [name, shown] : identity) {
        info->addWidget(name, row, 0);
        info->addWidget(shown, row, 1);
        ++row;
    }
    // The temperature is a measurement, not part of the identity: it stands one row apart.
    info->setRowMinimumHeight(row, LblSType->sizeHint().height());
    ++row;
    info->addWidget(LblSTemp, row, 0);
    info->addWidget(LblInfoTemp, row, 1);
    info->setColumnStretch(1, 1);

    BtnConfLoad = imageButton(TabAdvanceFunc, "BtnConfLoad",
                              QStringLiteral("Načíst konfiguraci ze souboru (*.vl4)"),
                              QStyle::SP_DialogOpenButton);
    BtnConf1Save = imageButton(TabAdvanceFunc, "BtnConf1Save",
                               QStringLiteral("Uložit konfiguraci do souboru (*.vl4)"),
                               QStyle::SP_DialogSaveButton);
    BtnEdtConf =
        imageButton(TabAdvanceFunc, "BtnEdtConf", QStringLiteral("Editovat načtenou konfiguraci"),
                    QStyle::SP_FileDialogDetailedView);
    BtnEdtConfTag = 0;
    BtnUploadConf =
        imageButton(TabAdvanceFunc, "BtnUploadConf", QStringLiteral("Nahrát konfiguraci do VL48"),
                    QStyle::SP_ArrowDown, true);

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(GrpBxInfo);
    left->addSpacing(6);
    left->addWidget(BtnConfLoad);
    left->addWidget(BtnConf1Save);
    left->addWidget(BtnEdtConf);
    left->addStretch(1);
    // Before an upload: what it would change; after it: whether it went in.
    BtnCompareConf =
        imageButton(TabAdvanceFunc, "BtnCompareConf", QStringLiteral("Porovnat s převodníkem"),
                    QStyle::SP_FileDialogContentsView);
    left->addWidget(BtnCompareConf);
    left->addWidget(BtnUploadConf);
    ChckBxVerify = check(TabAdvanceFunc, "ChckBxVerify", QStringLiteral("Ověřit po nahrání"));
    left->addWidget(ChckBxVerify);

    // --- Right column: the configuration held only in these controls. They stay disabled until
    // the person switches to edit mode, so a loaded file cannot be changed by a stray click.
    GrpBxConf = group(TabAdvanceFunc, "GrpBxConf",
                      QStringLiteral(" Načtená konfigurace převodníku VL48 ze souboru "), true);
    const auto rowCaption = [this](const char* name, const QString& text) {
        return label(GrpBxConf, name, text, false, Qt::AlignRight | Qt::AlignVCenter);
    };

    Label20 = rowCaption("Label20", QStringLiteral("Vstupní signál:"));
    CmbInputSignal =
        codeList(GrpBxConf, "CmbInputSignal",
                 {QStringLiteral("Termočlánek J"), QStringLiteral("Termočlánek K"),
                  QStringLiteral("Termočlánek S"), QStringLiteral("Termočlánek B"),
                  QStringLiteral("Termočlánek E"), QStringLiteral("Termočlánek R"),
                  QStringLiteral("Termočlánek N"), QStringLiteral("Termočlánek T"),
                  QStringLiteral("PT 100 Ohm"), QStringLiteral("PT 1000 Ohm"),
                  QStringLiteral("Ni 1000 (5000ppm/K)"), QStringLiteral("Ni 1000 (6178ppm/K)"),
                  QStringLiteral("KTY 81/110, 120, 150"), QStringLiteral("KTY 81/121"),
                  QStringLiteral("KTY 81/122"), QStringLiteral("KTY 81/210, 220, 250"),
                  QStringLiteral("KTY 81/221"), QStringLiteral("KTY 81/222"),
                  QStringLiteral("Ohm Meter 0 Ohm - 5000 Ohm")});
    Label21 = rowCaption("Label21", QStringLiteral("Zapojení RTD čidla:"));
    CmbSensorWire =
        codeList(GrpBxConf, "CmbSensorWire",
                 {QStringLiteral("2, 4 vodičové zapojení"), QStringLiteral("3 vodičové zapojení")});
    Label22 = rowCaption("Label22", QStringLiteral("Kompenzace vedení RTD:"));
    MskEdtCompRes = maskedField(GrpBxConf, "MskEdtCompRes", QStringLiteral("#0,00"));
    Label36 = label(GrpBxConf, "Label36", QStringLiteral("Ohm"));
    Label19 = rowCaption("Label19", QStringLiteral("Kompenzace termočlánku:"));
    CmbCompTerm =
        codeList(GrpBxConf, "CmbCompTerm",
                 {QStringLiteral("Bez kompenzace"), QStringLiteral("Měření teploty svorek"),
                  QStringLiteral("Pevně nastavená teplota")});
    Label31 = rowCaption("Label31", QStringLiteral("Pevně nastavená teplota:"));
    MskEdtSetTemp = maskedField(GrpBxConf, "MskEdtSetTemp", QStringLiteral("#00"));
    Label37 = label(GrpBxConf, "Label37", QStringLiteral("°C"));
    Label23 = rowCaption("Label23", QStringLiteral("Výstupní signál:"));
    CmbOutputSignal = codeList(GrpBxConf, "CmbOutputSignal",
                               {QStringLiteral("0 - 20 mA DC"), QStringLiteral("4 - 20 mA DC"),
                                QStringLiteral("0 - 10 V DC")});
    Label24 = rowCaption("Label24", QStringLiteral("Omezení výstupní signálu:"));
    CmbOutputLimit = codeList(
        GrpBxConf, "CmbOutputLimit",
        {QStringLiteral("Bez omezení výstupu"), QStringLiteral("Omezení na 20 mA a nebo 10 V")});
    Label27 = rowCaption("Label27", QStringLiteral("Počátek výstupního signálu:"));
    MskEdtMinTemp = maskedField(GrpBxConf, "MskEdtMinTemp", QStringLiteral("#000"));
    Label34 = label(GrpBxConf, "Label34", QStringLiteral("°C / Ohm"));
    Label28 = rowCaption("Label28", QStringLiteral("Konec výstupního signálu:"));
    MskEdtMaxTemp = maskedField(GrpBxConf, "MskEdtMaxTemp", QStringLiteral("#000"));
    Label35 = label(GrpBxConf, "Label35", QStringLiteral("°C / Ohm"));
    Label29 = rowCaption("Label29", QStringLiteral("Hlášení poruchy čidla:"));
    CmbSensorErr = codeList(GrpBxConf, "CmbSensorErr",
                            {QStringLiteral("Sledování vstupu"), QStringLiteral("Pulsace 50%/100%"),
                             QStringLiteral("Pokles na 2 mA")});
    Label30 = rowCaption("Label30", QStringLiteral("Typ filtrace signálu:"));
    CmbFiltration = codeList(GrpBxConf, "CmbFiltration",
                             {QStringLiteral("Bez filtrace"), QStringLiteral("Klouzavý průměr"),
                              QStringLiteral("Polynomický filtr")});
    Label33 = rowCaption("Label33", QStringLiteral("Datum nastavení:"));
    DtPckrConf = named(new TDatePicker(GrpBxConf), "DtPckrConf");
    // A stored configuration may carry any date, old ones included: no earliest date here,
    // unlike the basic tab's picker.
    DtPckrConf->setMinimumDate(QDate(100, 1, 1));
    DtPckrConf->setDateQuietly(QDate(2010, 10, 6));
    DtPckrConf->setEnabled(false);
    Label32 = rowCaption("Label32", QStringLiteral("Textová poznámka:"));
    EdtNoteConf = named(new QLineEdit(GrpBxConf), "EdtNoteConf");
    // The transmitter stores at most 30 characters of note.
    EdtNoteConf->setMaxLength(30);
    EdtNoteConf->setEnabled(false);

    auto* conf = new QGridLayout(GrpBxConf);
    conf->setContentsMargins(8, 8, 8, 8);
    conf->setHorizontalSpacing(6);
    conf->setVerticalSpacing(6);
    // A compare mark stands after each value; its tooltip tells the transmitter's value.
    const auto mark = [this](const char* name) {
        auto* m = label(GrpBxConf, name, QStringLiteral("≠"), true, Qt::AlignCenter);
        setMaroon(m);
        m->hide();
        return m;
    };
    LblCmpInputSignal = mark("LblCmpInputSignal");
    LblCmpSensorWire = mark("LblCmpSensorWire");
    LblCmpCompRes = mark("LblCmpCompRes");
    LblCmpCompTerm = mark("LblCmpCompTerm");
    LblCmpSetTemp = mark("LblCmpSetTemp");
    LblCmpOutputSignal = mark("LblCmpOutputSignal");
    LblCmpOutputLimit = mark("LblCmpOutputLimit");
    LblCmpMinTemp = mark("LblCmpMinTemp");
    LblCmpMaxTemp = mark("LblCmpMaxTemp");
    LblCmpSensorErr = mark("LblCmpSensorErr");
    LblCmpFiltration = mark("LblCmpFiltration");
    LblCmpDate = mark("LblCmpDate");
    LblCmpNote = mark("LblCmpNote");
    struct Row {
        QLabel* caption;
        QWidget* field;
        QLabel* unit;
        QLabel* mark;
    };
    const std::array<Row, 13> rows{{{Label20, CmbInputSignal, nullptr, LblCmpInputSignal},
                                    {Label21, CmbSensorWire, nullptr, LblCmpSensorWire},
                                    {Label22, MskEdtCompRes, Label36, LblCmpCompRes},
                                    {Label19, CmbCompTerm, nullptr, LblCmpCompTerm},
                                    {Label31, MskEdtSetTemp, Label37, LblCmpSetTemp},
                                    {Label23, CmbOutputSignal, nullptr, LblCmpOutputSignal},
                                    {Label24, CmbOutputLimit, nullptr, LblCmpOutputLimit},
                                    {Label27, MskEdtMinTemp, Label34, LblCmpMinTemp},
                                    {Label28, MskEdtMaxTemp, Label35, LblCmpMaxTemp},
                                    {Label29, CmbSensorErr, nullptr, LblCmpSensorErr},
                                    {Label30, CmbFiltration, nullptr, LblCmpFiltration},
                                    {Label33, DtPckrConf, nullptr, LblCmpDate},
                                    {Label32, EdtNoteConf, nullptr, LblCmpNote}}};
    row = 0;
    // The mark column keeps its width while the marks are hidden, so nothing moves when one
    // shows.
    conf->setColumnMinimumWidth(3, LblCmpNote->sizeHint().width());
    for (const Row& r : rows) {
        conf->addWidget(r.caption, row, 0);
        nameField(r.caption, r.field);
        if (r.unit) {
            conf->addWidget(r.field, row, 1);
            conf->addWidget(r.unit, row, 2);
        } else {
            conf->addWidget(r.field, row, 1, 1, 2);
        }
        conf->addWidget(r.mark, row, 3);
        // The rows share the height of the group evenly.
        conf->setRowStretch(row, 1);
        ++row;
    }
    // Column 1 is as narrow as the masked fields, so their units stand right beside them; the
    // lists, the date and the note span it and the unit column.
    conf->setColumnStretch(2, 1);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(8);
    columns->addLayout(left, 0);
    columns->addWidget(GrpBxConf, 1);

    // The reconnection choice is one long line in either language; it runs under both columns.
    ChckBxAutoCon =
        check(TabAdvanceFunc, "ChckBxAutoCon",
              QStringLiteral("Při odpojení převodníku, čekat na připojení (použíjte při "
                             "sériovém programování)"),
              true);
    ChckBxAutoCon->setChecked(false);

    // The production log: a line for every upload, into a file chosen once per run, with the
    // operator's note.
    ChckBxLog = check(TabAdvanceFunc, "ChckBxLog", QStringLiteral("Zapisovat výrobní protokol"));
    LblLogFile = label(TabAdvanceFunc, "LblLogFile", QString());
    LblLogFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LblLogNote = label(TabAdvanceFunc, "LblLogNote", QStringLiteral("Poznámka obsluhy:"));
    EdtLogNote = named(new QLineEdit(TabAdvanceFunc), "EdtLogNote");
    nameField(LblLogNote, EdtLogNote);
    auto* log = new QHBoxLayout;
    log->setSpacing(6);
    log->addWidget(ChckBxLog);
    log->addWidget(LblLogFile, 1);
    log->addWidget(LblLogNote);
    log->addWidget(EdtLogNote, 1);

    auto* page = new QVBoxLayout(TabAdvanceFunc);
    page->setContentsMargins(6, 6, 6, 6);
    page->setSpacing(8);
    page->addLayout(columns, 1);
    page->addWidget(ChckBxAutoCon);
    page->addLayout(log);
}

}  // namespace vl48

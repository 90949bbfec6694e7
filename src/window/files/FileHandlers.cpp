// Saving and loading configuration files: the basic tab saves the connected transmitter as the
// tool holds it, the bulk tab saves and loads its own controls. Loading fills only the bulk tab;
// nothing reaches a transmitter before the upload.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "core/records/ConfigFile.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

// A code the list does not offer (filter 3, input type 19, a file's 25) shows no entry, and no
// leftover text either: an empty list is what "nothing selected" looks like.
void selectCode(QComboBox* list, int code) {
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
    if (list->currentIndex() < 0) list->clearEditText();
}

}  // namespace

TMaskEdit* TFrmMain::basicNumberField(ConfigField field) const {
    switch (field) {
        case ConfigField::RangeBegin:
            return MskEdtTempBegin;
        case ConfigField::RangeEnd:
            return MskEdtTempEnd;
        case ConfigField::CompTemp:
            return MskEdtTcldEnd;
        default:
            return MskEdtResComp;
    }
}

void TFrmMain::BtnConfSaveClick() {
    // A field whose read failed would go into the file as 0, as if this unit held it.
    if (refusedForUnreadValue({MskEdtTempBegin, MskEdtTempEnd, MskEdtTcldEnd, MskEdtResComp}))
        return;
    const QString path = runFileDialog(FileDialog::Save);
    if (path.isEmpty()) return;
    // What the tool holds for the connected transmitter: the record's codes, and the fields as
    // they stand, a value typed but not yet stored with Enter included.
    ConfigFileValues values;
    for (const FieldDef& def : ConfigFields) {
        if (def.kind == FieldKind::List) values.*def.code = recordField(def.cell);
        if (def.kind == FieldKind::Number)
            values.*def.text = basicNumberField(def.field)->maskedText();
    }
    values.date = DtTmPicker->date();
    values.note = EdtNote->text();
    values.noteBytes = NoteBytesRead;
    const QString error = saveConfigFile(path, values);
    if (!error.isEmpty()) showMessage(MsgKind::Error, error);
}

void TFrmMain::BtnConf1SaveClick() {
    const QString path = runFileDialog(FileDialog::Save);
    if (path.isEmpty()) return;
    const ConfigFileValues values = bulkValues();
    const QString error = saveConfigFile(path, values);
    if (!error.isEmpty()) return showMessage(MsgKind::Error, error);
    bulkFileUsed(path, values);
}

void TFrmMain::BtnConfLoadClick() {
    const QString path = runFileDialog(FileDialog::Open);
    if (path.isEmpty()) return;
    const ConfigFileLoad load =
        loadConfigFile(path, DtPckrConf->minimumDate(), DtPckrConf->maximumDate());
    if (load.notAConfigFile) {
        showMessage(MsgKind::Error,
                    QCoreApplication::translate(
                        "TFrmMain", "„%1“ nelze načíst: není to běžný soubor do velikosti 64 KiB.")
                        .arg(path));
        return;
    }
    // The lines before a bad one stay loaded, as they were read one after another.
    const ConfigFileValues& v = load.values;
    for (int line = 1; line <= load.linesRead; ++line) {
        const FieldDef& def = ConfigFields[size_t(line - 1)];
        QWidget* control = bulkRow(def.field).control;
        switch (def.kind) {
            case FieldKind::List:
                selectCode(static_cast<QComboBox*>(control), v.*def.code);
                break;
            case FieldKind::Number:
                static_cast<TMaskEdit*>(control)->setMaskedText(v.*def.text);
                break;
            case FieldKind::Date:
                DtPckrConf->setDateQuietly(v.date);
                break;
            case FieldKind::Note:
                EdtNoteConf->setText(v.note);
                BulkNoteBytesRead = v.noteBytes;
                break;
        }
    }
    // Marks made against the values before do not hold for these.
    clearCompareMarks();
    // A load refused at a line leaves the earlier file's name: the tab holds that file's values
    // with some lines of this one, which the log then calls that file "(edited)".
    if (!load.error.isEmpty()) return showMessage(MsgKind::Error, load.error);
    bulkFileUsed(path, bulkValues());
}

void TFrmMain::connectFileHandlers() {
    connect(BtnConfSave, &QPushButton::clicked, this, &TFrmMain::BtnConfSaveClick);
    connect(BtnConf1Save, &QPushButton::clicked, this, &TFrmMain::BtnConf1SaveClick);
    connect(BtnConfLoad, &QPushButton::clicked, this, &TFrmMain::BtnConfLoadClick);
    connect(BtnEdtConf, &QPushButton::clicked, this, &TFrmMain::BtnEdtConfClick);
    connect(BtnUploadConf, &QPushButton::clicked, this, &TFrmMain::BtnUploadConfClick);
    connect(SpdBtnEraseForm, &QPushButton::clicked, this, &TFrmMain::SpdBtnEraseFormClick);
    connect(SpdBtnLoadData, &QPushButton::clicked, this, &TFrmMain::SpdBtnLoadDataClick);
    // The bulk note goes into transmitters as it stands: refuse at entry what they cannot store.
    EdtNoteConf->setValidator(new Cp1250Validator(EdtNoteConf));
}

}  // namespace vl48

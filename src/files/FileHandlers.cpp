// Saving and loading configuration files: the basic tab saves the connected transmitter as the
// tool holds it, the bulk tab saves and loads its own controls. Loading fills only the bulk tab;
// nothing reaches a transmitter before the upload.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "files/ConfigFile.h"
#include "ui/FrmMain.h"
#include "ui/Widgets.h"

namespace vl48 {

namespace {

// A code the list does not offer (filter 3, input type 19, a file's 25) shows no entry, and no
// leftover text either: an empty list is what "nothing selected" looks like.
void selectCode(QComboBox* list, int code) {
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
    if (list->currentIndex() < 0) list->clearEditText();
}

}  // namespace

void TFrmMain::BtnConfSaveClick() {
    // A field whose read failed would go into the file as 0, as if this unit held it.
    if (refusedForUnreadValue({MskEdtTempBegin, MskEdtTempEnd, MskEdtTcldEnd, MskEdtResComp}))
        return;
    const QString path = runFileDialog(FileDialog::Save);
    if (path.isEmpty()) return;
    // What the tool holds for the connected transmitter: the record's codes, and the fields as
    // they stand, a value typed but not yet stored with Enter included.
    ConfigFileValues values;
    values.inputType = Config.EEInputType;
    values.outputType = Config.EEOutputType;
    values.sensorFault = Config.EESensorFault;
    values.rangeBegin = MskEdtTempBegin->maskedText();
    values.rangeEnd = MskEdtTempEnd->maskedText();
    values.filter = Config.EEFilter;
    values.compMode = Config.EECompMode;
    values.compTemp = MskEdtTcldEnd->maskedText();
    values.outputLimit = Config.EEOutputLimit;
    values.wiring = Config.EEWiring;
    values.date = DtTmPicker->date();
    values.note = EdtNote->text();
    values.noteBytes = NoteBytesRead;
    values.lineRes = MskEdtResComp->maskedText();
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
        showMessage(MsgKind::Error, notAConfigFileText(MSLanguageCZ->isChecked() ? 0 : 1, path));
        return;
    }
    // The lines before a bad one stay loaded, as they were read one after another.
    const ConfigFileValues& v = load.values;
    for (int line = 1; line <= load.linesRead; ++line) {
        switch (line) {
            case 1:
                selectCode(CmbInputSignal, v.inputType);
                break;
            case 2:
                selectCode(CmbOutputSignal, v.outputType);
                break;
            case 3:
                selectCode(CmbSensorErr, v.sensorFault);
                break;
            case 4:
                MskEdtMinTemp->setMaskedText(v.rangeBegin);
                break;
            case 5:
                MskEdtMaxTemp->setMaskedText(v.rangeEnd);
                break;
            case 6:
                selectCode(CmbFiltration, v.filter);
                break;
            case 7:
                selectCode(CmbCompTerm, v.compMode);
                break;
            case 8:
                MskEdtSetTemp->setMaskedText(v.compTemp);
                break;
            case 9:
                selectCode(CmbOutputLimit, v.outputLimit);
                break;
            case 10:
                selectCode(CmbSensorWire, v.wiring);
                break;
            case 11:
                DtPckrConf->setDateQuietly(v.date);
                break;
            case 12:
                EdtNoteConf->setText(v.note);
                BulkNoteBytesRead = v.noteBytes;
                break;
            case 13:
                MskEdtCompRes->setMaskedText(v.lineRes);
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

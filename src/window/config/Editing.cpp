// Writing each setting the moment it is made: selections at once, typed values, the note and the
// date on Enter (or their buttons), with red markers for what is not yet stored.
#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/device/Cp1250.h"
#include "core/device/NumberTexts.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

// Counts down the note's free characters after every key released in either note field.
class KeyUpFilter : public QObject {
public:
    KeyUpFilter(QObject* parent, std::function<void()> onKeyUp)
        : QObject(parent), m_onKeyUp(std::move(onKeyUp)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) m_onKeyUp();
        return false;
    }

private:
    std::function<void()> m_onKeyUp;
};

}  // namespace

bool TFrmMain::refusedForUnreadValue(std::initializer_list<const QWidget*> fields) {
    const bool unread = std::any_of(fields.begin(), fields.end(), [](const QWidget* field) {
        if (const auto* mask = qobject_cast<const TMaskEdit*>(field)) return !mask->hasValue();
        if (const auto* spin = qobject_cast<const TSpinEdit*>(field)) return !spin->hasValue();
        return false;
    });
    if (unread)
        showMessage(MsgKind::Error, QCoreApplication::translate(
                                        "TFrmMain",
                                        "Hodnota nebyla z tohoto převodníku přečtena ani zadána, "
                                        "nic nebylo zapsáno."));
    return unread;
}

void TFrmMain::selectionClick(Cell cell, int code) {
    if (Updating) return;
    guarded([&] {
        // The record keeps the new code even when the write fails: the connection ends then, and
        // the next one reads the memory again.
        recordField(cell) = code;
        if (!SendEE(CmdWriteCell, cell, cellWord(code))) writeFailed();
        if (cell == EEInputType) DrawForm();
    });
}

void TFrmMain::ChckBxDaRestClick() {
    if (Updating) return;
    selectionClick(EEOutputLimit, ChckBxDaRest->isChecked() ? 1 : 0);
}

void TFrmMain::RdBtn2mADropClick() {
    if (Updating) return;
    // Dropping to 2 mA means nothing on another output: refuse, and leave the transmitter's
    // fault mode as it is.
    if (!RdBtnAO4_20->isChecked()) {
        showMessage(MsgKind::Warning, Msg2mADropRefused);
        // The click has checked the button; the group shows again the mode the transmitter
        // keeps (none, when this unit's mode is not known), so that choosing 4-20 mA next does
        // not show a drop to 2 mA that was never stored.
        Updating = true;
        uncheckRadioButtons(GrpBxErr);
        DrawForm();
        return;
    }
    selectionClick(EESensorFault, 2);
}

void TFrmMain::maskedFieldChange(QLabel* marker) {
    if (Updating) return;
    marker->show();
    LblSaveX->show();
    LblSaveX1->show();
}

void TFrmMain::maskedFieldEnter(TMaskEdit* field) {
    guarded([&] {
        struct Target {
            TMaskEdit* field;
            Cell cell;
            QLabel* marker;
        };
        const Target targets[] = {
            {MskEdtTempBegin, EERangeBegin, LblMskEdtTempBeginCH},
            {MskEdtTempEnd, EERangeEnd, LblMskEdtTempEndCH},
            {MskEdtTcldEnd, EECompTemp, LblMskEdtTcldEndCH},
            {MskEdtResComp, EELineRes, LblMskEdtResCompCH},
        };
        for (const Target& t : targets) {
            if (t.field != field) continue;
            // An empty field of a read that failed: Enter would write a 0 nobody chose.
            if (refusedForUnreadValue({field})) return;
            const QString text = field->maskedText();
            const int value = t.cell == EELineRes ? maskedHundredths(text) : maskedInteger(text);
            if (!SendEE(CmdWriteCell, t.cell, cellWord(value))) writeFailed();
            t.marker->hide();
            LblSaveX->hide();
            LblSaveX1->hide();
        }
    });
}

void TFrmMain::EdtNoteChange() {
    if (!Updating) LblEdtNoteCH->show();
}

void TFrmMain::EdtNoteKeyUp() {
    LblTextLength->setText(QString::number(NoteMaxLength - EdtNote->text().size()));
}

void TFrmMain::BtnSaveNoteClick() {
    guarded([&] {
        const QByteArray bytes = toCp1250Keeping(EdtNote->text(), NoteBytesRead);
        if (SendText(bytes)) {
            LblEdtNoteCH->hide();
            NoteBytesRead = bytes;  // what the transmitter holds now
        } else {
            writeFailed();
        }
    });
}

void TFrmMain::DtTmPickerChange() {
    if (!Updating) LblDtTmPickerCH->show();
}

void TFrmMain::DtTmPickerKeyPress() {
    guarded([&] {
        const QDate date = DtTmPicker->date();
        if (!SendEE(CmdWriteCell, EEDayMonth, encodeDayMonth(date.day(), date.month())))
            writeFailed();
        if (!SendEE(CmdWriteCell, EEYear, cellWord(date.year()))) writeFailed();
        LblDtTmPickerCH->hide();
    });
}

void TFrmMain::BtnRefreshDateClick() {
    if (Updating) return;
    guarded([&] {
        const QDate today = QDate::currentDate();
        if (!SendEE(CmdWriteCell, EEDayMonth, encodeDayMonth(today.day(), today.month())))
            writeFailed();
        if (!SendEE(CmdWriteCell, EEYear, cellWord(today.year()))) writeFailed();
        DtTmPicker->setDateQuietly(today);
    });
}

void TFrmMain::connectEditingHandlers() {
    // The six selection families, one handler bound through this table. Bound to toggled(true),
    // so that checking a button from code (drawing the form under Updating) runs them too.
    struct Selection {
        QAbstractButton* button;
        Cell cell;
        int code;
    };
    std::vector<Selection> selections;
    // The 2 mA drop has a handler of its own, and the output limit is the check box's.
    for (const CodeButton& c : m_codeButtons)
        if (c.cell != EEOutputLimit && !(c.cell == EESensorFault && c.code == 2))
            selections.push_back({c.button, c.cell, c.code});
    for (const Selection& s : selections)
        connect(s.button, &QAbstractButton::toggled, this, [this, s](bool checked) {
            if (checked) selectionClick(s.cell, s.code);
        });
    connect(RdBtn2mADrop, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked) RdBtn2mADropClick();
    });
    connect(ChckBxDaRest, &QAbstractButton::toggled, this, [this] { ChckBxDaRestClick(); });

    const std::pair<TMaskEdit*, QLabel*> fields[] = {
        {MskEdtTempBegin, LblMskEdtTempBeginCH},
        {MskEdtTempEnd, LblMskEdtTempEndCH},
        {MskEdtTcldEnd, LblMskEdtTcldEndCH},
        {MskEdtResComp, LblMskEdtResCompCH},
    };
    for (const auto& [field, marker] : fields) {
        connect(field, &QLineEdit::textChanged, this,
                [this, marker] { maskedFieldChange(marker); });
        connect(field, &TMaskEdit::enterPressed, this, [this, field] { maskedFieldEnter(field); });
    }

    EdtNote->setValidator(new Cp1250Validator(EdtNote));
    connect(EdtNote, &QLineEdit::textChanged, this, &TFrmMain::EdtNoteChange);
    connect(EdtNote, &QLineEdit::returnPressed, this, &TFrmMain::BtnSaveNoteClick);
    connect(BtnSaveNote, &QPushButton::clicked, this, &TFrmMain::BtnSaveNoteClick);
    auto* keyUp = new KeyUpFilter(this, [this] { EdtNoteKeyUp(); });
    EdtNote->installEventFilter(keyUp);
    EdtNoteConf->installEventFilter(keyUp);

    connect(DtTmPicker, &TDatePicker::userDateChanged, this, &TFrmMain::DtTmPickerChange);
    connect(DtTmPicker, &TDatePicker::enterPressed, this, &TFrmMain::DtTmPickerKeyPress);
    connect(BtnRefreshDate, &QPushButton::clicked, this, &TFrmMain::BtnRefreshDateClick);
    connect(BtnMeasTemp, &QPushButton::clicked, this, &TFrmMain::BtnMeasTempClick);
}

}  // namespace vl48

// The analog output's converter codes. The service fields set the four codes over the converter's
// full range; the correction fields let the user move them only a little around the calibration
// copy the transmitter keeps, and Undo puts that copy back. Every change drives the output at once
// so the technician can watch the meter while stepping; storing and leaving a field release it.
#include "core/session/OutputCorrection.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <algorithm>
#include <optional>

#include "core/session/Cells.h"
#include "core/session/OutputTrim.h"
#include "core/session/ServiceTerminal.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"
#include "window/service/OutputCalibrationDialog.h"

namespace vl48 {

namespace {

// How far the user may move a code away from its calibration copy.
constexpr int CorrectionReach = 48;
// 16383 gives 199 on the 0..200 bar.
constexpr int BarDivisor = 82;
// The output is given this long to settle after a stored code has been released.
constexpr int StorePauseMs = 100;

struct Bounds {
    int low = 0;
    int high = OutputCodeMax;
    // A copy far above the converter's range leaves no code that is both near it and a code.
    bool empty() const { return low > high; }
};

// The correction window of a calibration copy: within reach of the copy, and a converter code.
Bounds correctionBounds(uint16_t copy) {
    return {std::max(0, copy - CorrectionReach), std::min(OutputCodeMax, copy + CorrectionReach)};
}

void showTextChanged(TSpinEdit* field, bool changed) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text,
                     changed ? QColor(Qt::red) : palette.color(QPalette::WindowText));
    field->setPalette(palette);
}

void showOnBar(QProgressBar* bar, int code) {
    bar->setValue(std::clamp(code, 0, OutputCodeMax) / BarDivisor);
}

QString invalidCopyText() {
    return QCoreApplication::translate(
        "TFrmMain", "Kalibrační kopie DA výstupu není platná, nic nebylo zapsáno.");
}

}  // namespace

struct TFrmMain::OutputCorrectionState {
    struct Field {
        TSpinEdit* spin;
        QProgressBar* bar;
        Cell cell;
        int exitPauseMs;
        int correction;  // index into the calibration copy, or -1 for a service field
        // The value last announced. The spin box announces its value again on Enter although
        // nothing changed; that must neither drive the output once more nor mark the field.
        int announced = 0;
    };
    std::array<Field, 8> fields;
    // The transmitter's calibration copy (EEAOIZeroBackup ... EEAOUEndBackup) as read by
    // EEDACorr; empty when it is not known for the transmitter now connected.
    std::array<std::optional<uint16_t>, 4> copy;
    std::array<Bounds, 4> correctionBounds;
    // The code the output is driven to, until it is released. All nine output fields drive the
    // one output, so a field that takes over from another drives even the same code again only
    // after the other's release.
    std::optional<int> driven;

    Field* find(const TSpinEdit* spin) {
        for (Field& f : fields)
            if (f.spin == spin) return &f;
        return nullptr;
    }

    Bounds bounds(const Field& f) const {
        return f.correction < 0 ? Bounds{} : correctionBounds[size_t(f.correction)];
    }

    // Pulls the field's code into its bounds and answers the code to drive or store; nothing
    // when the field has no valid code at all. A value pulled back is written quietly, so that
    // the caller drives the limited code once instead of the change handler driving it as well.
    std::optional<int> limit(Field& f) const {
        const Bounds b = bounds(f);
        if (b.empty()) return std::nullopt;
        const int value = f.spin->value();
        const int code = std::clamp(value, b.low, b.high);
        if (code != value) {
            const QSignalBlocker quiet(f.spin);
            f.spin->setValue(code);
            f.announced = code;
            showOnBar(f.bar, code);
            showTextChanged(f.spin, true);  // the code shown is not the one stored
        }
        return code;
    }

    void forget() {
        for (Field& f : fields) {
            f.announced = f.spin->minimum();  // what a field holding no value keeps
            f.bar->setValue(0);
        }
        copy.fill(std::nullopt);
        correctionBounds.fill(Bounds{});
        driven.reset();  // the next transmitter's output is not ours to release
    }

    bool copyValid() const {
        return std::all_of(copy.begin(), copy.end(),
                           [](const auto& c) { return c && *c <= OutputCodeMax; });
    }
};

void TFrmMain::outputFieldChange(TSpinEdit* field) {
    auto* f = m_outputCorrection->find(field);
    if (!f || !field->hasValue() || field->value() == f->announced) return;
    f->announced = field->value();
    if (!Updating) {
        guarded([&] {
            showTextChanged(field, true);
            if (const auto code = m_outputCorrection->limit(*f)) driveOutput(*code);
        });
    }
    showOnBar(f->bar, field->value());
}

void TFrmMain::outputFieldEnter(TSpinEdit* field) {
    auto* f = m_outputCorrection->find(field);
    // A field that holds no code of this unit has nothing to drive.
    if (!f || Updating || !field->hasValue()) return;
    guarded([&] {
        if (const auto code = m_outputCorrection->limit(*f)) driveOutput(*code);
    });
}

void TFrmMain::outputFieldKeyPress(TSpinEdit* field, int) {
    auto* f = m_outputCorrection->find(field);
    if (!f) return;
    guarded([&] {
        // The mark belongs to this one key, however the store ends (a port error included).
        const auto clearMark = qScopeGuard([field] { field->CommitMark = false; });
        if (!field->hasValue()) {
            if (field->CommitMark) refusedForUnreadValue({field});
            return;
        }
        const auto code = m_outputCorrection->limit(*f);
        if (!field->CommitMark) return;
        if (!code) {
            showMessage(MsgKind::Error, invalidCopyText());
            return;
        }
        if (writeCell(*link, f->cell, cellWord(*code))) {
            showTextChanged(field, false);
            releaseOutput(StorePauseMs);
        } else {
            writeFailed();
        }
        // Whatever became of the store, the transmitter is told that its codes left the
        // calibration data. After a lost link this exchange meets the closed port and ends the
        // handler through the general error handler.
        if (f->correction >= 0 && !markCorrectedByUser(*link)) writeFailed();
    });
}

void TFrmMain::outputFieldExit(TSpinEdit* field) {
    const auto* f = m_outputCorrection->find(field);
    if (!f) return;
    guarded([&] { releaseOutput(f->exitPauseMs); });
}

void TFrmMain::driveOutput(int code) {
    auto& driven = m_outputCorrection->driven;
    // The output already stands at this code: Enter announcing the value once more, or an arrow
    // pulled back to the edge of the window, changes nothing the technician could watch.
    if (driven == code || !ComPort->Active()) return;
    driveOutputCode(*link, uint16_t(code));
    driven = code;
}

void TFrmMain::releaseOutput(int pauseMs) {
    m_outputCorrection->driven.reset();
    // The output settles back to the measured value before anything else goes out.
    releaseOutputCode(*link, pauseMs);
}

void TFrmMain::EEDACorr() {
    guarded([&] {
        auto& state = *m_outputCorrection;
        // Each code is kept as soon as it is read, as far as the reading got.
        if (!readCalibrationCopy(*link,
                                 [&state](size_t i, uint16_t code) { state.copy[i] = code; })) {
            ShowConnect();
            return;
        }
        // The bounds live beside the fields, not in the widgets: the values shown stay as they are
        // (a widget would pull them in silently), nothing is driven, and a value beyond the bounds
        // can still be typed and is then pulled back by the handlers.
        for (size_t i = 0; i < state.copy.size(); ++i)
            state.correctionBounds[i] = correctionBounds(*state.copy[i]);
    });
}

void TFrmMain::resetOutputCorrection() {
    if (!m_outputCorrection) return;
    // A field that holds the focus would lose it while its panel is hidden, and the focus would
    // wander on, possibly into another output field that drives the output again. Leave it
    // here instead, while the port still stands: one release and its pause, nothing driven.
    if (const auto* f = m_outputCorrection->find(qobject_cast<TSpinEdit*>(focusWidget())))
        f->spin->clearFocus();
    m_outputCorrection->forget();
    GrpBxDACorr->hide();
    SpdBtnEnableDACorr->setEnabled(true);
}

void TFrmMain::SpdBtnEnableDACorrClick() {
    guarded([&] {
        const std::optional<uint16_t> correction = readCell(*link, EEDACorrState);
        if (!correction) {
            ShowConnect();
            return;
        }
        if (*correction != CorrectionNeverEnabled) return;
        // The copy is made of the service fields: each must hold this unit's code, or a code
        // typed for it, never what an earlier unit left there.
        if (refusedForUnreadValue({SpnEdtAOIZero, SpnEdtAOIEnd, SpnEdtAOUZero, SpnEdtAOUEnd}))
            return;
        const OutputCodes codes = {
            cellWord(SpnEdtAOIZero->value()), cellWord(SpnEdtAOIEnd->value()),
            cellWord(SpnEdtAOUZero->value()), cellWord(SpnEdtAOUEnd->value())};
        if (!enableCorrection(*link, codes)) {
            ShowConnect();
            return;
        }
        GrpBxDACorr->show();
        // Disabling the focused button would hand the focus on to the first correction field,
        // whose focus handler drives the output: nobody asked for that.
        if (SpdBtnEnableDACorr->hasFocus()) SpdBtnEnableDACorr->clearFocus();
        SpdBtnEnableDACorr->setEnabled(false);
        EEDACorr();
    });
}

void TFrmMain::SpdBtnUndoDACorrClick() {
    guarded([&] {
        auto& state = *m_outputCorrection;
        // A copy the converter cannot take (a never-written cell reads 0xFFFF) would drive the
        // output past its end: refuse before anything is written.
        if (!state.copyValid()) {
            showMessage(MsgKind::Error, invalidCopyText());
            return;
        }
        const OutputCodes copy = {*state.copy[0], *state.copy[1], *state.copy[2], *state.copy[3]};
        if (!undoCorrection(*link, copy)) {
            ShowConnect();
            return;
        }
        Updating = true;
        const auto done = qScopeGuard([this] { Updating = false; });
        const std::array<TSpinEdit*, 4> fields = {SpnEdtAOIZeroDACorr, SpnEdtAOIEndDACorr,
                                                  SpnEdtAOUZeroDACorr, SpnEdtAOUEndDACorr};
        for (size_t i = 0; i < fields.size(); ++i) {
            fields[i]->showValue(copy[i]);
            showTextChanged(fields[i], false);  // what the field shows is now what is stored
        }
    });
}

void TFrmMain::outputCalibrated(const OutputCalibration& c, const QString& reference) {
    showCalibratedOutput(c);
    recordOutputCalibration(c, reference);
}

void TFrmMain::showCalibratedOutput(const OutputCalibration& c) {
    // The procedure released the output however it ended: nothing stands driven by a field.
    m_outputCorrection->driven.reset();
    if (c.stored) {
        // Both panels show the same cells; what they show is now what is stored, and showing it
        // drives nothing.
        const OutputRange& range = outputRange(c.kind);
        Updating = true;
        const auto done = qScopeGuard([this] { Updating = false; });
        for (auto& f : m_outputCorrection->fields) {
            if (f.cell != range.zeroCell && f.cell != range.endCell) continue;
            f.spin->showValue(f.cell == range.zeroCell ? c.codesAfter[0] : c.codesAfter[1]);
            showTextChanged(f.spin, false);
        }
    }
}

// Makes the correction state, whose type only this unit knows, and binds the correction's fields.
void TFrmMain::connectOutputCorrectionHandlers() {
    m_outputCorrection = std::make_shared<OutputCorrectionState>();
    m_outputCorrection->fields = {{
        {SpnEdtAOIZero, PrgBrAOIZero, EEAOIZero, 100, -1},
        {SpnEdtAOIEnd, PrgBrAOIEnd, EEAOIEnd, 150, -1},
        {SpnEdtAOUZero, PrgBrAOUZero, EEAOUZero, 100, -1},
        {SpnEdtAOUEnd, PrgBrAOUEnd, EEAOUEnd, 100, -1},
        {SpnEdtAOIZeroDACorr, PrgBrAOIZeroDACorr, EEAOIZero, 150, 0},
        {SpnEdtAOIEndDACorr, PrgBrAOIEndDACorr, EEAOIEnd, 150, 1},
        {SpnEdtAOUZeroDACorr, PrgBrAOUZeroDACorr, EEAOUZero, 150, 2},
        {SpnEdtAOUEndDACorr, PrgBrAOUEndDACorr, EEAOUEnd, 150, 3},
    }};
    for (const auto& f : m_outputCorrection->fields) {
        TSpinEdit* spin = f.spin;
        connect(spin, &QSpinBox::valueChanged, this, [this, spin] { outputFieldChange(spin); });
        connect(spin, &TSpinEdit::focusEntered, this, [this, spin] { outputFieldEnter(spin); });
        connect(spin, &TSpinEdit::keyEvent, this,
                [this, spin](int key) { outputFieldKeyPress(spin, key); });
        connect(spin, &TSpinEdit::focusLeft, this, [this, spin] { outputFieldExit(spin); });
    }
    connect(SpdBtnEnableDACorr, &QPushButton::clicked, this, &TFrmMain::SpdBtnEnableDACorrClick);
    connect(SpdBtnUndoDACorr, &QPushButton::clicked, this, &TFrmMain::SpdBtnUndoDACorrClick);
    connect(BtnCalibrateAO, &QPushButton::clicked, this,
            [this] { BtnCalibrateAOClick(TrimPanel::Service); });
    connect(BtnCalibrateAODACorr, &QPushButton::clicked, this,
            [this] { BtnCalibrateAOClick(TrimPanel::Correction); });
    connect(BtnCalibrationSession, &QPushButton::clicked, this,
            &TFrmMain::BtnCalibrationSessionClick);
}

}  // namespace vl48

#include "window/service/CalibrationSessionDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "core/link/Frame.h"
#include "core/link/ScpiMeter.h"
#include "core/session/Cells.h"
#include "core/session/Identification.h"
#include "report/Certificate.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

// A number as a person types it, with a decimal comma or point; nothing for anything else.
std::optional<double> typedNumber(QString text) {
    text = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// The dialog stays painted while a reading settles, but takes no input: nothing may start a
// second stage on the same unit meanwhile.
bool waitPainted(int ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}

enum Column { ColQuantity, ColPoint, ColReference, ColReading, ColError, ColResult, ColumnCount };

QTableWidget* checksTable(QWidget* parent, const char* name) {
    auto* table = new QTableWidget(0, ColumnCount, parent);
    table->setObjectName(QLatin1String(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setMinimumHeight(130);
    return table;
}

const QString TypedReference = QStringLiteral("typed");

}  // namespace

TCalibrationSessionDlg::TCalibrationSessionDlg(TFrmMain& window)
    : QDialog(&window), m_window(window) {
    setObjectName(QStringLiteral("CalibrationSessionDlg"));
    resize(680, 760);
    if (window.ChckBxDb->isChecked()) m_store = window.m_records.get();

    const auto caption = [this] {
        auto* label = new QLabel(this);
        m_captions << label;
        return label;
    };
    const auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    LblUnit = named(new QLabel(this), "LblUnit");
    EdtTechnician = named(new QLineEdit(this), "EdtTechnician");
    EdtAmbient = named(new QLineEdit(this), "EdtAmbient");
    LstInstruments = named(new QListWidget(this), "LstInstruments");
    LstInstruments->setMaximumHeight(90);
    ChckBxOverrideDue = named(new QCheckBox(this), "ChckBxOverrideDue");
    LblRecordsNote = named(new QLabel(this), "LblRecordsNote");
    LblRecordsNote->setWordWrap(true);
    EdtInputPoints = named(new QLineEdit(this), "EdtInputPoints");
    SpnInputTolerance = named(new QDoubleSpinBox(this), "SpnInputTolerance");
    SpnInputTolerance->setDecimals(3);
    SpnInputTolerance->setRange(0.001, 100.0);
    SpnInputTolerance->setSingleStep(0.05);
    SpnInputTolerance->setValue(InputCheckSettings().tolerance);
    CmbOutput = named(new QComboBox(this), "CmbOutput");
    CmbOutput->addItems({QString(), QString(), QString()});
    // The output the unit is configured for: 0–20 mA and 4–20 mA are the current output.
    CmbOutput->setCurrentIndex(window.Config.EEOutputType == 2 ? 2 : 1);
    CmbMeterPort = named(new QComboBox(this), "CmbMeterPort");
    CmbMeterPort->setEditable(true);
    QStringList ports;
    TComPort::ListPorts(ports);
    CmbMeterPort->addItem(QString());
    CmbMeterPort->addItems(ports);
    SpnOutputTolerance = named(new QDoubleSpinBox(this), "SpnOutputTolerance");
    SpnOutputTolerance->setDecimals(3);
    SpnOutputTolerance->setRange(0.001, 10.0);
    SpnOutputTolerance->setSingleStep(0.01);
    SpnOutputTolerance->setValue(OutputSettings().tolerancePercent);

    auto* form = new QFormLayout;
    form->addRow(caption(), LblUnit);
    form->addRow(caption(), EdtTechnician);
    form->addRow(caption(), EdtAmbient);
    form->addRow(caption(), LstInstruments);
    form->addRow(QString(), ChckBxOverrideDue);
    form->addRow(caption(), EdtInputPoints);
    form->addRow(caption(), SpnInputTolerance);
    form->addRow(caption(), CmbOutput);
    form->addRow(caption(), CmbMeterPort);
    form->addRow(caption(), SpnOutputTolerance);

    const auto button = [&](QPushButton*& b, const char* name) {
        b = named(new QPushButton(this), name);
        b->setAutoDefault(false);
        return b;
    };
    auto* stages = new QGridLayout;
    stages->addWidget(button(BtnAsFound, "BtnAsFound"), 0, 0);
    stages->addWidget(button(BtnInputCal, "BtnInputCal"), 0, 1);
    stages->addWidget(button(BtnTrimOutput, "BtnTrimOutput"), 0, 2);
    stages->addWidget(button(BtnAsLeft, "BtnAsLeft"), 1, 0);
    stages->addWidget(button(BtnCertificate, "BtnCertificate"), 1, 1);
    stages->addWidget(button(BtnClose, "BtnClose"), 1, 2);

    TblAsFound = checksTable(this, "TblAsFound");
    LblAdjustments = named(new QLabel(this), "LblAdjustments");
    LblAdjustments->setWordWrap(true);
    TblAsLeft = checksTable(this, "TblAsLeft");
    LblVerdict = named(new QLabel(this), "LblVerdict");
    LblVerdict->setWordWrap(true);
    QFont bold = LblVerdict->font();
    bold.setBold(true);
    LblVerdict->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(LblRecordsNote);
    layout->addLayout(stages);
    layout->addWidget(caption());
    layout->addWidget(TblAsFound, 1);
    layout->addWidget(LblAdjustments);
    layout->addWidget(caption());
    layout->addWidget(TblAsLeft, 1);
    layout->addWidget(LblVerdict);

    connect(BtnAsFound, &QPushButton::clicked, this, &TCalibrationSessionDlg::asFound);
    connect(BtnTrimOutput, &QPushButton::clicked, this, &TCalibrationSessionDlg::trimOutput);
    connect(BtnAsLeft, &QPushButton::clicked, this, &TCalibrationSessionDlg::asLeft);
    connect(BtnCertificate, &QPushButton::clicked, this, &TCalibrationSessionDlg::certificate);
    connect(BtnClose, &QPushButton::clicked, this, &TCalibrationSessionDlg::reject);
    // The input calibration is the service panel's: the dialog steps aside for it.
    connect(BtnInputCal, &QPushButton::clicked, this, [this] {
        m_window.PageControl1->setCurrentWidget(m_window.TabService);
        m_window.GrpBxInputCal->setFocus();
        m_window.activateWindow();
    });
    connect(CmbOutput, &QComboBox::currentIndexChanged, this, [this] { enableStages(); });
    fillInstruments();
    retranslate();
}

std::optional<OutputKind> TCalibrationSessionDlg::outputKind() const {
    if (CmbOutput->currentIndex() == 1) return OutputKind::Current;
    if (CmbOutput->currentIndex() == 2) return OutputKind::Voltage;
    return std::nullopt;
}

bool TCalibrationSessionDlg::withMeter() const {
    return !CmbMeterPort->currentText().trimmed().isEmpty();
}

void TCalibrationSessionDlg::fillInstruments() {
    LstInstruments->clear();
    if (!m_store) return;
    QString problem;
    const auto list = m_store->instruments(problem);
    if (!list) {
        LblRecordsNote->setToolTip(problem);
        return;
    }
    const QDate today = QDate::currentDate();
    for (const Instrument& i : *list) {
        const bool overdue = !i.due.isValid() || i.due < today;
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 – %2 %3, %4, %5%6")
                .arg(i.name, i.model, i.serial, i.certificate, i.due.toString(Qt::ISODate),
                     overdue ? QStringLiteral(" (!)") : QString()),
            LstInstruments);
        item->setData(Qt::UserRole, i.name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TCalibrationSessionDlg::stageDone() {
    m_running = false;
    enableStages();
    showState();
}

void TCalibrationSessionDlg::enableStages() {
    const bool begun = m_record.has_value();
    const bool finished = begun && m_record->finished.isValid();
    // The check as found may be run again while it has not finished and nothing was adjusted.
    BtnAsFound->setEnabled(!m_running && !finished && !m_left.done() &&
                           (!begun || (!m_found.complete() && !m_trimText)));
    for (QWidget* w : std::initializer_list<QWidget*>{EdtTechnician, EdtAmbient, LstInstruments,
                                                      ChckBxOverrideDue, CmbOutput})
        w->setEnabled(!m_running && !begun);
    BtnInputCal->setEnabled(!m_running && begun && !finished);
    BtnTrimOutput->setEnabled(!m_running && begun && !finished && m_found.output.has_value());
    BtnAsLeft->setEnabled(!m_running && begun && !finished);
    BtnCertificate->setEnabled(!m_running && finished && m_store);
    BtnClose->setEnabled(!m_running);
}

bool TCalibrationSessionDlg::openMeter(std::unique_ptr<ScpiMeter>& meter) {
    if (!withMeter()) return true;
    ScpiMeterSettings s;
    s.port = CmbMeterPort->currentText().trimmed();
    meter = std::make_unique<ScpiMeter>(s);
    const QString problem = meter->open();
    if (problem.isEmpty()) return true;
    meter.reset();
    m_window.showMessage(
        MsgKind::Error,
        QCoreApplication::translate("TFrmMain", "Měřidlo nelze použít: %1").arg(problem));
    return false;
}

MeterRead TCalibrationSessionDlg::meterRead(ScpiMeter* meter, OutputKind kind) {
    const OutputRange& range = outputRange(kind);
    return [this, meter, kind, &range](double target, uint16_t,
                                       QString& error) -> std::optional<double> {
        std::optional<double> value;
        if (meter) {
            value = meter->measure(kind == OutputKind::Current ? meter->settings().currentQuery
                                                               : meter->settings().voltageQuery,
                                   error);
            if (value && kind == OutputKind::Current) *value *= 1000.0;  // A to mA
            return value;
        }
        if (m_window.readingHook) {
            value = m_window.readingHook(target, QLatin1String(range.unit));
        } else {
            bool ok = false;
            const double typed = QInputDialog::getDouble(
                this, QCoreApplication::translate("TFrmMain", "Údaj měřidla"),
                QCoreApplication::translate("TFrmMain",
                                            "Výstup je nastaven na %1 %2.\nZadejte údaj měřidla "
                                            "(%2):")
                    .arg(QString::number(target), QLatin1String(range.unit)),
                target, -1000.0, 1000.0, 4, &ok);
            if (ok) value = typed;
        }
        if (!value) error = QCoreApplication::translate("TFrmMain", "údaj měřidla nebyl zadán");
        return value;
    };
}

std::optional<SessionChecks> TCalibrationSessionDlg::runChecks() {
    InputCheckSettings input;
    input.tolerance = SpnInputTolerance->value();
    input.readEveryMs = readEveryMs;
    const std::optional<std::vector<double>> points = inputPoints();
    if (!points) return std::nullopt;
    input.points = *points;
    const ReferenceApply apply = [this](double point, bool ohms,
                                        QString& error) -> std::optional<double> {
        std::optional<double> value;
        if (m_window.referenceHook) {
            value = m_window.referenceHook(point, ohms);
        } else {
            QInputDialog ask(this);
            ask.setObjectName(QStringLiteral("DlgReference"));
            ask.setWindowTitle(QCoreApplication::translate("TFrmMain", "Údaj etalonu"));
            ask.setInputMode(QInputDialog::DoubleInput);
            ask.setDoubleDecimals(3);
            ask.setDoubleRange(-1000.0, 100000.0);
            ask.setDoubleValue(point);
            ask.setLabelText(QCoreApplication::translate(
                                 "TFrmMain",
                                 "Nastavte na kalibrátoru %1 %2 a zadejte hodnotu, kterou "
                                 "kalibrátor ukazuje (%2):")
                                 .arg(QString::number(point),
                                      ohms ? QStringLiteral("Ω") : QStringLiteral("°C")));
            if (ask.exec() == QDialog::Accepted) value = ask.doubleValue();
        }
        if (!value) error = QCoreApplication::translate("TFrmMain", "údaj etalonu nebyl zadán");
        return value;
    };
    SessionChecks checks;
    bool ran = false;
    m_window.guarded([&] {
        checks.input = checkInput(*m_window.link, input, apply, waitPainted);
        ran = true;
    });
    if (!ran) return std::nullopt;  // a port error, which the window has shown
    const std::optional<OutputKind> kind = outputKind();
    if (!kind || !checks.input->complete) return checks;

    const OutputRange& range = outputRange(*kind);
    std::unique_ptr<ScpiMeter> meter;
    if (!openMeter(meter)) return checks;
    if (m_record) m_record->reference = meter ? meter->identity() : TypedReference;
    const MeterRead read = meterRead(meter.get(), *kind);
    OutputSettings settings;
    settings.tolerancePercent = SpnOutputTolerance->value();
    ran = false;
    m_window.guarded([&] {
        const std::optional<uint16_t> zero = readCell(*m_window.link, range.zeroCell);
        const std::optional<uint16_t> end =
            zero ? readCell(*m_window.link, range.endCell) : std::nullopt;
        OutputCheck check{*kind, settings.tolerancePercent, {}};
        if (end)
            check.result =
                checkOutput(*m_window.link, *kind, *zero, *end, settings, read, waitPainted);
        else
            check.result.problem =
                QCoreApplication::translate("TFrmMain", "kódy výstupu nelze přečíst");
        checks.output = check;
        ran = true;
    });
    if (meter) meter->close();
    if (!ran) checks.output.reset();
    return checks;
}

bool TCalibrationSessionDlg::store(bool complete) {
    if (!m_record) return true;
    if (!m_store) {
        if (complete) m_record->finished = QDateTime::currentDateTime();
        return true;
    }
    const QString problem =
        complete ? m_store->completeCalibration(*m_record) : m_store->updateCalibration(*m_record);
    if (problem.isEmpty()) return true;
    // Not stored, so not over: the check as left may be run again.
    m_record->finished = {};
    m_window.showMessage(MsgKind::Error, QCoreApplication::translate(
                                             "TFrmMain", "Relaci nelze uložit do databáze %1 (%2).")
                                             .arg(m_store->address().text(), problem));
    return false;
}

std::optional<std::vector<double>> TCalibrationSessionDlg::inputPoints() {
    std::vector<double> points;
    for (const QString& word : EdtInputPoints->text().split(
             QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        const std::optional<double> point = typedNumber(word);
        if (!point) {
            m_window.showMessage(
                MsgKind::Error,
                QCoreApplication::translate("TFrmMain", "Bod kontroly „%1“ není číslo.").arg(word));
            return std::nullopt;
        }
        points.push_back(*point);
    }
    return points;
}

void TCalibrationSessionDlg::asFound() {
    if (m_running) return;
    if (!m_window.m_unit) {
        m_window.showMessage(MsgKind::Error,
                             QCoreApplication::translate("TFrmMain", "Převodník není připojen."));
        return;
    }
    m_running = true;
    enableStages();
    const auto done = qScopeGuard([this] { stageDone(); });
    // Again after a check that did not finish: the unit on the line now may be another one.
    if (m_record) {
        if (sameUnit()) checkAsFound();
        return;
    }
    std::optional<double> ambient;
    if (!EdtAmbient->text().trimmed().isEmpty()) {
        ambient = typedNumber(EdtAmbient->text());
        if (!ambient) {
            m_window.showMessage(MsgKind::Error, QCoreApplication::translate(
                                                     "TFrmMain", "Teplota okolí „%1“ není číslo.")
                                                     .arg(EdtAmbient->text().trimmed()));
            return;
        }
    }
    if (!inputPoints()) return;
    QStringList names;
    for (int i = 0; i < LstInstruments->count(); ++i)
        if (LstInstruments->item(i)->checkState() == Qt::Checked)
            names << LstInstruments->item(i)->data(Qt::UserRole).toString();
    QString instruments = QStringLiteral("[]");
    if (m_store && !names.isEmpty()) {
        QString problem;
        const std::optional<QString> used = m_store->instrumentsForCheck(
            names, ChckBxOverrideDue->isChecked(), QDate::currentDate(), problem);
        if (!used) {
            m_window.showMessage(MsgKind::Error,
                                 QCoreApplication::translate(
                                     "TFrmMain", "Etalon nelze použít: %1. Kalibrace nezačala.")
                                     .arg(problem));
            return;
        }
        instruments = *used;
    }

    // What the record names is read now, from the unit that is to be calibrated.
    std::optional<QString> identifier;
    TransmitterConfig config;
    std::optional<CellValues> before;
    m_window.guarded([&] {
        Frame reply;
        identifier = m_window.link->Send(CmdSerialNumber, 0, reply)
                         ? identifierText(replyWord(reply))
                         : QString();
        config = readConfiguration(*m_window.link, {}, false);
        before = readAdjustable(*m_window.link);
    });
    if (!identifier) return;  // a port error, which the window has shown
    if (!before) {
        m_window.showMessage(MsgKind::Error,
                             QCoreApplication::translate(
                                 "TFrmMain",
                                 "Kalibrační konstanty a kódy výstupu nelze přečíst. Kalibrace "
                                 "nezačala."));
        return;
    }
    CalibrationRecord r;
    const auto& unit = *m_window.m_unit;
    r.port = unit.port;
    r.deviceType = unit.id.typeLabel.isEmpty() ? QStringLiteral("code %1").arg(unit.id.deviceType)
                                               : unit.id.typeLabel;
    r.firmware = unit.id.firmwareText.full;
    r.identifier = *identifier;
    r.procedure = QStringLiteral("calibration session");
    r.reference = TypedReference;
    r.technician = EdtTechnician->text().trimmed();
    r.ambient = ambient;
    r.instruments = instruments;
    r.configuration = compactJson(configurationJson(config));
    r.adjustments = QStringLiteral("[]");
    r.operatorNote = m_window.EdtLogNote->text();
    r.problem = QStringLiteral("the session is under way");
    if (m_store)
        if (const QString problem = m_store->beginCalibration(r); !problem.isEmpty()) {
            m_window.showMessage(MsgKind::Error,
                                 QCoreApplication::translate(
                                     "TFrmMain",
                                     "Relaci nelze zaznamenat do databáze %1 (%2). Kalibrace "
                                     "nezačala.")
                                     .arg(m_store->address().text(), problem));
            return;
        }
    m_record = r;
    m_before = *before;
    checkAsFound();
}

void TCalibrationSessionDlg::checkAsFound() {
    const std::optional<SessionChecks> checks = runChecks();
    if (checks) m_found = *checks;
    m_record->subject = sessionSubject(m_found);
    m_record->asFound = compactJson(m_found.json());
    if (m_found.output) m_record->tolerancePercent = m_found.output->tolerancePercent;
    store(false);
}

void TCalibrationSessionDlg::trimOutput() {
    if (m_running || !m_record || !m_found.output) return;
    m_running = true;
    enableStages();
    const auto done = qScopeGuard([this] { stageDone(); });
    const OutputKind kind = m_found.output->kind;
    const OutputRange& range = outputRange(kind);
    std::unique_ptr<ScpiMeter> meter;
    if (!sameUnit() || !openMeter(meter)) return;
    const MeterRead read = meterRead(meter.get(), kind);
    OutputCalibration c;
    c.kind = kind;
    m_window.guarded([&] {
        const std::optional<uint16_t> zero = readCell(*m_window.link, range.zeroCell);
        const std::optional<uint16_t> end =
            zero ? readCell(*m_window.link, range.endCell) : std::nullopt;
        if (!end) {
            m_trimText = [] {
                return QCoreApplication::translate(
                    "TFrmMain", "Kódy výstupu nelze přečíst; nic nebylo uloženo.");
            };
            return;
        }
        c.codesBefore = {*zero, *end};
        OutputSettings settings;
        settings.tolerancePercent = SpnOutputTolerance->value();
        c.trim = vl48::trimOutput(*m_window.link, kind, *zero, *end, settings, read, waitPainted);
        if (!c.trim.done) {
            m_trimText = [problem = c.trim.problem] {
                return QCoreApplication::translate(
                           "TFrmMain", "Seřízení výstupu nedokončeno, nic nebylo uloženo: %1")
                    .arg(problem);
            };
            return;
        }
        const CodesStored stored =
            storeOutputCodes(*m_window.link, kind, TrimPanel::Service, c.trim.zero, c.trim.end);
        c.stored = stored.stored;
        c.codesAfter = {c.trim.zero, c.trim.end};
        // Told in the language of the moment it is shown.
        m_trimText = [stored, c] {
            return stored.stored
                       ? QCoreApplication::translate("TFrmMain",
                                                     "Výstup seřízen: nula %1 → %2, konec %3 → %4.")
                             .arg(c.codesBefore[0])
                             .arg(c.codesAfter[0])
                             .arg(c.codesBefore[1])
                             .arg(c.codesAfter[1])
                       : QCoreApplication::translate("TFrmMain", "Kódy výstupu nebyly uloženy: %1")
                             .arg(stored.problem);
        };
        // The record holds what the unit holds now, read back.
        if (const std::optional<CellValues> now = readAdjustable(*m_window.link)) {
            m_record->adjustments = compactJson(adjustmentsOf(m_before, *now));
            store(false);
        }
    });
    if (meter) meter->close();
    if (c.stored) m_window.showCalibratedOutput(c);
}

bool TCalibrationSessionDlg::sameUnit() {
    std::optional<QString> identifier;
    m_window.guarded([&] {
        Frame reply;
        identifier = m_window.link->Send(CmdSerialNumber, 0, reply)
                         ? identifierText(replyWord(reply))
                         : QString();
    });
    if (!identifier) return false;  // a port error, which the window has shown
    if (*identifier == m_record->identifier) return true;
    m_window.showMessage(
        MsgKind::Error,
        QCoreApplication::translate("TFrmMain",
                                    "Připojen je jiný převodník (%1), relace patří převodníku %2.")
            .arg(*identifier, m_record->identifier));
    return false;
}

void TCalibrationSessionDlg::asLeft() {
    if (m_running || !m_record || m_record->finished.isValid()) return;
    m_running = true;
    enableStages();
    const auto done = qScopeGuard([this] { stageDone(); });
    if (!sameUnit()) return;
    std::optional<CellValues> after;
    bool read = false;
    m_window.guarded([&] {
        after = readAdjustable(*m_window.link);
        read = true;
    });
    if (!read) return;  // a port error, which the window has shown
    if (!after) {
        m_window.showMessage(MsgKind::Error,
                             QCoreApplication::translate(
                                 "TFrmMain", "Kalibrační konstanty a kódy výstupu nelze přečíst."));
        return;
    }
    m_record->adjustments = compactJson(adjustmentsOf(m_before, *after));
    const std::optional<SessionChecks> checks = runChecks();
    if (!checks) {
        store(false);
        return;
    }
    m_left = *checks;
    m_record->asLeft = compactJson(m_left.json());
    if (m_left.complete()) {
        m_record->verdict = m_left.pass() ? QStringLiteral("pass") : QStringLiteral("fail");
        m_record->problem.clear();
    } else {
        m_record->problem = m_left.input && !m_left.input->complete ? m_left.input->problem
                            : m_left.output                         ? m_left.output->result.problem
                                                                    : QString();
    }
    // A check that did not finish may be run again; a finished one ends the session.
    if (m_left.complete())
        store(true);
    else
        store(false);
}

void TCalibrationSessionDlg::certificate() {
    if (m_record && m_record->finished.isValid() && m_store) m_window.saveCertificate(*m_record);
}

void TCalibrationSessionDlg::reject() {
    if (m_running) return;
    if (m_record && !m_record->finished.isValid()) {
        m_record->problem = QStringLiteral("the session was ended before its check as left");
        store(true);
    }
    QDialog::reject();
}

void TCalibrationSessionDlg::showChecks(QTableWidget* table, const SessionChecks& checks) {
    std::vector<std::array<QString, ColumnCount>> rows;
    const auto result = [](bool pass, const QString& fault) {
        QString text = pass ? QCoreApplication::translate("TFrmMain", "vyhovuje")
                            : QCoreApplication::translate("TFrmMain", "nevyhovuje");
        if (!fault.isEmpty()) text += QStringLiteral(": ") + fault;
        return text;
    };
    if (checks.input) {
        const QString unit = checks.input->ohms ? QStringLiteral("Ω") : QStringLiteral("°C");
        for (const InputPoint& p : checks.input->points)
            rows.push_back({QCoreApplication::translate("TFrmMain", "vstup (%1)").arg(unit),
                            QString::number(p.point, 'f', 2), QString::number(p.reference, 'f', 2),
                            p.reading ? QString::number(*p.reading, 'f', 2) : QStringLiteral("—"),
                            p.reading ? QString::number(p.error, 'f', 2) : QStringLiteral("—"),
                            result(p.pass, p.fault)});
    }
    if (checks.output) {
        const QString unit = QLatin1String(outputRange(checks.output->kind).unit);
        for (const CheckPoint& p : checks.output->result.points)
            rows.push_back({QCoreApplication::translate("TFrmMain", "výstup (%1)").arg(unit),
                            QString::number(p.target, 'f', 3), QString::number(p.code),
                            QString::number(p.reading, 'f', 4),
                            QString::number(p.errorPercent, 'f', 4) + QStringLiteral(" %"),
                            result(p.pass, {})});
    }
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row)
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(rows[size_t(row)][size_t(column)]);
            if (column == ColResult && !rows[size_t(row)][size_t(column)].startsWith(
                                           QCoreApplication::translate("TFrmMain", "vyhovuje")))
                item->setForeground(Qt::red);
            table->setItem(row, column, item);
        }
}

void TCalibrationSessionDlg::showState() {
    if (const auto& unit = m_window.m_unit)
        LblUnit->setText(QStringLiteral("%1, %2, %3")
                             .arg(unit->id.typeLabel, unit->id.firmwareText.full,
                                  m_record ? m_record->identifier : unit->identifier));
    LblRecordsNote->setText(
        m_store ? QCoreApplication::translate("TFrmMain", "Relace se zaznamená do databáze %1.")
                      .arg(m_store->address().text())
                : QCoreApplication::translate(
                      "TFrmMain",
                      "Bez databáze záznamů (karta hromadného nastavení) se relace nezaznamená: "
                      "seznam etalonů ani kalibrační list nejsou k dispozici. Kontroly a seřízení "
                      "lze provést i tak."));
    showChecks(TblAsFound, m_found);
    showChecks(TblAsLeft, m_left);
    QStringList adjustments;
    if (m_record)
        for (const QJsonValue& v : QJsonDocument::fromJson(m_record->adjustments.toUtf8()).array())
            adjustments << QStringLiteral("%1 %2 → %3")
                               .arg(v[QStringLiteral("cell")].toString())
                               .arg(v[QStringLiteral("old")].toInt())
                               .arg(v[QStringLiteral("new")].toInt());
    LblAdjustments->setText((adjustments.isEmpty()
                                 ? QString()
                                 : QCoreApplication::translate("TFrmMain", "Změněno: %1")
                                       .arg(adjustments.join(QStringLiteral(", ")))) +
                            (m_trimText ? QStringLiteral("\n") + m_trimText() : QString()));
    if (m_running)
        LblVerdict->setText(QCoreApplication::translate("TFrmMain", "Probíhá kalibrace…"));
    else if (!m_record)
        LblVerdict->clear();
    else if (m_record->verdict == QLatin1String("pass"))
        LblVerdict->setText(QCoreApplication::translate("TFrmMain", "VYHOVUJE"));
    else if (m_record->verdict == QLatin1String("fail"))
        LblVerdict->setText(QCoreApplication::translate("TFrmMain", "NEVYHOVUJE"));
    else if (m_found.done() && !m_left.done())
        LblVerdict->setText(
            m_found.pass() ? QCoreApplication::translate("TFrmMain", "Před seřízením: vyhovuje")
                           : QCoreApplication::translate("TFrmMain", "Před seřízením: nevyhovuje"));
    else
        LblVerdict->setText(QCoreApplication::translate("TFrmMain", "Kontrola nedokončena: %1")
                                .arg(m_record->problem));
}

void TCalibrationSessionDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TCalibrationSessionDlg::retranslate() {
    setWindowTitle(QCoreApplication::translate("TFrmMain", "Kalibrační relace"));
    const char* const captions[] = {
        QT_TRANSLATE_NOOP("TFrmMain", "Převodník:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Technik:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Teplota okolí (°C):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Etalony:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Body kontroly vstupu:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Tolerance vstupu (°C, Ω):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Výstup:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Multimetr SCPI (port):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Tolerance výstupu (% rozsahu):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Před seřízením:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Po seřízení:"),
    };
    for (int i = 0; i < m_captions.size() && i < int(std::size(captions)); ++i)
        m_captions[i]->setText(QCoreApplication::translate("TFrmMain", captions[i]));
    EdtInputPoints->setPlaceholderText(
        QCoreApplication::translate("TFrmMain", "počátek, střed a konec rozsahu"));
    EdtAmbient->setPlaceholderText(QCoreApplication::translate("TFrmMain", "nezadáno"));
    ChckBxOverrideDue->setText(QCoreApplication::translate(
        "TFrmMain", "Použít i etalon po termínu kalibrace (zapíše se)"));
    CmbOutput->setItemText(0, QCoreApplication::translate("TFrmMain", "bez kontroly výstupu"));
    CmbOutput->setItemText(1, QCoreApplication::translate("TFrmMain", "Proud 0–20 mA"));
    CmbOutput->setItemText(2, QCoreApplication::translate("TFrmMain", "Napětí 0–10 V"));
    CmbMeterPort->setToolTip(
        QCoreApplication::translate("TFrmMain", "Prázdné: údaje měřidla se zadávají ručně."));
    BtnAsFound->setText(QCoreApplication::translate("TFrmMain", "1. Kontrola před seřízením"));
    BtnInputCal->setText(QCoreApplication::translate("TFrmMain", "2. Kalibrace vstupu…"));
    BtnTrimOutput->setText(QCoreApplication::translate("TFrmMain", "2. Seřídit výstup"));
    BtnAsLeft->setText(QCoreApplication::translate("TFrmMain", "3. Kontrola po seřízení"));
    BtnCertificate->setText(QCoreApplication::translate("TFrmMain", "Kalibrační list…"));
    BtnClose->setText(QCoreApplication::translate("TFrmMain", "Zavřít"));
    const QStringList headers = {QCoreApplication::translate("TFrmMain", "Veličina"),
                                 QCoreApplication::translate("TFrmMain", "Bod"),
                                 QCoreApplication::translate("TFrmMain", "Etalon / kód"),
                                 QCoreApplication::translate("TFrmMain", "Údaj"),
                                 QCoreApplication::translate("TFrmMain", "Chyba"),
                                 QCoreApplication::translate("TFrmMain", "Výsledek")};
    TblAsFound->setHorizontalHeaderLabels(headers);
    TblAsLeft->setHorizontalHeaderLabels(headers);
    enableStages();
    showState();
}

void TFrmMain::BtnCalibrationSessionClick() {
    if (ChckBxDb->isChecked() && !m_records && !chooseDatabase()) return;
    // The dialog lives until it is closed; the service panel stays usable beside it.
    auto* dialog = new TCalibrationSessionDlg(*this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (sessionDialogHook) return sessionDialogHook(*dialog);
    dialog->show();
}

void TFrmMain::saveCertificate(const CalibrationRecord& record) {
    const QString path = runFileDialog(FileDialog::Certificate);
    if (path.isEmpty()) return;
    QString problem;
    const LabSettings lab = LabSettings::load(LabSettings::defaultPath(), problem);
    if (problem.isEmpty()) problem = writeCertificate(record, lab, m_translatorInstalled, path);
    if (!problem.isEmpty())
        showMessage(MsgKind::Error,
                    QCoreApplication::translate("TFrmMain", "Kalibrační list nelze uložit: %1")
                        .arg(problem));
}

}  // namespace vl48

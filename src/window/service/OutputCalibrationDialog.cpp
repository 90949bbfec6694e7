#include "window/service/OutputCalibrationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "core/link/ScpiMeter.h"
#include "core/session/CalibrationSession.h"
#include "window/FrmMain.h"

namespace vl48 {

namespace {

QString translated(const char* text) { return QCoreApplication::translate("TFrmMain", text); }

// The tables and codes as the records database keeps them, in the same form as vl48-cli records
// them, so that a unit's calibrations read alike whichever program made them.
QString codesJson(const std::array<uint16_t, 2>& codes) {
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("zero"), codes[0]},
                                                       {QStringLiteral("end"), codes[1]}})
                                 .toJson(QJsonDocument::Compact));
}

// The reference the record names when the person typed each reading.
const QString TypedReference = QStringLiteral("typed");

enum Column { ColTarget, ColCode, ColReading, ColError, ColResult, ColumnCount };

QTableWidget* checkTable(QWidget* parent, const char* name) {
    auto* table = new QTableWidget(0, ColumnCount, parent);
    table->setObjectName(QLatin1String(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setMinimumHeight(150);
    return table;
}

}  // namespace

TOutputCalibrationDlg::TOutputCalibrationDlg(TFrmMain& window, TrimPanel panel)
    : QDialog(&window), m_window(window), m_panel(panel) {
    setObjectName(QStringLiteral("OutputCalibrationDlg"));
    setModal(true);
    resize(560, 640);

    // Each pair of choices in a row of its own, which also keeps the pairs apart.
    const auto choices = [this](QRadioButton*& first, const char* firstName, QRadioButton*& second,
                                const char* secondName) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        first = new QRadioButton(row);
        first->setObjectName(QLatin1String(firstName));
        second = new QRadioButton(row);
        second->setObjectName(QLatin1String(secondName));
        first->setChecked(true);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addStretch(1);
        return row;
    };
    auto* settings = new QFormLayout;
    const auto caption = [this] {
        auto* label = new QLabel(this);
        m_captions << label;
        return label;
    };
    settings->addRow(caption(),
                     choices(RdBtnCurrent, "RdBtnCurrent", RdBtnVoltage, "RdBtnVoltage"));
    settings->addRow(caption(), choices(RdBtnTyped, "RdBtnTyped", RdBtnScpi, "RdBtnScpi"));
    CmbMeterPort = new QComboBox(this);
    CmbMeterPort->setObjectName(QStringLiteral("CmbMeterPort"));
    CmbMeterPort->setEditable(true);
    QStringList ports;
    TComPort::ListPorts(ports);
    CmbMeterPort->addItems(ports);
    settings->addRow(caption(), CmbMeterPort);
    SpnMeterBaud = new QSpinBox(this);
    SpnMeterBaud->setObjectName(QStringLiteral("SpnMeterBaud"));
    SpnMeterBaud->setRange(300, 921600);
    SpnMeterBaud->setValue(ScpiMeterSettings().baud);
    settings->addRow(caption(), SpnMeterBaud);
    EdtMeterQuery = new QLineEdit(ScpiMeterSettings().currentQuery, this);
    EdtMeterQuery->setObjectName(QStringLiteral("EdtMeterQuery"));
    settings->addRow(caption(), EdtMeterQuery);
    SpnTolerance = new QDoubleSpinBox(this);
    SpnTolerance->setObjectName(QStringLiteral("SpnTolerance"));
    SpnTolerance->setDecimals(3);
    SpnTolerance->setRange(0.001, 10.0);
    SpnTolerance->setSingleStep(0.01);
    SpnTolerance->setValue(OutputSettings().tolerancePercent);
    settings->addRow(caption(), SpnTolerance);
    SpnSettle = new QSpinBox(this);
    SpnSettle->setObjectName(QStringLiteral("SpnSettle"));
    SpnSettle->setRange(0, 60000);
    SpnSettle->setSingleStep(100);
    SpnSettle->setValue(OutputSettings().settleMs);
    settings->addRow(caption(), SpnSettle);

    BtnRun = new QPushButton(this);
    BtnRun->setObjectName(QStringLiteral("BtnRun"));
    BtnRun->setAutoDefault(false);
    BtnClose = new QPushButton(this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnRun);
    buttons->addWidget(BtnClose);

    TblAsFound = checkTable(this, "TblAsFound");
    LblTrim = new QLabel(this);
    LblTrim->setObjectName(QStringLiteral("LblTrim"));
    LblTrim->setWordWrap(true);
    TblAsLeft = checkTable(this, "TblAsLeft");
    LblVerdict = new QLabel(this);
    LblVerdict->setObjectName(QStringLiteral("LblVerdict"));
    LblVerdict->setWordWrap(true);
    QFont bold = LblVerdict->font();
    bold.setBold(true);
    LblVerdict->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(buttons);
    layout->addWidget(caption());
    layout->addWidget(TblAsFound, 1);
    layout->addWidget(LblTrim);
    layout->addWidget(caption());
    layout->addWidget(TblAsLeft, 1);
    layout->addWidget(LblVerdict);

    connect(RdBtnScpi, &QRadioButton::toggled, this, &TOutputCalibrationDlg::meterChosen);
    connect(RdBtnCurrent, &QRadioButton::toggled, this, &TOutputCalibrationDlg::outputChosen);
    connect(BtnRun, &QPushButton::clicked, this, &TOutputCalibrationDlg::run);
    connect(BtnClose, &QPushButton::clicked, this, &TOutputCalibrationDlg::reject);
    meterChosen();
    retranslate();
}

OutputKind TOutputCalibrationDlg::kind() const {
    return RdBtnVoltage->isChecked() ? OutputKind::Voltage : OutputKind::Current;
}

void TOutputCalibrationDlg::meterChosen() {
    const bool scpi = RdBtnScpi->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{CmbMeterPort, SpnMeterBaud, EdtMeterQuery})
        w->setEnabled(scpi && !m_running);
}

void TOutputCalibrationDlg::outputChosen() {
    // The query follows the output unless the person typed a query of their own.
    const ScpiMeterSettings defaults;
    const bool current = kind() == OutputKind::Current;
    if (EdtMeterQuery->text() == (current ? defaults.voltageQuery : defaults.currentQuery))
        EdtMeterQuery->setText(current ? defaults.currentQuery : defaults.voltageQuery);
    if (!m_running) {
        m_shown.reset();
        m_meterProblem.clear();
        showCalibration();  // the headers name the unit
    }
}

void TOutputCalibrationDlg::reject() {
    if (!m_running) QDialog::reject();
}

std::optional<double> TOutputCalibrationDlg::askReading(double target, uint16_t code) {
    const QString unit = QLatin1String(outputRange(kind()).unit);
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("DlgReading"));
    ask.setWindowTitle(QCoreApplication::translate("TFrmMain", "Údaj měřidla"));
    ask.setInputMode(QInputDialog::DoubleInput);
    ask.setDoubleDecimals(4);
    ask.setDoubleRange(-1000.0, 1000.0);
    ask.setDoubleValue(target);
    ask.setLabelText(
        QCoreApplication::translate(
            "TFrmMain", "Výstup je nastaven na %1 %2 (kód %3).\nZadejte údaj měřidla (%2):")
            .arg(QString::number(target), unit, QString::number(code)));
    if (ask.exec() != QDialog::Accepted) return std::nullopt;
    return ask.doubleValue();
}

void TOutputCalibrationDlg::run() {
    if (m_running) return;
    m_running = true;
    m_personStopped = false;
    m_interrupted = false;
    m_meterProblem.clear();
    m_shown.reset();
    const QList<QWidget*> settings = {RdBtnCurrent, RdBtnVoltage, RdBtnTyped, RdBtnScpi,
                                      SpnTolerance, SpnSettle,    BtnRun,     BtnClose};
    for (QWidget* w : settings) w->setEnabled(false);
    meterChosen();
    showCalibration();
    const auto finish = [this, settings] {
        // Clicks and keys held back while the procedure ran land now, on disabled buttons: none
        // of them starts the procedure again.
        QCoreApplication::processEvents();
        m_running = false;
        for (QWidget* w : settings) w->setEnabled(true);
        meterChosen();
        showCalibration();
    };
    auto finishOnReturn = qScopeGuard(finish);

    const OutputKind k = kind();
    const QString unit = QLatin1String(outputRange(k).unit);
    OutputSettings procedure;
    procedure.tolerancePercent = SpnTolerance->value();
    procedure.settleMs = SpnSettle->value();

    std::unique_ptr<ScpiMeter> meter;
    const QString query = EdtMeterQuery->text().trimmed();
    if (RdBtnScpi->isChecked()) {
        ScpiMeterSettings s;
        s.port = CmbMeterPort->currentText().trimmed();
        s.baud = SpnMeterBaud->value();
        (k == OutputKind::Current ? s.currentQuery : s.voltageQuery) = query;
        meter = std::make_unique<ScpiMeter>(s);
        if (const QString problem = meter->open(); !problem.isEmpty()) {
            m_meterProblem = problem;
            m_window.showMessage(
                MsgKind::Error,
                QCoreApplication::translate("TFrmMain", "Měřidlo nelze použít: %1").arg(problem));
            return;
        }
    }
    MeterRead read;
    if (meter)
        read = [&](double, uint16_t, QString& error) -> std::optional<double> {
            const auto value = meter->measure(query, error);
            // The meter answers in amperes; the output is told in milliamperes.
            if (value && k == OutputKind::Current) return *value * 1000.0;
            return value;
        };
    else
        read = [&](double target, uint16_t code, QString& error) -> std::optional<double> {
            const auto value = m_window.readingHook ? m_window.readingHook(target, unit)
                                                    : askReading(target, code);
            if (!value) {
                m_personStopped = true;
                error = QCoreApplication::translate("TFrmMain", "údaj měřidla nebyl zadán");
            }
            return value;
        };
    // The dialog stays painted while the output settles, but takes no input: nothing may start
    // a second procedure on the same output meanwhile.
    const SettleWait wait = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        return true;
    };

    std::optional<OutputCalibration> result;
    // A port error ends the procedure as it ends any handler; the output is released on the way.
    m_window.guarded([&] {
        result = calibrateOutput(*m_window.link, k, m_panel, procedure, read, wait,
                                 [this](const OutputCalibration& now) {
                                     m_shown = now;
                                     showCalibration();
                                 });
    });
    if (meter) meter->close();
    if (!result) {
        m_interrupted = true;
        return;
    }
    finishOnReturn.dismiss();
    m_shown = *result;
    finish();
    m_window.outputCalibrated(*result, meter ? meter->identity() : TypedReference);
    // The person who cancelled a reading knows why it stopped; anything else is told.
    if (!result->problem.isEmpty() && !m_personStopped)
        m_window.showMessage(MsgKind::Error, LblVerdict->text());
}

void TOutputCalibrationDlg::showCheck(QTableWidget* table, const CheckResult& check) {
    table->setRowCount(int(check.points.size()));
    for (int row = 0; row < int(check.points.size()); ++row) {
        const CheckPoint& p = check.points[size_t(row)];
        const QString texts[ColumnCount] = {
            QString::number(p.target, 'f', 3), QString::number(p.code),
            QString::number(p.reading, 'f', 4), QString::number(p.errorPercent, 'f', 4),
            p.pass ? QCoreApplication::translate("TFrmMain", "vyhovuje")
                   : QCoreApplication::translate("TFrmMain", "nevyhovuje")};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(column == ColResult ? Qt::AlignCenter
                                                       : Qt::AlignRight | Qt::AlignVCenter);
            if (column == ColResult && !p.pass) item->setForeground(Qt::red);
            table->setItem(row, column, item);
        }
    }
}

void TOutputCalibrationDlg::showCalibration() {
    const QString unit = QLatin1String(outputRange(kind()).unit);
    const QStringList headers = {QCoreApplication::translate("TFrmMain", "Cíl (%1)").arg(unit),
                                 QCoreApplication::translate("TFrmMain", "Kód"),
                                 QCoreApplication::translate("TFrmMain", "Údaj (%1)").arg(unit),
                                 QCoreApplication::translate("TFrmMain", "Chyba (% rozsahu)"),
                                 QCoreApplication::translate("TFrmMain", "Výsledek")};
    TblAsFound->setHorizontalHeaderLabels(headers);
    TblAsLeft->setHorizontalHeaderLabels(headers);
    if (!m_shown) {
        TblAsFound->setRowCount(0);
        TblAsLeft->setRowCount(0);
        LblTrim->clear();
        LblVerdict->setText(
            m_running ? QCoreApplication::translate("TFrmMain", "Probíhá kalibrace…")
            : m_meterProblem.isEmpty()
                ? QString()
                : QCoreApplication::translate("TFrmMain", "Měřidlo nelze použít: %1")
                      .arg(m_meterProblem));
        return;
    }
    const OutputCalibration& c = *m_shown;
    showCheck(TblAsFound, c.asFound);
    showCheck(TblAsLeft, c.asLeft);
    const TrimResult& t = c.trim;
    if (t.done)
        LblTrim->setText(
            QCoreApplication::translate("TFrmMain",
                                        "Seřízení: nula %1 → %2, konec %3 → %4 (kol: %5)")
                .arg(c.codesBefore[0])
                .arg(t.zero)
                .arg(c.codesBefore[1])
                .arg(t.end)
                .arg(t.rounds.size()) +
            (t.withinTarget ? QString()
                            : QCoreApplication::translate("TFrmMain", ", kódy se přestaly měnit")));
    else if (!t.rounds.empty() || !t.problem.isEmpty())
        LblTrim->setText(QCoreApplication::translate("TFrmMain", "Seřízení nedokončeno (kol: %1)")
                             .arg(t.rounds.size()));
    else
        LblTrim->clear();
    if (m_running)
        LblVerdict->setText(QCoreApplication::translate("TFrmMain", "Probíhá kalibrace…"));
    else if (m_interrupted)
        LblVerdict->setText(
            QCoreApplication::translate("TFrmMain", "Kalibrace byla přerušena chybou spojení."));
    else if (c.problem.isEmpty())
        LblVerdict->setText(c.pass ? QCoreApplication::translate("TFrmMain", "VYHOVUJE")
                                   : QCoreApplication::translate("TFrmMain", "NEVYHOVUJE"));
    else if (c.stored)
        LblVerdict->setText(
            QCoreApplication::translate(
                "TFrmMain", "Kódy byly uloženy, kontrola po seřízení nebyla dokončena: %1")
                .arg(c.problem));
    else
        LblVerdict->setText(
            QCoreApplication::translate("TFrmMain", "Nic nebylo uloženo: %1").arg(c.problem));
}

void TOutputCalibrationDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TOutputCalibrationDlg::retranslate() {
    setWindowTitle(
        m_panel == TrimPanel::Service
            ? QCoreApplication::translate("TFrmMain", "Kalibrace výstupu – servisní panel")
            : QCoreApplication::translate("TFrmMain", "Kalibrace výstupu – panel korekce"));
    const char* const captions[] = {
        QT_TRANSLATE_NOOP("TFrmMain", "Výstup:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Měřidlo:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Port měřidla:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Rychlost (Bd):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Dotaz SCPI:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Tolerance (% rozsahu):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Doba ustálení (ms):"),
        QT_TRANSLATE_NOOP("TFrmMain", "Před seřízením:"),
        QT_TRANSLATE_NOOP("TFrmMain", "Po seřízení:"),
    };
    for (int i = 0; i < m_captions.size() && i < int(std::size(captions)); ++i)
        m_captions[i]->setText(translated(captions[i]));
    RdBtnCurrent->setText(QCoreApplication::translate("TFrmMain", "Proud 0–20 mA"));
    RdBtnVoltage->setText(QCoreApplication::translate("TFrmMain", "Napětí 0–10 V"));
    RdBtnTyped->setText(QCoreApplication::translate("TFrmMain", "Údaje zadávané ručně"));
    RdBtnScpi->setText(QCoreApplication::translate("TFrmMain", "Multimetr SCPI na sériovém portu"));
    BtnRun->setText(QCoreApplication::translate("TFrmMain", "Spustit"));
    BtnClose->setText(QCoreApplication::translate("TFrmMain", "Zavřít"));
    showCalibration();
}

void TFrmMain::BtnCalibrateAOClick(TrimPanel panel) {
    TOutputCalibrationDlg dialog(*this, panel);
    if (calibrationDialogHook)
        calibrationDialogHook(dialog);
    else
        dialog.exec();
}

void TFrmMain::recordOutputCalibration(const OutputCalibration& c, const QString& reference) {
    if (!ChckBxDb->isChecked() || !m_records) return;
    CalibrationRecord r;
    if (m_unit) {
        r.port = m_unit->port;
        r.deviceType = m_unit->id.typeLabel.isEmpty()
                           ? QStringLiteral("code %1").arg(m_unit->id.deviceType)
                           : m_unit->id.typeLabel;
        r.firmware = m_unit->id.firmwareText.full;
        r.identifier = m_unit->identifier;
    }
    r.procedure = QStringLiteral("output trim");
    r.subject = QLatin1String(outputRange(c.kind).name);
    r.reference = reference;
    r.tolerancePercent = c.tolerancePercent;
    r.asFound = compactJson(outputPointsJson(c.asFound));
    r.asLeft = compactJson(outputPointsJson(c.asLeft));
    r.codesBefore = codesJson(c.codesBefore);
    r.codesAfter = codesJson(c.codesAfter);
    if (c.problem.isEmpty()) r.verdict = c.pass ? QStringLiteral("pass") : QStringLiteral("fail");
    r.problem = c.problem;
    r.operatorNote = EdtLogNote->text();
    if (const QString problem = m_records->addCalibration(r); !problem.isEmpty()) {
        showMessage(MsgKind::Error, QCoreApplication::translate(
                                        "TFrmMain", "Kalibrace nebyla uložena do databáze %1 (%2).")
                                        .arg(m_records->address().text(), problem));
        return;
    }
    tellRecordsWaiting();
}

}  // namespace vl48

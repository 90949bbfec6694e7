#include "window/files/RecordsDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vl48 {

namespace {

// The captions are marked for translation where they are listed.
QString translated(const char* text) { return QCoreApplication::translate("TFrmMain", text); }

// The columns' captions: the record's own, then the thirteen values in the order of the
// configuration table.
// clang-format off
const char* const RecordCaptions[] = {
    QT_TRANSLATE_NOOP("TFrmMain", "Čas"),
    QT_TRANSLATE_NOOP("TFrmMain", "Pracoviště"),
    QT_TRANSLATE_NOOP("TFrmMain", "Port"),
    QT_TRANSLATE_NOOP("TFrmMain", "Identifikátor"),
    QT_TRANSLATE_NOOP("TFrmMain", "Výsledek"),
    QT_TRANSLATE_NOOP("TFrmMain", "Soubor"),
};
const char* const ValueCaptions[ConfigFieldCount] = {
    QT_TRANSLATE_NOOP("TFrmMain", "Vstupní signál"),
    QT_TRANSLATE_NOOP("TFrmMain", "Výstupní signál"),
    QT_TRANSLATE_NOOP("TFrmMain", "Porucha čidla"),
    QT_TRANSLATE_NOOP("TFrmMain", "Počátek rozsahu"),
    QT_TRANSLATE_NOOP("TFrmMain", "Konec rozsahu"),
    QT_TRANSLATE_NOOP("TFrmMain", "Filtrace"),
    QT_TRANSLATE_NOOP("TFrmMain", "Kompenzace"),
    QT_TRANSLATE_NOOP("TFrmMain", "Teplota svorek"),
    QT_TRANSLATE_NOOP("TFrmMain", "Omezení výstupu"),
    QT_TRANSLATE_NOOP("TFrmMain", "Zapojení"),
    QT_TRANSLATE_NOOP("TFrmMain", "Datum nastavení"),
    QT_TRANSLATE_NOOP("TFrmMain", "Poznámka"),
    QT_TRANSLATE_NOOP("TFrmMain", "Odpor vedení"),
};
// clang-format on
static_assert(std::size(RecordCaptions) == TRecordsDlg::ColValues);

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

TRecordsDlg::TRecordsDlg(RecordStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("RecordsDlg"));
    resize(900, 480);

    auto* filter = new QGridLayout;
    m_identifierCaption = new QLabel(this);
    EdtIdentifier = new QLineEdit(this);
    EdtIdentifier->setObjectName(QStringLiteral("EdtIdentifier"));
    m_identifierCaption->setBuddy(EdtIdentifier);
    EdtIdentifier->setMinimumWidth(120);
    // A date bound applies only while its box is checked: most searches want none.
    const auto dateField = [this](QCheckBox*& box, QDateEdit*& date, const char* boxName,
                                  const char* dateName) {
        box = new QCheckBox(this);
        box->setObjectName(QLatin1String(boxName));
        date = new QDateEdit(QDate::currentDate(), this);
        date->setObjectName(QLatin1String(dateName));
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));  // as the time column shows dates
        date->setEnabled(false);
        connect(box, &QCheckBox::toggled, date, &QWidget::setEnabled);
    };
    dateField(ChckBxSince, DtSince, "ChckBxSince", "DtSince");
    dateField(ChckBxUntil, DtUntil, "ChckBxUntil", "DtUntil");
    BtnSearch = new QPushButton(this);
    BtnSearch->setObjectName(QStringLiteral("BtnSearch"));
    BtnSearch->setDefault(true);
    filter->addWidget(m_identifierCaption, 0, 0);
    filter->addWidget(EdtIdentifier, 0, 1);
    filter->addWidget(ChckBxSince, 0, 2);
    filter->addWidget(DtSince, 0, 3);
    filter->addWidget(ChckBxUntil, 0, 4);
    filter->addWidget(DtUntil, 0, 5);
    filter->addWidget(BtnSearch, 0, 6);
    filter->setColumnStretch(7, 1);

    TblRecords = new QTableWidget(0, ColValues + ConfigFieldCount, this);
    TblRecords->setObjectName(QStringLiteral("TblRecords"));
    TblRecords->setSelectionBehavior(QAbstractItemView::SelectRows);
    TblRecords->setSelectionMode(QAbstractItemView::SingleSelection);
    TblRecords->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TblRecords->verticalHeader()->hide();

    TblCalibrations = new QTableWidget(0, 5, this);
    TblCalibrations->setObjectName(QStringLiteral("TblCalibrations"));
    TblCalibrations->setSelectionBehavior(QAbstractItemView::SelectRows);
    TblCalibrations->setSelectionMode(QAbstractItemView::SingleSelection);
    TblCalibrations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TblCalibrations->verticalHeader()->hide();
    TblCalibrations->horizontalHeader()->setStretchLastSection(true);
    BtnCertificate = new QPushButton(this);
    BtnCertificate->setObjectName(QStringLiteral("BtnCertificate"));
    BtnCertificate->setEnabled(false);

    LblRecordsStatus = new QLabel(this);
    LblRecordsStatus->setObjectName(QStringLiteral("LblRecordsStatus"));
    BtnHistory = new QPushButton(this);
    BtnHistory->setObjectName(QStringLiteral("BtnHistory"));
    BtnHistory->setEnabled(false);
    BtnClose = new QPushButton(this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LblRecordsStatus, 1);
    bottom->addWidget(BtnHistory);
    bottom->addWidget(BtnCertificate);
    bottom->addWidget(BtnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(TblRecords, 2);
    layout->addWidget(TblCalibrations, 1);
    layout->addLayout(bottom);

    connect(BtnSearch, &QPushButton::clicked, this, &TRecordsDlg::search);
    connect(EdtIdentifier, &QLineEdit::returnPressed, this, &TRecordsDlg::search);
    connect(BtnHistory, &QPushButton::clicked, this, &TRecordsDlg::showHistory);
    connect(TblRecords, &QTableWidget::cellDoubleClicked, this, &TRecordsDlg::showHistory);
    connect(TblRecords, &QTableWidget::itemSelectionChanged, this,
            [this] { BtnHistory->setEnabled(!TblRecords->selectedItems().isEmpty()); });
    connect(TblCalibrations, &QTableWidget::itemSelectionChanged, this,
            [this] { BtnCertificate->setEnabled(!TblCalibrations->selectedItems().isEmpty()); });
    connect(BtnCertificate, &QPushButton::clicked, this, [this] {
        const int row = TblCalibrations->currentRow();
        if (row >= 0 && row < int(m_calibrations.size()) && onCertificate)
            onCertificate(m_calibrations[size_t(row)]);
    });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::close);
    retranslate();
}

void TRecordsDlg::search() {
    RecordFilter filter;
    filter.identifier = EdtIdentifier->text().trimmed();
    if (ChckBxSince->isChecked()) filter.since = DtSince->date();
    if (ChckBxUntil->isChecked()) filter.until = DtUntil->date();
    std::optional<std::vector<UnitRecord>> found = m_store.select(filter, m_problem);
    m_shown = found ? std::move(*found) : std::vector<UnitRecord>{};
    if (found) m_problem.clear();

    TblRecords->clearContents();
    TblRecords->setRowCount(int(m_shown.size()));
    for (int row = 0; row < int(m_shown.size()); ++row) {
        const UnitRecord& r = m_shown[size_t(row)];
        const QString texts[ColValues] = {
            r.log.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            r.bench,
            r.log.port,
            r.log.identifier,
            r.log.result,
            r.log.configFile};
        for (int column = 0; column < ColValues; ++column)
            TblRecords->setItem(row, column, cell(texts[column]));
        for (int i = 0; i < ConfigFieldCount; ++i) {
            QTableWidgetItem* item = cell(r.written[size_t(i)].toString());
            // A value the read-back found otherwise shows what the transmitter held.
            if (r.readBack && (*r.readBack)[size_t(i)] != r.written[size_t(i)])
                item->setToolTip(QCoreApplication::translate("TFrmMain", "V převodníku: %1")
                                     .arg((*r.readBack)[size_t(i)].toString()));
            TblRecords->setItem(row, ColValues + i, item);
        }
    }
    TblRecords->resizeColumnsToContents();
    if (!m_shown.empty())
        TblRecords->scrollToBottom();  // the latest attempts are the ones asked about
    BtnHistory->setEnabled(false);

    QString problem;
    m_calibrations.clear();
    for (CalibrationRecord& c : m_store.calibrations(filter.identifier, problem)
                                    .value_or(std::vector<CalibrationRecord>{})) {
        const QDate day = c.time.date();
        if ((filter.since.isValid() && day < filter.since) ||
            (filter.until.isValid() && day > filter.until))
            continue;
        m_calibrations.push_back(std::move(c));
    }
    if (m_problem.isEmpty()) m_problem = problem;
    TblCalibrations->clearContents();
    TblCalibrations->setRowCount(int(m_calibrations.size()));
    for (int row = 0; row < int(m_calibrations.size()); ++row) {
        const CalibrationRecord& c = m_calibrations[size_t(row)];
        const QString texts[] = {c.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                 c.identifier, c.procedure, c.subject,
                                 c.verdict.isEmpty() ? c.problem : c.verdict};
        for (int column = 0; column < int(std::size(texts)); ++column)
            TblCalibrations->setItem(row, column, cell(texts[column]));
    }
    TblCalibrations->resizeColumnsToContents();
    BtnCertificate->setEnabled(false);
    showStatus();
}

void TRecordsDlg::showHistory() {
    const QModelIndexList selected = TblRecords->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? TblRecords->currentRow() : selected.first().row();
    if (row < 0 || row >= int(m_shown.size())) return;
    EdtIdentifier->setText(m_shown[size_t(row)].log.identifier);
    ChckBxSince->setChecked(false);
    ChckBxUntil->setChecked(false);
    search();
}

void TRecordsDlg::showStatus() {
    LblRecordsStatus->setText(
        m_problem.isEmpty()
            ? QCoreApplication::translate("TFrmMain", "Záznamů: %1").arg(m_shown.size())
            : QCoreApplication::translate("TFrmMain", "Záznamy nelze načíst (%1).").arg(m_problem));
}

void TRecordsDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TRecordsDlg::retranslate() {
    setWindowTitle(QCoreApplication::translate("TFrmMain", "Záznamy") + QStringLiteral(" – ") +
                   m_store.address().text());
    m_identifierCaption->setText(QCoreApplication::translate("TFrmMain", "Identifikátor:"));
    ChckBxSince->setText(QCoreApplication::translate("TFrmMain", "Od:"));
    ChckBxUntil->setText(QCoreApplication::translate("TFrmMain", "Do:"));
    BtnSearch->setText(QCoreApplication::translate("TFrmMain", "Hledat"));
    BtnHistory->setText(QCoreApplication::translate("TFrmMain", "Historie jednotky"));
    BtnClose->setText(QCoreApplication::translate("TFrmMain", "Zavřít"));
    QStringList captions;
    for (const char* caption : RecordCaptions) captions << translated(caption);
    for (const char* caption : ValueCaptions) captions << translated(caption);
    TblRecords->setHorizontalHeaderLabels(captions);
    TblCalibrations->setHorizontalHeaderLabels(
        {QCoreApplication::translate("TFrmMain", "Kalibrace"),
         QCoreApplication::translate("TFrmMain", "Identifikátor"),
         QCoreApplication::translate("TFrmMain", "Postup"),
         QCoreApplication::translate("TFrmMain", "Veličina"),
         QCoreApplication::translate("TFrmMain", "Výsledek")});
    BtnCertificate->setText(QCoreApplication::translate("TFrmMain", "Kalibrační list…"));
    showStatus();
}

}  // namespace vl48

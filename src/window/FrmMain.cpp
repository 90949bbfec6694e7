#include "window/FrmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>

#include "window/Application.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

namespace vl48 {

void TFrmMain::uncaught(const QString& text) { TApplication::showError(text); }

const char* const TFrmMain::StartupPrompt =
    "Vyberte příslušný COM port, na kterém je připojen převodník VL48X";

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    // A fixed 8-point sans-serif on the window itself, so the fixed layout holds on any desktop.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    ComPort = new TComPort(this);
    ComPort->setObjectName(QStringLiteral("ComPort"));
    link = new Link(*ComPort);
    TmrReConn = new QTimer(this);
    TmrReConn->setObjectName(QStringLiteral("TmrReConn"));
    TmrReConn->setInterval(1000);

    setUpForms();
    startupMark("forms");
    m_translator = new QTranslator(this);
    if (!m_translator->load(QStringLiteral(":/i18n/vl48_en.qm")))
        qWarning("The English translation is missing from the program");
    startupMark("translation loaded");
    wireMenu();
    buildStatusBar();
    startupMark("menu, status bar");
    connect(SpdBtnDemo, &QPushButton::clicked, this, &TFrmMain::SpdBtnDemoClick);

    const int height = ClientHeight + menuBar()->sizeHint().height();
    setFixedSize(ClientWidth, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(ClientWidth / 2, height / 2));

    OKBottomDlg = new TOKBottomDlg(this);
    resolveCodeButtons();
    connectConnectionHandlers();
    connectFormHandlers();
    connectEditingHandlers();
    connectFileHandlers();
    connectProductionHandlers();
    connectServiceAccessHandlers();
    connectOutputCorrectionHandlers();
    connectServiceTerminalHandlers();
    connectCalibrationHandlers();
    startupMark("handlers");
    FormCreate();
    startupMark("start-up state");
}

TFrmMain::~TFrmMain() {
    // The next window starts in Czech; this one is not retranslated on its way out.
    m_forms.reset();
    if (m_translatorInstalled) QCoreApplication::removeTranslator(m_translator);
    // QWidget's destructor still hides the window, and a field that held the focus then emits
    // its focus-out signal: by that time this window's own part is gone and so is the link. No
    // handler may run on a window being torn down.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    qApp->disconnect(this);
    delete link;
}

void TFrmMain::wireMenu() {
    auto* languages = new QActionGroup(this);
    for (QAction* a : {MSLanguageCZ, MSLanguageEN}) languages->addAction(a);

    connect(MSLanguageCZ, &QAction::triggered, this, &TFrmMain::MSLanguageCZClick);
    connect(MSLanguageEN, &QAction::triggered, this, &TFrmMain::MSLanguageENClick);
    connect(MSettingsService, &QAction::triggered, this, &TFrmMain::MSettingsServiceClick);
    connect(MSettingsDACorr, &QAction::triggered, this, &TFrmMain::MSettingsDACorrClick);
    connect(MenuHelp, &QAction::triggered, this, &TFrmMain::MenuHelpClick);
    connect(MenuCommEnd, &QAction::triggered, this, &TFrmMain::MenuCommEndClick);
}

void TFrmMain::buildStatusBar() {
    // The four panels share one strip, so their widths add up to the window's width exactly.
    auto* strip = new QWidget(StatusBar);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const int widths[4] = {600, 50, 50, 50};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(strip);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(0);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        row->addWidget(panel, i == 3 ? 1 : 0);
        StatusPanels[i] = panel;
    }
    StatusBar->addPermanentWidget(strip, 1);
    StatusBar->setContentsMargins(0, 0, 0, 0);
}

QFileDialog* TFrmMain::fileDialog(FileDialog which) {
    // Made when first needed and kept, so each remembers its folder: the three dialogs took a
    // third of the window's start-up to make, and most sessions open none of them.
    QFileDialog*& dialog = which == FileDialog::Save          ? SvDlg
                           : which == FileDialog::Open        ? OpDlg
                           : which == FileDialog::Certificate ? PdfDlg
                                                              : LogDlg;
    if (dialog) return dialog;
    dialog = new QFileDialog(this);
    const QString filter = QStringLiteral("Konfigurační soubor VL48 (*.vl4)");
    switch (which) {
        case FileDialog::Save:
            dialog->setObjectName(QStringLiteral("SvDlg"));
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->setNameFilter(filter);
            dialog->setDefaultSuffix(QStringLiteral("vl4"));
            dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
            break;
        case FileDialog::Open:
            dialog->setObjectName(QStringLiteral("OpDlg"));
            dialog->setAcceptMode(QFileDialog::AcceptOpen);
            dialog->setFileMode(QFileDialog::ExistingFile);
            dialog->setNameFilter(filter);
            break;
        case FileDialog::Log:
            // The production log is appended to, never replaced: choosing an existing file is
            // no overwrite.
            dialog->setObjectName(QStringLiteral("LogDlg"));
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->setNameFilter(QStringLiteral("CSV (*.csv)"));
            dialog->setDefaultSuffix(QStringLiteral("csv"));
            dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
            break;
        case FileDialog::Certificate:
            dialog->setObjectName(QStringLiteral("PdfDlg"));
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->setNameFilter(QStringLiteral("PDF (*.pdf)"));
            dialog->setDefaultSuffix(QStringLiteral("pdf"));
            dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
            break;
    }
    return dialog;
}

void TFrmMain::setPanel(int index, const QString& text) { StatusPanels.at(index)->setText(text); }

QString TFrmMain::panel(int index) const { return StatusPanels.at(index)->text(); }

void TFrmMain::showMessage(MsgKind kind, const QString& text) {
    if (messageHook) {
        messageHook(kind, text);
        return;
    }
    QMessageBox box(this);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (kind) {
        case MsgKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgKind::Plain:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    box.setWindowTitle(QGuiApplication::applicationDisplayName());
    box.exec();
}

QString TFrmMain::runFileDialog(FileDialog which) {
    QFileDialog* dialog = fileDialog(which);
    // The dialog's own loop delivers line errors: handled there, a reconnection could connect
    // the next unit, and a save would store its configuration under the name chosen for this
    // one. They wait until the handler that opened the dialog has returned.
    HandlerScope scope(*this);
    if (fileDialogHook) return fileDialogHook(dialog);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().constFirst();
}

void TFrmMain::FormCreate() {
    PanelConnect->show();
    PanelSettings->hide();
    PanelService->hide();
    PanelPwd->show();
    setTabShown(TabService, false);
    PanelDACorr->hide();
    PanelPwd1->show();
    setTabShown(TabDACorr, false);
    LblSaveX->hide();
    LblSaveX1->hide();
    PrgBarLoadEE->hide();
    PrgBarLoadEE->setValue(0);
    link->drawFrameTag();  // the generator is seeded from the clock when the link is made
    DtTmPicker->setDateQuietly(QDate::currentDate());
    // Asking the system for its serial ports took as long as making all the tabs: the list is
    // filled from the event loop, before the window is first painted or can take a key.
    QTimer::singleShot(0, this, [this] {
        if (CmbBxPort->count() > 0 || !CmbBxPort->currentText().isEmpty()) return;
        QStringList ports;
        TComPort::ListPorts(ports);
        CmbBxPort->addItems(ports);
        startupMark("ports listed");
    });
    SetLang(0);
    setPanel(0, QString::fromUtf8(StartupPrompt));
}

void TFrmMain::setTabShown(QWidget* tab, bool shown) {
    const int index = PageControl1->indexOf(tab);
    if (index < 0 || PageControl1->isTabVisible(index) == shown) return;
    // Hiding a tab that is not the selected one must leave the selection alone.
    QWidget* current = PageControl1->currentWidget();
    PageControl1->setTabVisible(index, shown);
    if (current != tab) PageControl1->setCurrentWidget(current);
}

bool TFrmMain::tabShown(QWidget* tab) const {
    const int index = PageControl1->indexOf(tab);
    return index >= 0 && PageControl1->isTabVisible(index);
}

void TFrmMain::SpdBtnDemoClick() {
    PanelConnect->hide();
    PanelSettings->show();
    TabBasicSet->setEnabled(false);
    TabAdvanceFunc->setEnabled(false);
}

void TFrmMain::MenuHelpClick() {}

// Both items toggle their tab. The tab's presence is what the check mark mirrors, so the new
// state is taken from the tab: from the menu Qt has already flipped the mark by now.
void TFrmMain::MSettingsServiceClick() {
    const bool shown = !tabShown(TabService);
    setTabShown(TabService, shown);
    MSettingsService->setChecked(shown);
}

void TFrmMain::MSettingsDACorrClick() {
    const bool shown = !tabShown(TabDACorr);
    setTabShown(TabDACorr, shown);
    MSettingsDACorr->setChecked(shown);
}

void TFrmMain::MSLanguageCZClick() {
    SetLang(0);
    MSLanguageCZ->setChecked(true);
    MSLanguageEN->setChecked(false);
}

void TFrmMain::MSLanguageENClick() {
    SetLang(1);
    MSLanguageCZ->setChecked(false);
    MSLanguageEN->setChecked(true);
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

}  // namespace vl48

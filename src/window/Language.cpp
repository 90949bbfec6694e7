// Czech is the language the window is written in: the forms' texts and the messages below are
// Czech, and English comes from translations/vl48_en.ts, compiled into the program. Choosing a
// language installs or removes the translator; the LanguageChange event that follows retranslates
// the forms and the messages.
#include <QCoreApplication>
#include <QEvent>
#include <QTranslator>

#include "window/Forms.h"
#include "window/config/Trend.h"

namespace vl48 {

namespace {

// clang-format off
const struct {
    QString TFrmMain::*text;
    const char* czech;
} Messages[] = {
    {&TFrmMain::MsgConnectionLost, QT_TRANSLATE_NOOP("TFrmMain", "Spojení s převodníkem bylo ztraceno.")},
    {&TFrmMain::MsgInvalidPort, QT_TRANSLATE_NOOP("TFrmMain", "Vybrali jste neplatný COM port.")},
    {&TFrmMain::MsgCable, QT_TRANSLATE_NOOP("TFrmMain", "Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku.")},
    {&TFrmMain::MsgWrongDevice, QT_TRANSLATE_NOOP("TFrmMain", "Na lince n=ení připojen převodník VL48.")},
    {&TFrmMain::MsgInvalidDate, QT_TRANSLATE_NOOP("TFrmMain", "Neplatný formát data!")},
    {&TFrmMain::Msg2mADropRefused, QT_TRANSLATE_NOOP("TFrmMain", "Je zvolen jiný výstup než 4 - 20mA, volba hlášení nekorektního vstupu 2mA nebude uložena.")},
    {&TFrmMain::MsgSelectPort, QT_TRANSLATE_NOOP("TFrmMain", "Vyberte příslušný COM port, na kterém je připojen převodník VL48.")},
    {&TFrmMain::MsgDACorrWarning, QT_TRANSLATE_NOOP("TFrmMain", "Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!")},
    // Why the system refused a port: %1 the port, %2 the group owning its device file.
    {&TFrmMain::MsgPortNoAccess, QT_TRANSLATE_NOOP("TFrmMain", "Přístup k portu %1 nemá tento uživatel. Přidejte se do skupiny %2 (sudo usermod -aG %2 $USER) a znovu se přihlaste.")},
    {&TFrmMain::MsgPortInUse, QT_TRANSLATE_NOOP("TFrmMain", "Port %1 používá jiný program.")},
};
// clang-format on

}  // namespace

void TFrmMain::SetLang(int index) {
    if (index != 0 && index != 1) return;
    const bool english = index == 1;
    if (english != m_translatorInstalled) {
        m_translatorInstalled = english;
        if (english)
            QCoreApplication::installTranslator(m_translator);
        else
            QCoreApplication::removeTranslator(m_translator);
        // The change posts LanguageChange to every widget: delivered now, the texts are those of
        // the new language before the menu's handler returns.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        return;
    }
    // The same language again still puts every text back, as a change of language does.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(this, &change);
}

void TFrmMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && m_forms) retranslate();
    QMainWindow::changeEvent(event);
}

void TFrmMain::retranslate() {
    Forms& f = *m_forms;
    f.frame.retranslateUi(this);
    f.connect.retranslateUi(PanelConnect);
    f.basic.retranslateUi(TabBasicSet);
    f.bulk.retranslateUi(TabAdvanceFunc);
    f.service.retranslateUi(TabService);
    f.daCorr.retranslateUi(TabDACorr);
    for (const auto& m : Messages) this->*m.text = QCoreApplication::translate("TFrmMain", m.czech);
    if (FrmTrend) FrmTrend->retranslate();
}

}  // namespace vl48

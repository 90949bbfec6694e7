// Both languages: a full snapshot of every switchable text, the texts a careful person might
// "correct", and every text fitting its control in either language.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <map>

#include "WindowFixture.h"

using namespace vl48;

namespace {

class Language : public vl48test::WindowTest {
protected:
    // Every text a person can see or hear in the window, by where it is shown.
    std::map<QString, QString> snapshot() const {
        std::map<QString, QString> texts;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            if (name.isEmpty()) continue;
            if (auto* l = qobject_cast<QLabel*>(w)) texts[name + ".text"] = l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) texts[name + ".text"] = b->text();
            if (auto* g = qobject_cast<QGroupBox*>(w)) texts[name + ".title"] = g->title();
            if (!w->toolTip().isEmpty()) texts[name + ".tip"] = w->toolTip();
            if (!w->accessibleName().isEmpty()) texts[name + ".spoken"] = w->accessibleName();
        }
        for (QAction* a : window->findChildren<QAction*>())
            if (!a->objectName().isEmpty()) texts[a->objectName() + ".action"] = a->text();
        for (QMenu* m : window->findChildren<QMenu*>())
            if (!m->objectName().isEmpty()) texts[m->objectName() + ".menu"] = m->title();
        for (int i = 0; i < window->PageControl1->count(); ++i)
            texts[QStringLiteral("tab%1").arg(i)] = window->PageControl1->tabText(i);
        texts["title"] = window->windowTitle();
        const QString* messages[] = {&window->MsgConnectionLost, &window->MsgInvalidPort,
                                     &window->MsgCable,          &window->MsgWrongDevice,
                                     &window->MsgInvalidDate,    &window->Msg2mADropRefused,
                                     &window->MsgSelectPort,     &window->MsgDACorrWarning};
        for (int i = 0; i < 8; ++i) texts[QStringLiteral("message%1").arg(i)] = *messages[i];
        return texts;
    }

    QString textOf(const char* name) const {
        QObject* o = window->findChild<QObject*>(name);
        if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
        if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
        if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
        if (auto* a = qobject_cast<QAction*>(o)) return a->text();
        return "(no such control)";
    }

    // Shows everything that can be shown, so that every control gets its real geometry.
    void showEverything() {
        window->PanelConnect->show();
        window->PanelSettings->show();
        window->setTabShown(window->TabService, true);
        window->setTabShown(window->TabDACorr, true);
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QString n = w->objectName();
            if (n.endsWith("CH") || n.startsWith("LblSaveX") || n == "RdBtnNi891" ||
                n == "PrgBarLoadEE" || n == "GrpBxDACorr")
                w->show();
        }
    }

    // Texts of one control that do not fit, described for the failure message.
    QStringList clipped() {
        QStringList problems;
        const QRect windowRect = window->rect();
        for (int tab = -1; tab < window->PageControl1->count(); ++tab) {
            if (tab == -1) {
                window->PanelSettings->hide();
                window->PanelConnect->show();
            } else {
                window->PanelConnect->hide();
                window->PanelSettings->show();
                window->PageControl1->setCurrentIndex(tab);
            }
            // The service tabs: the access-code panels first, then their contents.
            for (int round = 0; round < 2; ++round) {
                window->PanelPwd->setVisible(round == 0);
                window->PanelService->setVisible(round == 1);
                window->PanelPwd1->setVisible(round == 0);
                window->PanelDACorr->setVisible(round == 1);
                QCoreApplication::processEvents();
                for (QWidget* w : window->findChildren<QWidget*>()) {
                    if (w->objectName().isEmpty() || !w->isVisible()) continue;
                    const QString name = w->objectName();
                    const QRect inWindow(w->mapTo(window.get(), QPoint(0, 0)), w->size());
                    if (!windowRect.contains(inWindow))
                        problems << name + " lies outside the window";
                    if (auto* l = qobject_cast<QLabel*>(w);
                        l && !l->wordWrap() && !l->text().isEmpty()) {
                        int width = 0;
                        for (const QString& line : l->text().split('\n'))
                            width = std::max(width, l->fontMetrics().horizontalAdvance(line));
                        if (width > l->contentsRect().width())
                            problems << name + ": \"" + l->text() + "\"";
                    } else if (auto* b = qobject_cast<QAbstractButton*>(w);
                               b && !b->text().isEmpty()) {
                        if (b->sizeHint().width() > b->width() ||
                            b->sizeHint().height() > b->height())
                            problems << name + ": \"" + b->text() + "\"";
                    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                        if (g->minimumSizeHint().width() > g->width())
                            problems << name + ": \"" + g->title() + "\"";
                    }
                }
            }
        }
        return problems;
    }
};

}  // namespace

TEST_F(Language, EnglishThenCzechRestoresEveryText) {
    const auto start = snapshot();
    window->MSLanguageENClick();
    const auto english = snapshot();
    EXPECT_NE(english, start);
    window->MSLanguageCZClick();
    EXPECT_EQ(snapshot(), start);
    EXPECT_TRUE(window->MSLanguageCZ->isChecked());
    EXPECT_FALSE(window->MSLanguageEN->isChecked());
    // Picking the current language again changes nothing.
    window->MSLanguageCZClick();
    EXPECT_EQ(snapshot(), start);
    window->MSLanguageENClick();
    window->MSLanguageENClick();
    EXPECT_EQ(snapshot(), english);
    EXPECT_TRUE(window->MSLanguageEN->isChecked());
}

namespace {

// Every two-language text, written out here rather than taken from the window's own table, so a
// text changed or dropped there shows as a difference.
enum class Where { Text, Tip, Tab, Spoken };
struct Expected {
    const char* name;
    Where where;
    const char* czech;
    const char* english;
};
// clang-format off
const Expected Texts[] = {
    {"TabBasicSet", Where::Tab, "Základní nastavení", "Basic settings"},
    {"TabAdvanceFunc", Where::Tab, "Hromadné konfigurování", "Multiple configuration"},
    {"TabService", Where::Tab, "Servisní přístup", "Service access"},
    {"GrpBxInput", Where::Text, " Vstupní signál ", " Input signal "},
    {"LblThermo", Where::Text, "Termočlánky", "Thermocouples"},
    {"RdBtnTermJ", Where::Text, "Termočlánek J", "Thermocouple J"},
    {"RdBtnTermK", Where::Text, "Termočlánek K", "Thermocouple K"},
    {"RdBtnTermS", Where::Text, "Termočlánek S", "Thermocouple S"},
    {"RdBtnTermB", Where::Text, "Termočlánek B", "Thermocouple B"},
    {"RdBtnTermE", Where::Text, "Termočlánek E", "Thermocouple E"},
    {"RdBtnTermR", Where::Text, "Termočlánek R", "Thermocouple R"},
    {"RdBtnTermN", Where::Text, "Termočlánek N", "Thermocouple N"},
    {"RdBtnTermT", Where::Text, "Termočlánek T", "Thermocouple T"},
    {"LblNickel", Where::Text, "Nikl 1000", "Nickel 1000"},
    {"GrpBxWire", Where::Text, " Zapojení RTD čidla ", " RTD sensor wirring "},
    {"RdBtn2_4wires", Where::Text, "2, 4 vodič.", "2, 4 wires"},
    {"RdBtn3wire", Where::Text, "3 vodič.", "3 wires"},
    {"LblCompRes", Where::Text, "Kompenzace odpor.vedení", "Line resist compensation"},
    {"LblNotice", Where::Text, "Poznámka:", "Notice:"},
    {"BtnSaveNote", Where::Text, "Ulož", "Save"},
    {"BtnSaveNote", Where::Tip, "Uloží textovou poznámku do převodníku.", "Saves text notice into VL48 converter"},
    {"LblDate", Where::Text, "Datum nastavení:", "Date of settings"},
    {"BtnRefreshDate", Where::Text, "Aktual.", "Actual."},
    {"BtnRefreshDate", Where::Tip, "Uloží aktuální systémové datum do převodníku.", "Saves actual PC system date into VL48 converter."},
    {"BtnConfSave", Where::Text, "Uložit aktuální konfiguraci", "Save actual configuration"},
    {"GrpBxComp", Where::Text, " Nastavení kompenzace termočlánku ", " Cold junction compensation "},
    {"RdBtnNoComp", Where::Text, "Bez kompenzace studeného konce", "Without compensation"},
    {"RdBtnMeasTerm", Where::Text, "Měření teploty svorek", "Terminal strip temp. measure"},
    {"RdBtnTempSet", Where::Text, "Pevně nastavená teplota:", "Set fixed temperature:"},
    {"GrpBxOutput", Where::Text, " Volba výstupu ", " Output signal "},
    {"ChckBxDaRest", Where::Text, "Omezit výstup na 10 V DC a nebo 20 mA DC", "Limit output signal to 10VDC or 20 mA DC"},
    {"GrpBxTemp", Where::Text, " Výstupní rozsah v °C / Ohm ", " Output range temp in °C / Ohm"},
    {"LblOUTBegin", Where::Text, "Počátek výstupu", "Range beginning"},
    {"LblOUTEnd", Where::Text, "Konec výstupu", "Range ending"},
    {"GrpBxErr", Where::Text, " Hlášení poruchy čidla ", " Sensor malfunction signalisation"},
    {"RdBtnNoMsg", Where::Text, "Sledování vstupu", "Tracking output"},
    {"RdBtnPuls", Where::Text, "Generování max. signálu", "Maximum signal generation"},
    {"RdBtn2mADrop", Where::Text, "Pokles na 2 mA", "Signal drop to 2 mA"},
    {"GrpBxFilter", Where::Text, " Typ filtru ", " Filtration type "},
    {"RdBtnFilt0", Where::Text, "Bez filtrace (~0.4s)", "W/out filter (~0.4s)"},
    {"RdBtnFilt1", Where::Text, "Filtrace (~1.5s)", "Filter   (~1.5s)"},
    {"RdBtnFilt2", Where::Text, "Filtrace (~3.7s)", "Filter   (~3.7s)"},
    {"RdBtnFilt3", Where::Text, "Filtrace (~6.0s)", "Filter   (~6.0s)"},
    {"RdBtnFilt4", Where::Text, "Polynomická filtrace (~0.8s)", "Polynomial filtration (~0.8s)"},
    {"BtnMeasTemp", Where::Text, "Proveď měření", "Measure temp."},
    {"LblStripTemp", Where::Text, "Tep.svorek:", "Strip temp:"},
    {"LblMeasTemp", Where::Text, "Meřená tep/ohm:", "Meas. temp/ohm:"},
    {"GrpBxInfo", Where::Text, " Souhrné informace o převodníku ", " Summary information about converter "},
    {"LblSType", Where::Text, "Typ zařízení:", "Device type :"},
    {"LblSFirmware", Where::Text, "Revize firmware:", "Firmware revision:"},
    {"LblSDate", Where::Text, "Datum vydání:", "Release date:"},
    {"LblSIden", Where::Text, "Identifikátor:", "Identificator:"},
    {"LblSTemp", Where::Text, "Teplota převodníku:", "Converter temperature"},
    {"BtnConfLoad", Where::Text, "Načíst konfiguraci ze souboru (*.vl4)", "Load configuration from file (*.vl4)"},
    {"BtnConf1Save", Where::Text, "Uložit konfiguraci do souboru (*.vl4)", "Save configuration into file (*.vl4)"},
    {"BtnEdtConf", Where::Text, "Editovat načtenou konfiguraci", "Edit loaded configuration"},
    {"BtnUploadConf", Where::Text, "Nahrát konfiguraci do VL48", "Transfer configuration into VL48"},
    {"ChckBxAutoCon", Where::Text, "Při odpojení převodníku, čekat na připojení (použíjte při sériovém programování)", "When connection lost, wait for reconnection (use for multiple converter configuration)"},
    {"GrpBxConf", Where::Text, " Načtená konfigurace převodníku VL48 ze souboru ", " Loaded VL48 configuration from file "},
    {"Label20", Where::Text, "Vstupní signál:", "Input signal:"},
    {"Label21", Where::Text, "Zapojení RTD čidla:", "RTD sensor wirring:"},
    {"Label22", Where::Text, "Kompenzace vedení RTD:", "Line resist compensation:"},
    {"Label19", Where::Text, "Kompenzace termočlánku:", "Cold junction compenasation:"},
    {"Label31", Where::Text, "Pevně nastavená teplota:", "Set fixed temperature:"},
    {"Label23", Where::Text, "Výstupní signál:", "Output signal:"},
    {"Label24", Where::Text, "Omezení výstupní signálu:", "Limit output signal:"},
    {"Label27", Where::Text, "Počátek výstupního signálu:", "Range beginning:"},
    {"Label28", Where::Text, "Konec výstupního signálu:", "Range ending:"},
    {"Label29", Where::Text, "Hlášení poruchy čidla:", "Sensor malfunction signal.:"},
    {"Label30", Where::Text, "Typ filtrace signálu:", "Filtration type:"},
    {"Label33", Where::Text, "Datum nastavení:", "Date of settings:"},
    {"Label32", Where::Text, "Textová poznámka:", "Text notice:"},
    {"GrpBxConnection", Where::Text, " Připojení k převodníku VL48 ", " Connect to VL48 converter "},
    {"LblComPort", Where::Text, "Vyberte COM port:", "Select COM port:"},
    {"BtnConnect", Where::Text, "Navázat spojení", "Establish connection"},
    {"SpdBtnEraseForm", Where::Text, "Vymazat\nobrazovku", "Erase"},
    {"SpdBtnLoadData", Where::Text, "Nahrát\ndata", "Load"},
    {"SpdBtnEraseForm", Where::Tip, "Vymaže pouze nastavená data v aplikaci, data v převodníku zůstanou.", "Erase data from aplication, data in VL48 is not affected."},
    {"SpdBtnLoadData", Where::Tip, "Znovu nahraje data z převodníku do aplikace.", "Load data from VL48."},
    {"LblSaveX", Where::Text, "Pro uložení zadané hodnoty zmáčkněte klávesu ENTER !", "To save entered value please press ENTER key !"},
    {"MenuFile", Where::Text, "Soubor", "File"},
    {"MenuComm", Where::Text, "Komunikace", "Communication"},
    {"MenuCommEnd", Where::Text, "Ukončit komunikaci", "Disconnect VL48"},
    {"MenuSettings", Where::Text, "Nastavení (CZ | EN)", "Settings (CZ | EN)"},
    {"MSettingsService", Where::Text, "Servisní přístup", "Service access"},
    {"MenuHelp", Where::Text, "Nápověda", "Help"},
    {"MSettingsDACorr", Where::Text, "Korekce DA výst.", "DA output corr."},
    // Fields no label names: what a screen reader says for them.
    {"MskEdtTcldEnd", Where::Spoken, "Pevně nastavená teplota", "Fixed temperature"},
    {"MskEdtPwd", Where::Spoken, "Heslo", "Password"},
    {"MskEdtPwd1", Where::Spoken, "Heslo", "Password"},
    {"MskEdtPT100Min", Where::Spoken, "Počáteční odpor PT100", "PT100 begin resistance"},
    {"MskEdtPT100Max", Where::Spoken, "Koncový odpor PT100", "PT100 end resistance"},
    {"EdtPT100Const", Where::Spoken, "Konstanta PT100", "PT100 constant"},
    {"MskEdtPT1k0Min", Where::Spoken, "Počáteční odpor PT1000", "PT1000 begin resistance"},
    {"MskEdtPT1k0Max", Where::Spoken, "Koncový odpor PT1000", "PT1000 end resistance"},
    {"EdtPT1KConst", Where::Spoken, "Konstanta PT1000", "PT1000 constant"},
    {"EdtOffset", Where::Spoken, "Offset termočlánků", "Thermocouple offset"},
    {"MskEdtTrueMV", Where::Spoken, "Skutečné mV", "True mV"},
    {"MskEdtADT75", Where::Spoken, "Skutečná teplota svorek", "True terminal temperature"},
};
const struct {
    QString TFrmMain::*text;
    const char* czech;
    const char* english;
} Messages[] = {
    {&TFrmMain::MsgConnectionLost, "Spojení s převodníkem bylo ztraceno.", "Connection with VL48 converter was terminated or no converter is connected."},
    {&TFrmMain::MsgInvalidPort, "Vybrali jste neplatný COM port.", "Invalid COM Port selected."},
    {&TFrmMain::MsgCable, "Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku.", "Communication cable was disconected or power-cut appeared."},
    {&TFrmMain::MsgWrongDevice, "Na lince n=ení připojen převodník VL48.", "VL48 converter is not connected."},
    {&TFrmMain::MsgInvalidDate, "Neplatný formát data!", "Invalid date format!"},
    {&TFrmMain::Msg2mADropRefused, "Je zvolen jiný výstup než 4 - 20mA, volba hlášení nekorektního vstupu 2mA nebude uložena.", "Signal drop to 2mA is not saved, because 4-20 mA output is not selected."},
    {&TFrmMain::MsgSelectPort, "Vyberte příslušný COM port, na kterém je připojen převodník VL48.", "Select COM port, which is VL48 converter connected to."},
    {&TFrmMain::MsgDACorrWarning, "Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!", "Analog output correction was activated by user, data are out of valid calibration!"},
};
// clang-format on

}  // namespace

TEST_F(Language, EveryTextIsShownInItsLanguage) {
    for (int index : {1, 0}) {
        index == 1 ? window->MSLanguageENClick() : window->MSLanguageCZClick();
        for (const Expected& t : Texts) {
            auto* widget = window->findChild<QWidget*>(t.name);
            QString shown = "(no such control)";
            if (t.where == Where::Text)
                shown = textOf(t.name);
            else if (widget && t.where == Where::Tip)
                shown = widget->toolTip();
            else if (widget && t.where == Where::Spoken)
                shown = widget->accessibleName();
            else if (widget && t.where == Where::Tab)
                shown = window->PageControl1->tabText(window->PageControl1->indexOf(widget));
            EXPECT_EQ(shown, QString::fromUtf8(index == 1 ? t.english : t.czech)) << t.name;
        }
        EXPECT_EQ(
            window->windowTitle(),
            QString::fromUtf8(index == 1 ? "Communication software for VL48 - KOLTAR®"
                                         : "Nastavovací program pro převodník VL48 - KOLTAR®"));
        for (const auto& m : Messages)
            EXPECT_EQ(window.get()->*m.text, QString::fromUtf8(index == 1 ? m.english : m.czech));
    }
}

TEST_F(Language, TextsAreByteForByte) {
    window->MSLanguageENClick();
    EXPECT_EQ(window->MsgCable, "Communication cable was disconected or power-cut appeared.");
    EXPECT_EQ(textOf("GrpBxWire"), " RTD sensor wirring ");
    EXPECT_EQ(textOf("RdBtnFilt1"), "Filter   (~1.5s)");
    EXPECT_EQ(textOf("LblSType"), "Device type :");
    EXPECT_EQ(textOf("GrpBxTemp"), " Output range temp in °C / Ohm");
    EXPECT_EQ(textOf("Label19"), "Cold junction compenasation:");
    EXPECT_EQ(window->MsgConnectionLost,
              "Connection with VL48 converter was terminated or no converter is connected.");
    EXPECT_EQ(window->windowTitle(), "Communication software for VL48 - KOLTAR®");
    EXPECT_EQ(textOf("MenuCommEnd"), "Disconnect VL48");
    EXPECT_EQ(textOf("SpdBtnEraseForm"), "Erase");
    window->MSLanguageCZClick();
    EXPECT_EQ(window->MsgWrongDevice, "Na lince n=ení připojen převodník VL48.");
    EXPECT_EQ(textOf("LblMeasTemp"), "Meřená tep/ohm:");
    EXPECT_EQ(textOf("SpdBtnEraseForm"), "Vymazat\nobrazovku");
    EXPECT_EQ(textOf("SpdBtnLoadData"), "Nahrát\ndata");
    EXPECT_EQ(textOf("ChckBxAutoCon"),
              "Při odpojení převodníku, čekat na připojení (použíjte při sériovém programování)");
    EXPECT_EQ(textOf("GrpBxAO"), " Analogový VÝSTUP izolovaný - DA (14bits)  ");
    EXPECT_EQ(window->PageControl1->tabText(3), "Korekce DA");
    EXPECT_EQ(textOf("MSettingsLanguage"), "Jazyk / Language");
    EXPECT_EQ(window->BtnMeasTemp->toolTip(), "Provede měření teploty/ohm a teploty svorek.");
}

TEST_F(Language, SwitchLeavesStatesAndTheStatusBarAlone) {
    // The bulk tab's edit mode as the person turns it on: its button enables the lists.
    window->BtnEdtConf->click();
    ASSERT_TRUE(window->CmbInputSignal->isEnabled());
    window->ChckBxAutoCon->setChecked(true);
    const QString prompt = window->panel(0);
    window->MSLanguageENClick();
    EXPECT_EQ(window->panel(0), prompt) << "the start-up prompt stays Czech";
    EXPECT_EQ(window->BtnEdtConf->text(), "Edit loaded configuration");
    EXPECT_TRUE(window->CmbInputSignal->isEnabled()) << "the edit mode stays on";
    EXPECT_TRUE(window->ChckBxAutoCon->isChecked());
    EXPECT_TRUE(window->PanelConnect->isVisible());
    window->SetLang(2);  // no such language: nothing changes
    EXPECT_EQ(window->BtnEdtConf->text(), "Edit loaded configuration");
    // Still in edit mode, the next press of the button leaves it.
    window->BtnEdtConf->click();
    EXPECT_FALSE(window->CmbInputSignal->isEnabled());
    EXPECT_EQ(window->BtnEdtConf->text(), "Editovat načtenou konfiguraci");
    // The prompt follows the language the next time the connection ends.
    window->ShowConnect();
    EXPECT_EQ(window->panel(0), "Select COM port, which is VL48 converter connected to.");
}

TEST_F(Language, EveryTextFitsItsControlInBothLanguages) {
    showEverything();
    const QStringList czech = clipped();
    EXPECT_TRUE(czech.isEmpty()) << czech.join("\n").toStdString();
    window->MSLanguageENClick();
    showEverything();
    const QStringList english = clipped();
    EXPECT_TRUE(english.isEmpty()) << english.join("\n").toStdString();
}

TEST_F(Language, EveryControlHasAnAccessibleName) {
    for (int index : {0, 1}) {
        index == 1 ? window->MSLanguageENClick() : window->MSLanguageCZClick();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("StatusPanel") ||
                w->objectName().startsWith("qt_"))
                continue;
            const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                               qobject_cast<QAbstractSpinBox*>(w);
            const bool control = field || qobject_cast<QAbstractButton*>(w);
            if (!control) continue;
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
                continue;  // the edit inside a spin edit or date picker
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
                continue;  // the edit inside an editable list
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(iface, nullptr) << w->objectName().toStdString();
            EXPECT_FALSE(iface->text(QAccessible::Name).trimmed().isEmpty())
                << w->objectName().toStdString() << " has no accessible name";
        }
    }
    // An entry field is named by the label beside it, in the current language.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->EdtNoteConf)->text(QAccessible::Name),
              "Text notice:");
    window->MSLanguageCZClick();
    QAccessibleInterface* note = QAccessible::queryAccessibleInterface(window->EdtNoteConf);
    EXPECT_EQ(note->text(QAccessible::Name), "Textová poznámka:");
}

TEST_F(Language, TheRefusalOfAValueItsCellCannotHoldInBothLanguages) {
    window->SetLang(0);
    EXPECT_EQ(doesNotFitText(40000, SignedCell),
              "Hodnota 40000 se nevejde do paměti převodníku (rozsah -32768 až 32767), nic "
              "nebylo zapsáno.");
    window->SetLang(1);
    EXPECT_EQ(doesNotFitText(-1, UnsignedCell),
              "The value -1 does not fit the transmitter's memory (range 0 to 65535); nothing "
              "was written.");
    window->SetLang(0);
}

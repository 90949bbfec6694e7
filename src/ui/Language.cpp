// Czech and English texts of the window. One table, keyed by the controls' object names, so the
// texts of both languages stand side by side and a missing control is found by the tests.
#include "Language.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "FrmMain.h"

namespace vl48 {

// clang-format off
const std::vector<LangText>& languageTable() {
    static const std::vector<LangText> table = {
        {"TabBasicSet", LangText::Tab, "Základní nastavení", "Basic settings"},
        {"TabAdvanceFunc", LangText::Tab, "Hromadné konfigurování", "Multiple configuration"},
        {"TabService", LangText::Tab, "Servisní přístup", "Service access"},
        {"GrpBxInput", LangText::Caption, " Vstupní signál ", " Input signal "},
        {"LblThermo", LangText::Caption, "Termočlánky", "Thermocouples"},
        {"RdBtnTermJ", LangText::Caption, "Termočlánek J", "Thermocouple J"},
        {"RdBtnTermK", LangText::Caption, "Termočlánek K", "Thermocouple K"},
        {"RdBtnTermS", LangText::Caption, "Termočlánek S", "Thermocouple S"},
        {"RdBtnTermB", LangText::Caption, "Termočlánek B", "Thermocouple B"},
        {"RdBtnTermE", LangText::Caption, "Termočlánek E", "Thermocouple E"},
        {"RdBtnTermR", LangText::Caption, "Termočlánek R", "Thermocouple R"},
        {"RdBtnTermN", LangText::Caption, "Termočlánek N", "Thermocouple N"},
        {"RdBtnTermT", LangText::Caption, "Termočlánek T", "Thermocouple T"},
        {"LblNickel", LangText::Caption, "Nikl 1000", "Nickel 1000"},
        {"GrpBxWire", LangText::Caption, " Zapojení RTD čidla ", " RTD sensor wirring "},
        {"RdBtn2_4wires", LangText::Caption, "2, 4 vodič.", "2, 4 wires"},
        {"RdBtn3wire", LangText::Caption, "3 vodič.", "3 wires"},
        {"LblCompRes", LangText::Caption, "Kompenzace odpor.vedení", "Line resist compensation"},
        {"LblNotice", LangText::Caption, "Poznámka:", "Notice:"},
        {"BtnSaveNote", LangText::Caption, "Ulož", "Save"},
        {"BtnSaveNote", LangText::ToolTip, "Uloží textovou poznámku do převodníku.", "Saves text notice into VL48 converter"},
        {"LblDate", LangText::Caption, "Datum nastavení:", "Date of settings"},
        {"BtnRefreshDate", LangText::Caption, "Aktual.", "Actual."},
        {"BtnRefreshDate", LangText::ToolTip, "Uloží aktuální systémové datum do převodníku.", "Saves actual PC system date into VL48 converter."},
        {"BtnConfSave", LangText::Caption, "Uložit aktuální konfiguraci", "Save actual configuration"},
        {"GrpBxComp", LangText::Caption, " Nastavení kompenzace termočlánku ", " Cold junction compensation "},
        {"RdBtnNoComp", LangText::Caption, "Bez kompenzace studeného konce", "Without compensation"},
        {"RdBtnMeasTerm", LangText::Caption, "Měření teploty svorek", "Terminal strip temp. measure"},
        {"RdBtnTempSet", LangText::Caption, "Pevně nastavená teplota:", "Set fixed temperature:"},
        {"GrpBxOutput", LangText::Caption, " Volba výstupu ", " Output signal "},
        {"ChckBxDaRest", LangText::Caption, "Omezit výstup na 10 V DC a nebo 20 mA DC", "Limit output signal to 10VDC or 20 mA DC"},
        {"GrpBxTemp", LangText::Caption, " Výstupní rozsah v °C / Ohm ", " Output range temp in °C / Ohm"},
        {"LblOUTBegin", LangText::Caption, "Počátek výstupu", "Range beginning"},
        {"LblOUTEnd", LangText::Caption, "Konec výstupu", "Range ending"},
        {"GrpBxErr", LangText::Caption, " Hlášení poruchy čidla ", " Sensor malfunction signalisation"},
        {"RdBtnNoMsg", LangText::Caption, "Sledování vstupu", "Tracking output"},
        {"RdBtnPuls", LangText::Caption, "Generování max. signálu", "Maximum signal generation"},
        {"RdBtn2mADrop", LangText::Caption, "Pokles na 2 mA", "Signal drop to 2 mA"},
        {"GrpBxFilter", LangText::Caption, " Typ filtru ", " Filtration type "},
        {"RdBtnFilt0", LangText::Caption, "Bez filtrace (~0.4s)", "W/out filter (~0.4s)"},
        {"RdBtnFilt1", LangText::Caption, "Filtrace (~1.5s)", "Filter   (~1.5s)"},
        {"RdBtnFilt2", LangText::Caption, "Filtrace (~3.7s)", "Filter   (~3.7s)"},
        {"RdBtnFilt3", LangText::Caption, "Filtrace (~6.0s)", "Filter   (~6.0s)"},
        {"RdBtnFilt4", LangText::Caption, "Polynomická filtrace (~0.8s)", "Polynomial filtration (~0.8s)"},
        {"BtnMeasTemp", LangText::Caption, "Proveď měření", "Measure temp."},
        {"LblStripTemp", LangText::Caption, "Tep.svorek:", "Strip temp:"},
        {"LblMeasTemp", LangText::Caption, "Meřená tep/ohm:", "Meas. temp/ohm:"},
        {"GrpBxInfo", LangText::Caption, " Souhrné informace o převodníku ", " Summary information about converter "},
        {"LblSType", LangText::Caption, "Typ zařízení:", "Device type :"},
        {"LblSFirmware", LangText::Caption, "Revize firmware:", "Firmware revision:"},
        {"LblSDate", LangText::Caption, "Datum vydání:", "Release date:"},
        {"LblSIden", LangText::Caption, "Identifikátor:", "Identificator:"},
        {"LblSTemp", LangText::Caption, "Teplota převodníku:", "Converter temperature"},
        {"BtnConfLoad", LangText::Caption, "Načíst konfiguraci ze souboru (*.vl4)", "Load configuration from file (*.vl4)"},
        {"BtnConf1Save", LangText::Caption, "Uložit konfiguraci do souboru (*.vl4)", "Save configuration into file (*.vl4)"},
        {"BtnEdtConf", LangText::Caption, "Editovat načtenou konfiguraci", "Edit loaded configuration"},
        {"BtnUploadConf", LangText::Caption, "Nahrát konfiguraci do VL48", "Transfer configuration into VL48"},
        {"ChckBxAutoCon", LangText::Caption, "Při odpojení převodníku, čekat na připojení (použíjte při sériovém programování)", "When connection lost, wait for reconnection (use for multiple converter configuration)"},
        {"BtnCompareConf", LangText::Caption, "Porovnat s převodníkem", "Compare with transmitter"},
        {"ChckBxVerify", LangText::Caption, "Ověřit po nahrání", "Verify after upload"},
        {"ChckBxLog", LangText::Caption, "Zapisovat výrobní protokol", "Write production log"},
        {"LblLogNote", LangText::Caption, "Poznámka obsluhy:", "Operator's note:"},
        {"GrpBxConf", LangText::Caption, " Načtená konfigurace převodníku VL48 ze souboru ", " Loaded VL48 configuration from file "},
        {"Label20", LangText::Caption, "Vstupní signál:", "Input signal:"},
        {"Label21", LangText::Caption, "Zapojení RTD čidla:", "RTD sensor wirring:"},
        {"Label22", LangText::Caption, "Kompenzace vedení RTD:", "Line resist compensation:"},
        {"Label19", LangText::Caption, "Kompenzace termočlánku:", "Cold junction compenasation:"},
        {"Label31", LangText::Caption, "Pevně nastavená teplota:", "Set fixed temperature:"},
        {"Label23", LangText::Caption, "Výstupní signál:", "Output signal:"},
        {"Label24", LangText::Caption, "Omezení výstupní signálu:", "Limit output signal:"},
        {"Label27", LangText::Caption, "Počátek výstupního signálu:", "Range beginning:"},
        {"Label28", LangText::Caption, "Konec výstupního signálu:", "Range ending:"},
        {"Label29", LangText::Caption, "Hlášení poruchy čidla:", "Sensor malfunction signal.:"},
        {"Label30", LangText::Caption, "Typ filtrace signálu:", "Filtration type:"},
        {"Label33", LangText::Caption, "Datum nastavení:", "Date of settings:"},
        {"Label32", LangText::Caption, "Textová poznámka:", "Text notice:"},
        {"GrpBxConnection", LangText::Caption, " Připojení k převodníku VL48 ", " Connect to VL48 converter "},
        {"LblComPort", LangText::Caption, "Vyberte COM port:", "Select COM port:"},
        {"BtnConnect", LangText::Caption, "Navázat spojení", "Establish connection"},
        {"SpdBtnEraseForm", LangText::Caption, "Vymazat\nobrazovku", "Erase"},
        {"SpdBtnLoadData", LangText::Caption, "Nahrát\ndata", "Load"},
        {"SpdBtnEraseForm", LangText::ToolTip, "Vymaže pouze nastavená data v aplikaci, data v převodníku zůstanou.", "Erase data from aplication, data in VL48 is not affected."},
        {"SpdBtnLoadData", LangText::ToolTip, "Znovu nahraje data z převodníku do aplikace.", "Load data from VL48."},
        {"LblSaveX", LangText::Caption, "Pro uložení zadané hodnoty zmáčkněte klávesu ENTER !", "To save entered value please press ENTER key !"},
        {"MenuFile", LangText::Menu, "Soubor", "File"},
        {"MenuComm", LangText::Menu, "Komunikace", "Communication"},
        {"MenuCommEnd", LangText::Menu, "Ukončit komunikaci", "Disconnect VL48"},
        {"MenuSettings", LangText::Menu, "Nastavení (CZ | EN)", "Settings (CZ | EN)"},
        {"MSettingsService", LangText::Menu, "Servisní přístup", "Service access"},
        {"MenuHelp", LangText::Menu, "Nápověda", "Help"},
        {"MSettingsDACorr", LangText::Menu, "Korekce DA výst.", "DA output corr."},
        // Fields without a label of their own: what a screen reader says.
        {"MskEdtTcldEnd", LangText::Accessible, "Pevně nastavená teplota", "Fixed temperature"},
        {"MskEdtPwd", LangText::Accessible, "Heslo", "Password"},
        {"MskEdtPwd1", LangText::Accessible, "Heslo", "Password"},
        {"MskEdtPT100Min", LangText::Accessible, "Počáteční odpor PT100", "PT100 begin resistance"},
        {"MskEdtPT100Max", LangText::Accessible, "Koncový odpor PT100", "PT100 end resistance"},
        {"EdtPT100Const", LangText::Accessible, "Konstanta PT100", "PT100 constant"},
        {"MskEdtPT1k0Min", LangText::Accessible, "Počáteční odpor PT1000", "PT1000 begin resistance"},
        {"MskEdtPT1k0Max", LangText::Accessible, "Koncový odpor PT1000", "PT1000 end resistance"},
        {"EdtPT1KConst", LangText::Accessible, "Konstanta PT1000", "PT1000 constant"},
        {"EdtOffset", LangText::Accessible, "Offset termočlánků", "Thermocouple offset"},
        {"MskEdtTrueMV", LangText::Accessible, "Skutečné mV", "True mV"},
        {"MskEdtADT75", LangText::Accessible, "Skutečná teplota svorek", "True terminal temperature"},
    };
    return table;
}

const LangMessages& languageMessages(int index) {
    static const LangMessages czech = {
        "Nastavovací program pro převodník VL48 - KOLTAR®",
        "Spojení s převodníkem bylo ztraceno.",
        "Vybrali jste neplatný COM port.",
        "Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku.",
        "Na lince n=ení připojen převodník VL48.",
        "Neplatný formát data!",
        "Je zvolen jiný výstup než 4 - 20mA, volba hlášení nekorektního vstupu 2mA nebude uložena.",
        "Vyberte příslušný COM port, na kterém je připojen převodník VL48.",
        "Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!",
        "Přístup k portu %1 nemá tento uživatel. Přidejte se do skupiny %2 "
        "(sudo usermod -aG %2 $USER) a znovu se přihlaste.",
        "Port %1 používá jiný program.",
    };
    static const LangMessages english = {
        "Communication software for VL48 - KOLTAR®",
        "Connection with VL48 converter was terminated or no converter is connected.",
        "Invalid COM Port selected.",
        "Communication cable was disconected or power-cut appeared.",
        "VL48 converter is not connected.",
        "Invalid date format!",
        "Signal drop to 2mA is not saved, because 4-20 mA output is not selected.",
        "Select COM port, which is VL48 converter connected to.",
        "Analog output correction was activated by user, data are out of valid calibration!",
        "This user may not open %1. Join the group %2 (sudo usermod -aG %2 $USER) and log in "
        "again.",
        "Port %1 is in use by another program.",
    };
    return index == 1 ? english : czech;
}
// clang-format on

void TFrmMain::SetLang(int index) {
    if (index != 0 && index != 1) return;
    for (const LangText& t : languageTable()) {
        const QString text = QString::fromUtf8(index == 0 ? t.czech : t.english);
        QObject* target = findChild<QObject*>(QString::fromLatin1(t.name));
        if (!target) continue;  // every name is present; the tests make sure of it
        switch (t.kind) {
            case LangText::Caption:
                if (auto* group = qobject_cast<QGroupBox*>(target))
                    group->setTitle(text);
                else if (auto* label = qobject_cast<QLabel*>(target))
                    label->setText(text);
                else if (auto* button = qobject_cast<QAbstractButton*>(target))
                    button->setText(text);
                break;
            case LangText::ToolTip:
                if (auto* widget = qobject_cast<QWidget*>(target)) widget->setToolTip(text);
                break;
            case LangText::Tab:
                if (auto* widget = qobject_cast<QWidget*>(target))
                    PageControl1->setTabText(PageControl1->indexOf(widget), text);
                break;
            case LangText::Accessible:
                if (auto* widget = qobject_cast<QWidget*>(target)) widget->setAccessibleName(text);
                break;
            case LangText::Menu:
                if (auto* menu = qobject_cast<QMenu*>(target))
                    menu->setTitle(text);
                else if (auto* action = qobject_cast<QAction*>(target))
                    action->setText(text);
                break;
        }
    }
    const LangMessages& m = languageMessages(index);
    setWindowTitle(QString::fromUtf8(m.title));
    MsgConnectionLost = QString::fromUtf8(m.connectionLost);
    MsgInvalidPort = QString::fromUtf8(m.invalidPort);
    MsgCable = QString::fromUtf8(m.cable);
    MsgWrongDevice = QString::fromUtf8(m.wrongDevice);
    MsgInvalidDate = QString::fromUtf8(m.invalidDate);
    Msg2mADropRefused = QString::fromUtf8(m.drop2mARefused);
    MsgSelectPort = QString::fromUtf8(m.selectPort);
    MsgDACorrWarning = QString::fromUtf8(m.daCorrWarning);
    MsgPortNoAccess = QString::fromUtf8(m.portNoAccess);
    MsgPortInUse = QString::fromUtf8(m.portInUse);
}

}  // namespace vl48

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="cs">
<context>
    <name>BasicTab</name>
    <message>
        <source> Vstupní signál </source>
        <translation> Input signal </translation>
    </message>
    <message>
        <source>Termočlánky</source>
        <translation>Thermocouples</translation>
    </message>
    <message>
        <source>Termočlánek J</source>
        <translation>Thermocouple J</translation>
    </message>
    <message>
        <source>Termočlánek E</source>
        <translation>Thermocouple E</translation>
    </message>
    <message>
        <source>Termočlánek K</source>
        <translation>Thermocouple K</translation>
    </message>
    <message>
        <source>Termočlánek R</source>
        <translation>Thermocouple R</translation>
    </message>
    <message>
        <source>Termočlánek S</source>
        <translation>Thermocouple S</translation>
    </message>
    <message>
        <source>Termočlánek N</source>
        <translation>Thermocouple N</translation>
    </message>
    <message>
        <source>Termočlánek B</source>
        <translation>Thermocouple B</translation>
    </message>
    <message>
        <source>Termočlánek T</source>
        <translation>Thermocouple T</translation>
    </message>
    <message>
        <source>Nikl 1000</source>
        <translation>Nickel 1000</translation>
    </message>
    <message>
        <source> Zapojení RTD čidla </source>
        <translation> RTD sensor wirring </translation>
    </message>
    <message>
        <source>2, 4 vodič.</source>
        <translation>2, 4 wires</translation>
    </message>
    <message>
        <source>3 vodič.</source>
        <translation>3 wires</translation>
    </message>
    <message>
        <source>Kompenzace odpor.vedení</source>
        <translation>Line resist compensation</translation>
    </message>
    <message>
        <source>Poznámka:</source>
        <translation>Notice:</translation>
    </message>
    <message>
        <source>Uloží textovou poznámku do převodníku.</source>
        <translation>Saves text notice into VL48 converter</translation>
    </message>
    <message>
        <source>Ulož</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Datum nastavení:</source>
        <translation>Date of settings</translation>
    </message>
    <message>
        <source>Uloží aktuální systémové datum do převodníku.</source>
        <translation>Saves actual PC system date into VL48 converter.</translation>
    </message>
    <message>
        <source>Aktual.</source>
        <translation>Actual.</translation>
    </message>
    <message>
        <source> Nastavení kompenzace termočlánku </source>
        <translation> Cold junction compensation </translation>
    </message>
    <message>
        <source>Bez kompenzace studeného konce</source>
        <translation>Without compensation</translation>
    </message>
    <message>
        <source>Měření teploty svorek</source>
        <translation>Terminal strip temp. measure</translation>
    </message>
    <message>
        <source>Pevně nastavená teplota:</source>
        <translation>Set fixed temperature:</translation>
    </message>
    <message>
        <source>Pevně nastavená teplota</source>
        <translation>Fixed temperature</translation>
    </message>
    <message>
        <source> Volba výstupu </source>
        <translation> Output signal </translation>
    </message>
    <message>
        <source>Omezit výstup na 10 V DC a nebo 20 mA DC</source>
        <translation>Limit output signal to 10VDC or 20 mA DC</translation>
    </message>
    <message>
        <source> Výstupní rozsah v °C / Ohm </source>
        <translation> Output range temp in °C / Ohm</translation>
    </message>
    <message>
        <source>Počátek výstupu</source>
        <translation>Range beginning</translation>
    </message>
    <message>
        <source>Konec výstupu</source>
        <translation>Range ending</translation>
    </message>
    <message>
        <source> Hlášení poruchy čidla </source>
        <translation> Sensor malfunction signalisation</translation>
    </message>
    <message>
        <source>Sledování vstupu</source>
        <translation>Tracking output</translation>
    </message>
    <message>
        <source>Generování max. signálu</source>
        <translation>Maximum signal generation</translation>
    </message>
    <message>
        <source>Pokles na 2 mA</source>
        <translation>Signal drop to 2 mA</translation>
    </message>
    <message>
        <source> Typ filtru </source>
        <translation> Filtration type </translation>
    </message>
    <message>
        <source>Bez filtrace (~0.4s)</source>
        <translation>W/out filter (~0.4s)</translation>
    </message>
    <message>
        <source>Filtrace (~1.5s)</source>
        <translation>Filter   (~1.5s)</translation>
    </message>
    <message>
        <source>Filtrace (~3.7s)</source>
        <translation>Filter   (~3.7s)</translation>
    </message>
    <message>
        <source>Filtrace (~6.0s)</source>
        <translation>Filter   (~6.0s)</translation>
    </message>
    <message>
        <source>Polynomická filtrace (~0.8s)</source>
        <translation>Polynomial filtration (~0.8s)</translation>
    </message>
    <message>
        <source>Tep.svorek:</source>
        <translation>Strip temp:</translation>
    </message>
    <message>
        <source>Meřená tep/ohm:</source>
        <translation>Meas. temp/ohm:</translation>
    </message>
    <message>
        <source>Pro uložení zadané hodnoty zmáčkněte klávesu ENTER !</source>
        <translation>To save entered value please press ENTER key !</translation>
    </message>
    <message>
        <source>Uložit aktuální konfiguraci</source>
        <translation>Save actual configuration</translation>
    </message>
    <message>
        <source>Vymaže pouze nastavená data v aplikaci, data v převodníku zůstanou.</source>
        <translation>Erase data from aplication, data in VL48 is not affected.</translation>
    </message>
    <message>
        <source>Vymazat
obrazovku</source>
        <translation>Erase</translation>
    </message>
    <message>
        <source>Znovu nahraje data z převodníku do aplikace.</source>
        <translation>Load data from VL48.</translation>
    </message>
    <message>
        <source>Nahrát
data</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Proveď měření</source>
        <translation>Measure temp.</translation>
    </message>
    <message>
        <source>Měřit průběžně</source>
        <translation>Measure continuously</translation>
    </message>
</context>
<context>
    <name>BulkTab</name>
    <message>
        <source> Souhrné informace o převodníku </source>
        <translation> Summary information about converter </translation>
    </message>
    <message>
        <source>Typ zařízení:</source>
        <translation>Device type :</translation>
    </message>
    <message>
        <source>Revize firmware:</source>
        <translation>Firmware revision:</translation>
    </message>
    <message>
        <source>Datum vydání:</source>
        <translation>Release date:</translation>
    </message>
    <message>
        <source>Identifikátor:</source>
        <translation>Identificator:</translation>
    </message>
    <message>
        <source>Teplota převodníku:</source>
        <translation>Converter temperature</translation>
    </message>
    <message>
        <source>Načíst konfiguraci ze souboru (*.vl4)</source>
        <translation>Load configuration from file (*.vl4)</translation>
    </message>
    <message>
        <source>Uložit konfiguraci do souboru (*.vl4)</source>
        <translation>Save configuration into file (*.vl4)</translation>
    </message>
    <message>
        <source>Editovat načtenou konfiguraci</source>
        <translation>Edit loaded configuration</translation>
    </message>
    <message>
        <source>Porovnat s převodníkem</source>
        <translation>Compare with transmitter</translation>
    </message>
    <message>
        <source>Nahrát konfiguraci do VL48</source>
        <translation>Transfer configuration into VL48</translation>
    </message>
    <message>
        <source>Ověřit po nahrání</source>
        <translation>Verify after upload</translation>
    </message>
    <message>
        <source> Načtená konfigurace převodníku VL48 ze souboru </source>
        <translation> Loaded VL48 configuration from file </translation>
    </message>
    <message>
        <source>Vstupní signál:</source>
        <translation>Input signal:</translation>
    </message>
    <message>
        <source>Zapojení RTD čidla:</source>
        <translation>RTD sensor wirring:</translation>
    </message>
    <message>
        <source>Kompenzace vedení RTD:</source>
        <translation>Line resist compensation:</translation>
    </message>
    <message>
        <source>Kompenzace termočlánku:</source>
        <translation>Cold junction compenasation:</translation>
    </message>
    <message>
        <source>Pevně nastavená teplota:</source>
        <translation>Set fixed temperature:</translation>
    </message>
    <message>
        <source>Výstupní signál:</source>
        <translation>Output signal:</translation>
    </message>
    <message>
        <source>Omezení výstupní signálu:</source>
        <translation>Limit output signal:</translation>
    </message>
    <message>
        <source>Počátek výstupního signálu:</source>
        <translation>Range beginning:</translation>
    </message>
    <message>
        <source>Konec výstupního signálu:</source>
        <translation>Range ending:</translation>
    </message>
    <message>
        <source>Hlášení poruchy čidla:</source>
        <translation>Sensor malfunction signal.:</translation>
    </message>
    <message>
        <source>Typ filtrace signálu:</source>
        <translation>Filtration type:</translation>
    </message>
    <message>
        <source>Datum nastavení:</source>
        <translation>Date of settings:</translation>
    </message>
    <message>
        <source>Textová poznámka:</source>
        <translation>Text notice:</translation>
    </message>
    <message>
        <source>Při odpojení převodníku, čekat na připojení (použíjte při sériovém programování)</source>
        <translation>When connection lost, wait for reconnection (use for multiple converter configuration)</translation>
    </message>
    <message>
        <source>Zapisovat výrobní protokol</source>
        <translation>Write production log</translation>
    </message>
    <message>
        <source>Poznámka obsluhy:</source>
        <translation>Operator&apos;s note:</translation>
    </message>
    <message>
        <source>Ukládat záznamy do databáze</source>
        <translation>Store records in the database</translation>
    </message>
</context>
<context>
    <name>ConnectView</name>
    <message>
        <source> Připojení k převodníku VL48 </source>
        <translation> Connect to VL48 converter </translation>
    </message>
    <message>
        <source>Vyberte COM port:</source>
        <translation>Select COM port:</translation>
    </message>
    <message>
        <source>Navázat spojení</source>
        <translation>Establish connection</translation>
    </message>
</context>
<context>
    <name>DACorrTab</name>
    <message>
        <source>Heslo</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Kalibrovat výstup…</source>
        <translation>Calibrate output…</translation>
    </message>
</context>
<context>
    <name>FrmMain</name>
    <message>
        <source>Nastavovací program pro převodník VL48 - KOLTAR®</source>
        <translation>Communication software for VL48 - KOLTAR®</translation>
    </message>
    <message>
        <source>Základní nastavení</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>Hromadné konfigurování</source>
        <translation>Multiple configuration</translation>
    </message>
    <message>
        <source>Servisní přístup</source>
        <translation>Service access</translation>
    </message>
    <message>
        <source>Soubor</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Komunikace</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>Nastavení (CZ | EN)</source>
        <translation>Settings (CZ | EN)</translation>
    </message>
    <message>
        <source>Ukončit komunikaci</source>
        <translation>Disconnect VL48</translation>
    </message>
    <message>
        <source>Korekce DA výst.</source>
        <translation>DA output corr.</translation>
    </message>
    <message>
        <source>Nápověda</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Databáze</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>Záznamy…</source>
        <translation>Records…</translation>
    </message>
</context>
<context>
    <name>ServiceTab</name>
    <message>
        <source>Heslo</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Počáteční odpor PT100</source>
        <translation>PT100 begin resistance</translation>
    </message>
    <message>
        <source>Koncový odpor PT100</source>
        <translation>PT100 end resistance</translation>
    </message>
    <message>
        <source>Konstanta PT100</source>
        <translation>PT100 constant</translation>
    </message>
    <message>
        <source>Počáteční odpor PT1000</source>
        <translation>PT1000 begin resistance</translation>
    </message>
    <message>
        <source>Koncový odpor PT1000</source>
        <translation>PT1000 end resistance</translation>
    </message>
    <message>
        <source>Konstanta PT1000</source>
        <translation>PT1000 constant</translation>
    </message>
    <message>
        <source>Offset termočlánků</source>
        <translation>Thermocouple offset</translation>
    </message>
    <message>
        <source>Skutečné mV</source>
        <translation>True mV</translation>
    </message>
    <message>
        <source>Skutečná teplota svorek</source>
        <translation>True terminal temperature</translation>
    </message>
    <message>
        <source>Kalibrovat výstup…</source>
        <translation>Calibrate output…</translation>
    </message>
    <message>
        <source>Kalibrační relace…</source>
        <translation>Calibration session…</translation>
    </message>
</context>
<context>
    <name>TFrmMain</name>
    <message>
        <source>Spojení s převodníkem bylo ztraceno.</source>
        <translation>Connection with VL48 converter was terminated or no converter is connected.</translation>
    </message>
    <message>
        <source>Vybrali jste neplatný COM port.</source>
        <translation>Invalid COM Port selected.</translation>
    </message>
    <message>
        <source>Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku.</source>
        <translation>Communication cable was disconected or power-cut appeared.</translation>
    </message>
    <message>
        <source>Na lince n=ení připojen převodník VL48.</source>
        <translation>VL48 converter is not connected.</translation>
    </message>
    <message>
        <source>Neplatný formát data!</source>
        <translation>Invalid date format!</translation>
    </message>
    <message>
        <source>Je zvolen jiný výstup než 4 - 20mA, volba hlášení nekorektního vstupu 2mA nebude uložena.</source>
        <translation>Signal drop to 2mA is not saved, because 4-20 mA output is not selected.</translation>
    </message>
    <message>
        <source>Vyberte příslušný COM port, na kterém je připojen převodník VL48.</source>
        <translation>Select COM port, which is VL48 converter connected to.</translation>
    </message>
    <message>
        <source>Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!</source>
        <translation>Analog output correction was activated by user, data are out of valid calibration!</translation>
    </message>
    <message>
        <source>Přístup k portu %1 nemá tento uživatel. Přidejte se do skupiny %2 (sudo usermod -aG %2 $USER) a znovu se přihlaste.</source>
        <translation>This user may not open %1. Join the group %2 (sudo usermod -aG %2 $USER) and log in again.</translation>
    </message>
    <message>
        <source>Port %1 používá jiný program.</source>
        <translation>Port %1 is in use by another program.</translation>
    </message>
    <message>
        <source>Hodnota nebyla z tohoto převodníku přečtena ani zadána, nic nebylo zapsáno.</source>
        <translation>The value was neither read from this transmitter nor typed in; nothing was written.</translation>
    </message>
    <message>
        <source>„%1“ nelze načíst: není to běžný soubor do velikosti 64 KiB.</source>
        <translation>“%1” cannot be loaded: it is not a regular file of at most 64 KiB.</translation>
    </message>
    <message>
        <source>Konfiguraci nelze nahrát: položka „%1“ nemá vybranou hodnotu ze seznamu.</source>
        <translation>Configuration not transferred: no value is selected from the list for “%1”.</translation>
    </message>
    <message>
        <source>Konfiguraci nelze nahrát: datum nastavení je před 1. 1. 2000.</source>
        <translation>Configuration not transferred: the date of setting is before 1 January 2000.</translation>
    </message>
    <message>
        <source>Porovnání se nezdařilo: převodník neodpověděl na čtení.</source>
        <translation>Compare failed: the transmitter did not answer a read.</translation>
    </message>
    <message>
        <source>V převodníku: %1</source>
        <translation>In the transmitter: %1</translation>
    </message>
    <message>
        <source>Převodník obsahuje načtenou konfiguraci.</source>
        <translation>The transmitter holds the loaded configuration.</translation>
    </message>
    <message>
        <source>Výrobní protokol %1 nelze zapsat (%2). Konfigurace nebyla nahrána.</source>
        <translation>The production log %1 cannot be written (%2). The configuration was not transferred.</translation>
    </message>
    <message>
        <source>Nahrání nebylo zapsáno do výrobního protokolu %1 (%2).</source>
        <translation>The upload was not recorded in the production log %1 (%2).</translation>
    </message>
    <message>
        <source>Kalibrační kopie DA výstupu není platná, nic nebylo zapsáno.</source>
        <translation>The DA output calibration copy is not valid; nothing was written.</translation>
    </message>
    <message>
        <source>Hodnota %2 se nevejde do paměti převodníku (rozsah %3 až %4), nic nebylo zapsáno.</source>
        <translation>The value %2 does not fit the transmitter&apos;s memory (range %3 to %4); nothing was written.</translation>
    </message>
    <message>
        <source>Databáze záznamů</source>
        <translation>Records database</translation>
    </message>
    <message>
        <source>Databáze (sqlite:SOUBOR nebo postgresql://UŽIVATEL@SERVER[:PORT]/DATABÁZE):</source>
        <translation>Database (sqlite:FILE or postgresql://USER@HOST[:PORT]/DBNAME):</translation>
    </message>
    <message>
        <source>Databázi %1 nelze použít (%2).</source>
        <translation>The database %1 cannot be used (%2).</translation>
    </message>
    <message>
        <source>Server databáze %1 není dostupný (%2). Záznamy čekají na tomto pracovišti a odejdou, jakmile bude server dostupný.</source>
        <translation>The database server %1 cannot be reached (%2). The records wait on this bench and go to the server as soon as it can be reached.</translation>
    </message>
    <message>
        <source>Záznam nelze uložit do databáze %1 (%2). Konfigurace nebyla nahrána.</source>
        <translation>The record cannot be stored in the database %1 (%2). The configuration was not uploaded.</translation>
    </message>
    <message>
        <source>Výsledek nahrání nebyl uložen do databáze %1 (%2).</source>
        <translation>The outcome of the upload was not recorded in the database %1 (%2).</translation>
    </message>
    <message>
        <source>Čas</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Pracoviště</source>
        <translation>Bench</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Identifikátor</source>
        <translation>Identifier</translation>
    </message>
    <message>
        <source>Výsledek</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Soubor</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Vstupní signál</source>
        <translation>Input signal</translation>
    </message>
    <message>
        <source>Výstupní signál</source>
        <translation>Output signal</translation>
    </message>
    <message>
        <source>Porucha čidla</source>
        <translation>Sensor fault</translation>
    </message>
    <message>
        <source>Počátek rozsahu</source>
        <translation>Range begin</translation>
    </message>
    <message>
        <source>Konec rozsahu</source>
        <translation>Range end</translation>
    </message>
    <message>
        <source>Filtrace</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Kompenzace</source>
        <translation>Compensation</translation>
    </message>
    <message>
        <source>Teplota svorek</source>
        <translation>Terminal temperature</translation>
    </message>
    <message>
        <source>Omezení výstupu</source>
        <translation>Output limit</translation>
    </message>
    <message>
        <source>Zapojení</source>
        <translation>Wiring</translation>
    </message>
    <message>
        <source>Datum nastavení</source>
        <translation>Date of setting</translation>
    </message>
    <message>
        <source>Poznámka</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Odpor vedení</source>
        <translation>Lead resistance</translation>
    </message>
    <message>
        <source>Záznamů: %1</source>
        <translation>Records: %1</translation>
    </message>
    <message>
        <source>Záznamy nelze načíst (%1).</source>
        <translation>The records cannot be read (%1).</translation>
    </message>
    <message>
        <source>Záznamy</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>Identifikátor:</source>
        <translation>Identifier:</translation>
    </message>
    <message>
        <source>Od:</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>Do:</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>Hledat</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Historie jednotky</source>
        <translation>Unit history</translation>
    </message>
    <message>
        <source>Zavřít</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Výstup:</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>Měřidlo:</source>
        <translation>Meter:</translation>
    </message>
    <message>
        <source>Port měřidla:</source>
        <translation>Meter port:</translation>
    </message>
    <message>
        <source>Rychlost (Bd):</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>Dotaz SCPI:</source>
        <translation>SCPI query:</translation>
    </message>
    <message>
        <source>Tolerance (% rozsahu):</source>
        <translation>Tolerance (% of span):</translation>
    </message>
    <message>
        <source>Doba ustálení (ms):</source>
        <translation>Settling time (ms):</translation>
    </message>
    <message>
        <source>Před seřízením:</source>
        <translation>As found:</translation>
    </message>
    <message>
        <source>Po seřízení:</source>
        <translation>As left:</translation>
    </message>
    <message>
        <source>Údaj měřidla</source>
        <translation>Meter reading</translation>
    </message>
    <message>
        <source>Výstup je nastaven na %1 %2 (kód %3).
Zadejte údaj měřidla (%2):</source>
        <translation>The output is set to %1 %2 (code %3).
Enter the meter reading (%2):</translation>
    </message>
    <message>
        <source>Měřidlo nelze použít: %1</source>
        <translation>The meter cannot be used: %1</translation>
    </message>
    <message>
        <source>údaj měřidla nebyl zadán</source>
        <translation>no meter reading entered</translation>
    </message>
    <message>
        <source>vyhovuje</source>
        <translation>pass</translation>
    </message>
    <message>
        <source>nevyhovuje</source>
        <translation>fail</translation>
    </message>
    <message>
        <source>Cíl (%1)</source>
        <translation>Target (%1)</translation>
    </message>
    <message>
        <source>Kód</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Údaj (%1)</source>
        <translation>Reading (%1)</translation>
    </message>
    <message>
        <source>Chyba (% rozsahu)</source>
        <translation>Error (% of span)</translation>
    </message>
    <message>
        <source>Probíhá kalibrace…</source>
        <translation>Calibrating…</translation>
    </message>
    <message>
        <source>Seřízení: nula %1 → %2, konec %3 → %4 (kol: %5)</source>
        <translation>Trim: zero %1 → %2, end %3 → %4 (rounds: %5)</translation>
    </message>
    <message>
        <source>, kódy se přestaly měnit</source>
        <translation>, the codes stopped changing</translation>
    </message>
    <message>
        <source>Seřízení nedokončeno (kol: %1)</source>
        <translation>Trim not finished (rounds: %1)</translation>
    </message>
    <message>
        <source>Kalibrace byla přerušena chybou spojení.</source>
        <translation>The calibration was interrupted by a connection error.</translation>
    </message>
    <message>
        <source>VYHOVUJE</source>
        <translation>PASS</translation>
    </message>
    <message>
        <source>NEVYHOVUJE</source>
        <translation>FAIL</translation>
    </message>
    <message>
        <source>Kódy byly uloženy, kontrola po seřízení nebyla dokončena: %1</source>
        <translation>The codes were stored, but the as-left check did not finish: %1</translation>
    </message>
    <message>
        <source>Nic nebylo uloženo: %1</source>
        <translation>Nothing was stored: %1</translation>
    </message>
    <message>
        <source>Kalibrace výstupu – servisní panel</source>
        <translation>Output calibration – service panel</translation>
    </message>
    <message>
        <source>Kalibrace výstupu – panel korekce</source>
        <translation>Output calibration – correction panel</translation>
    </message>
    <message>
        <source>Proud 0–20 mA</source>
        <translation>Current 0–20 mA</translation>
    </message>
    <message>
        <source>Napětí 0–10 V</source>
        <translation>Voltage 0–10 V</translation>
    </message>
    <message>
        <source>Údaje zadávané ručně</source>
        <translation>Readings typed by hand</translation>
    </message>
    <message>
        <source>Multimetr SCPI na sériovém portu</source>
        <translation>SCPI multimeter on a serial port</translation>
    </message>
    <message>
        <source>Spustit</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>Kalibrace nebyla uložena do databáze %1 (%2).</source>
        <translation>The calibration was not saved to the database %1 (%2).</translation>
    </message>
    <message>
        <source>Průběh měření</source>
        <translation>Trend of the readings</translation>
    </message>
    <message>
        <source>Měřená hodnota</source>
        <translation>Measured value</translation>
    </message>
    <message>
        <source>Posledních %1 minut</source>
        <translation>Last %1 minutes</translation>
    </message>
    <message>
        <source>Aktuální</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Průměr</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>Uložit do CSV…</source>
        <translation>Save to CSV…</translation>
    </message>
    <message>
        <source>Průběh měření nelze uložit do souboru %1: %2</source>
        <translation>The trend could not be saved to %1: %2</translation>
    </message>
    <message>
        <source>Kalibrace</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Postup</source>
        <translation>Procedure</translation>
    </message>
    <message>
        <source>Veličina</source>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>Kalibrační list…</source>
        <translation>Certificate…</translation>
    </message>
    <message>
        <source>Převodník:</source>
        <translation>Transmitter:</translation>
    </message>
    <message>
        <source>Technik:</source>
        <translation>Technician:</translation>
    </message>
    <message>
        <source>Teplota okolí (°C):</source>
        <translation>Ambient temperature (°C):</translation>
    </message>
    <message>
        <source>Etalony:</source>
        <translation>Instruments:</translation>
    </message>
    <message>
        <source>Body kontroly vstupu:</source>
        <translation>Input check points:</translation>
    </message>
    <message>
        <source>Tolerance vstupu (°C, Ω):</source>
        <translation>Input tolerance (°C, Ω):</translation>
    </message>
    <message>
        <source>Multimetr SCPI (port):</source>
        <translation>SCPI multimeter (port):</translation>
    </message>
    <message>
        <source>Tolerance výstupu (% rozsahu):</source>
        <translation>Output tolerance (% of span):</translation>
    </message>
    <message>
        <source>Kalibrační list nelze uložit: %1</source>
        <translation>The certificate cannot be saved: %1</translation>
    </message>
    <message>
        <source>Údaj etalonu</source>
        <translation>Reference value</translation>
    </message>
    <message>
        <source>Nastavte na kalibrátoru %1 %2 a zadejte hodnotu, kterou kalibrátor ukazuje (%2):</source>
        <translation>Set the calibrator to %1 %2 and enter the value it shows (%2):</translation>
    </message>
    <message>
        <source>údaj etalonu nebyl zadán</source>
        <translation>no reference value entered</translation>
    </message>
    <message>
        <source>Výstup je nastaven na %1 %2.
Zadejte údaj měřidla (%2):</source>
        <translation>The output is set to %1 %2.
Enter the meter reading (%2):</translation>
    </message>
    <message>
        <source>kódy výstupu nelze přečíst</source>
        <translation>the output codes cannot be read</translation>
    </message>
    <message>
        <source>Relaci nelze uložit do databáze %1 (%2).</source>
        <translation>The session cannot be stored in the database %1 (%2).</translation>
    </message>
    <message>
        <source>Bod kontroly „%1“ není číslo.</source>
        <translation>The check point “%1” is not a number.</translation>
    </message>
    <message>
        <source>Převodník není připojen.</source>
        <translation>No transmitter is connected.</translation>
    </message>
    <message>
        <source>Teplota okolí „%1“ není číslo.</source>
        <translation>The ambient temperature “%1” is not a number.</translation>
    </message>
    <message>
        <source>Etalon nelze použít: %1. Kalibrace nezačala.</source>
        <translation>An instrument cannot be used: %1. The calibration did not begin.</translation>
    </message>
    <message>
        <source>Kalibrační konstanty a kódy výstupu nelze přečíst. Kalibrace nezačala.</source>
        <translation>The calibration constants and output codes cannot be read. The calibration did not begin.</translation>
    </message>
    <message>
        <source>Relaci nelze zaznamenat do databáze %1 (%2). Kalibrace nezačala.</source>
        <translation>The session cannot be recorded in the database %1 (%2). The calibration did not begin.</translation>
    </message>
    <message>
        <source>Kódy výstupu nelze přečíst; nic nebylo uloženo.</source>
        <translation>The output codes cannot be read; nothing was stored.</translation>
    </message>
    <message>
        <source>Seřízení výstupu nedokončeno, nic nebylo uloženo: %1</source>
        <translation>Output trim not finished, nothing was stored: %1</translation>
    </message>
    <message>
        <source>Výstup seřízen: nula %1 → %2, konec %3 → %4.</source>
        <translation>Output trimmed: zero %1 → %2, end %3 → %4.</translation>
    </message>
    <message>
        <source>Kódy výstupu nebyly uloženy: %1</source>
        <translation>The output codes were not stored: %1</translation>
    </message>
    <message>
        <source>Připojen je jiný převodník (%1), relace patří převodníku %2.</source>
        <translation>Another transmitter is connected (%1); the session belongs to transmitter %2.</translation>
    </message>
    <message>
        <source>Kalibrační konstanty a kódy výstupu nelze přečíst.</source>
        <translation>The calibration constants and output codes cannot be read.</translation>
    </message>
    <message>
        <source>vstup (%1)</source>
        <translation>input (%1)</translation>
    </message>
    <message>
        <source>výstup (%1)</source>
        <translation>output (%1)</translation>
    </message>
    <message>
        <source>Relace se zaznamená do databáze %1.</source>
        <translation>The session is recorded in the database %1.</translation>
    </message>
    <message>
        <source>Bez databáze záznamů (karta hromadného nastavení) se relace nezaznamená: seznam etalonů ani kalibrační list nejsou k dispozici. Kontroly a seřízení lze provést i tak.</source>
        <translation>Without a records database (bulk configuration tab) the session is not recorded: neither the instruments list nor the certificate is available. The checks and adjustments work all the same.</translation>
    </message>
    <message>
        <source>Změněno: %1</source>
        <translation>Changed: %1</translation>
    </message>
    <message>
        <source>Před seřízením: vyhovuje</source>
        <translation>As found: pass</translation>
    </message>
    <message>
        <source>Před seřízením: nevyhovuje</source>
        <translation>As found: fail</translation>
    </message>
    <message>
        <source>Kontrola nedokončena: %1</source>
        <translation>Check not finished: %1</translation>
    </message>
    <message>
        <source>Kalibrační relace</source>
        <translation>Calibration session</translation>
    </message>
    <message>
        <source>počátek, střed a konec rozsahu</source>
        <translation>range begin, middle and end</translation>
    </message>
    <message>
        <source>nezadáno</source>
        <translation>not entered</translation>
    </message>
    <message>
        <source>Použít i etalon po termínu kalibrace (zapíše se)</source>
        <translation>Use an instrument past its calibration due date (recorded)</translation>
    </message>
    <message>
        <source>bez kontroly výstupu</source>
        <translation>no output check</translation>
    </message>
    <message>
        <source>Prázdné: údaje měřidla se zadávají ručně.</source>
        <translation>Empty: the meter readings are typed in.</translation>
    </message>
    <message>
        <source>1. Kontrola před seřízením</source>
        <translation>1. Check as found</translation>
    </message>
    <message>
        <source>2. Kalibrace vstupu…</source>
        <translation>2. Input calibration…</translation>
    </message>
    <message>
        <source>2. Seřídit výstup</source>
        <translation>2. Trim the output</translation>
    </message>
    <message>
        <source>3. Kontrola po seřízení</source>
        <translation>3. Check as left</translation>
    </message>
    <message>
        <source>Bod</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>Etalon / kód</source>
        <translation>Reference / code</translation>
    </message>
    <message>
        <source>Údaj</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Chyba</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>vl48::TFrmMain</name>
    <message>
        <source>Ověření po nahrání se nezdařilo: převodník neodpověděl na čtení.</source>
        <translation>Verify after upload could not be done: the transmitter did not answer a read.</translation>
    </message>
    <message>
        <source>Ověření po nahrání selhalo: převodník drží jiné hodnoty v buňkách %1.</source>
        <translation>Verify after upload failed: the transmitter holds other values in the cells %1.</translation>
    </message>
    <message>
        <source>Ověření po nahrání: převodník obsahuje nahranou konfiguraci.</source>
        <translation>Verify after upload: the transmitter holds the uploaded configuration.</translation>
    </message>
</context>
</TS>

#include "Certificate.h"

#include <QAbstractTextDocumentLayout>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

#include "core/device/MemoryMap.h"
#include "core/session/OutputTrim.h"

namespace vl48 {

QString LabSettings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           QStringLiteral("/vl48/lab.ini");
}

LabSettings LabSettings::load(const QString& iniPath, QString& error) {
    LabSettings lab;
    const QFileInfo info(iniPath);
    if (!info.exists()) return lab;
    if (!info.isReadable()) {
        error = QStringLiteral("lab file %1 cannot be read").arg(iniPath);
        return lab;
    }
    QSettings ini(iniPath, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        error = QStringLiteral("lab file %1 is not an INI file").arg(iniPath);
        return lab;
    }
    // QSettings splits an unquoted value at its commas; an address line has them.
    const auto text = [&](const char* key) {
        const QVariant v = ini.value(QLatin1String(key));
        return (v.typeId() == QMetaType::QStringList ? v.toStringList().join(QStringLiteral(", "))
                                                     : v.toString())
            .trimmed();
    };
    lab.name = text("name");
    for (const QString& line : text("address").split(QLatin1Char('|'), Qt::SkipEmptyParts))
        if (!line.trimmed().isEmpty()) lab.address << line.trimmed();
    lab.place = text("place");
    if (const QString logo = text("logo"); !logo.isEmpty())
        lab.logoPath = QDir(info.absolutePath()).absoluteFilePath(logo);
    return lab;
}

QString certificateNumber(const CalibrationRecord& record) {
    // The stored time keeps the bench's offset, so the date does not depend on who prints it.
    const QByteArray hash =
        QCryptographicHash::hash(record.id.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("VL48-%1-%2")
        .arg(record.time.toString(QStringLiteral("yyyyMMdd")), QString::fromLatin1(hash.left(8)));
}

QString canonicalText(const CalibrationRecord& r) {
    const auto escaped = [](QString v) {
        return v.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"))
            .replace(QLatin1Char('\r'), QLatin1String("\\r"));
    };
    const std::pair<const char*, QString> fields[] = {
        {"id", r.id},
        {"time", r.time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))},
        {"bench", r.bench},
        {"program_version", r.programVersion},
        {"port", r.port},
        {"device_type", r.deviceType},
        {"firmware", r.firmware},
        {"identifier", r.identifier},
        {"procedure", r.procedure},
        {"subject", r.subject},
        {"reference", r.reference},
        {"tolerance_percent", QString::number(r.tolerancePercent, 'g', 17)},
        {"as_found", r.asFound},
        {"as_left", r.asLeft},
        {"codes_before", r.codesBefore},
        {"codes_after", r.codesAfter},
        {"instruments", r.instruments},
        {"verdict", r.verdict},
        {"problem", r.problem},
        {"operator_note", r.operatorNote},
        {"technician", r.technician},
    };
    QString text;
    for (const auto& [name, value] : fields)
        text += QLatin1String(name) + QLatin1Char('=') + escaped(value) + QLatin1Char('\n');
    // A session's fields follow only where they are held, so that a single procedure's record
    // keeps the digest it was printed with.
    const std::pair<const char*, QString> sessionFields[] = {
        {"configuration", r.configuration},
        {"adjustments", r.adjustments},
        {"ambient", r.ambient ? QString::number(*r.ambient, 'g', 17) : QString()},
        {"tolerance", r.tolerance ? QString::number(*r.tolerance, 'g', 17) : QString()},
        {"finished", r.procedure == QLatin1String("calibration session") && r.finished.isValid()
                         ? r.finished.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
                         : QString()},
    };
    for (const auto& [name, value] : sessionFields)
        if (!value.isEmpty())
            text += QLatin1String(name) + QLatin1Char('=') + escaped(value) + QLatin1Char('\n');
    return text;
}

QString recordDigest(const CalibrationRecord& record) {
    return QString::fromLatin1(
        QCryptographicHash::hash(canonicalText(record).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

namespace {

const QString Dash = QStringLiteral("—");

// The texts and numbers of one language, whatever the system's locale.
class Language {
public:
    explicit Language(bool english)
        : m_english(english),
          m_locale(english ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                           : QLocale(QLocale::Czech, QLocale::CzechRepublic)) {
        m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
    }
    QString operator()(const char* cs, const char* en) const {
        return QString::fromUtf8(m_english ? en : cs);
    }
    QString number(double value, int decimals) const {
        return m_locale.toString(value, 'f', decimals);
    }
    QString date(const QDate& date) const {
        if (!date.isValid()) return Dash;
        return m_locale.toString(
            date, m_english ? QStringLiteral("d MMMM yyyy") : QStringLiteral("d. M. yyyy"));
    }
    bool english() const { return m_english; }

private:
    bool m_english;
    QLocale m_locale;
};

QString escaped(const QString& text) {
    return text.trimmed().isEmpty() ? Dash : text.toHtmlEscaped();
}

QJsonArray arrayOf(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).array(); }

QString row(const QStringList& cells, bool header = false) {
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells)
        html += header ? QStringLiteral("<th align=\"left\">%1</th>").arg(cell)
                       : QStringLiteral("<td>%1</td>").arg(cell);
    return html + QStringLiteral("</tr>");
}

QString table(const QString& rows) {
    return QStringLiteral(
               "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
               "style=\"border-collapse: collapse; border-color: #888888;\">%1</table>")
        .arg(rows);
}

QString heading(const QString& text) {
    return QStringLiteral("<h3 style=\"margin-top: 12px; margin-bottom: 4px;\">%1</h3>").arg(text);
}

// A label and its value, as the rows of a two-column table without rules.
QString facts(const std::vector<std::pair<QString, QString>>& lines) {
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto& [label, value] : lines)
        html += QStringLiteral("<tr><td width=\"200\"><b>%1</b></td><td>%2</td></tr>")
                    .arg(label.toHtmlEscaped(), value);
    return html + QStringLiteral("</table>");
}

QString procedureText(const QString& procedure, const Language& t) {
    if (procedure == QLatin1String("output trim")) return t("seřízení výstupu", "output trim");
    if (procedure == QLatin1String("output check")) return t("kontrola výstupu", "output check");
    if (procedure == QLatin1String("input check")) return t("kontrola vstupu", "input check");
    if (procedure == QLatin1String("calibration session"))
        return t("kalibrace: kontrola před seřízením, seřízení, kontrola po seřízení",
                 "calibration: check as found, adjustment, check as left");
    return escaped(procedure);
}

QString subjectText(const QString& subject, const Language& t) {
    if (subject == QLatin1String("current"))
        return t("proudový výstup (mA)", "current output (mA)");
    if (subject == QLatin1String("voltage")) return t("napěťový výstup (V)", "voltage output (V)");
    if (subject == QStringLiteral("°C")) return t("teplota (°C)", "temperature (°C)");
    if (subject == QStringLiteral("Ω")) return t("odpor (Ω)", "resistance (Ω)");
    return escaped(subject);
}

QString passText(bool pass, const Language& t) {
    return pass ? t("vyhovuje", "pass") : t("<b>nevyhovuje</b>", "<b>fail</b>");
}

// The output's points: target, the converter code, the meter's reading, the error in % of full
// scale.
QString outputTable(const QJsonArray& points, const QString& unit, const Language& t) {
    QString rows = row({t("Cíl", "Target") + QStringLiteral(" (%1)").arg(unit), t("Kód", "Code"),
                        t("Naměřeno", "Reading") + QStringLiteral(" (%1)").arg(unit),
                        t("Chyba (% rozsahu)", "Error (% of full scale)"), t("Výsledek", "Result")},
                       true);
    for (const QJsonValue& v : points) {
        const QJsonObject p = v.toObject();
        rows += row({t.number(p[QStringLiteral("target")].toDouble(), 3),
                     QString::number(p[QStringLiteral("code")].toInt()),
                     t.number(p[QStringLiteral("reading")].toDouble(), 4),
                     t.number(p[QStringLiteral("error_percent")].toDouble(), 4),
                     passText(p[QStringLiteral("pass")].toBool(), t)});
    }
    return table(rows);
}

// The input's points: the nominal point, the calibrator's reference, the transmitter's reading
// and the error; a point without a reading says why.
QString inputTable(const QJsonArray& points, const QString& unit, const Language& t) {
    const QString u = QStringLiteral(" (%1)").arg(unit.toHtmlEscaped());
    QString rows =
        row({t("Bod", "Point") + u, t("Etalon", "Reference") + u, t("Naměřeno", "Reading") + u,
             t("Chyba", "Error") + u, t("Výsledek", "Result")},
            true);
    for (const QJsonValue& v : points) {
        const QJsonObject p = v.toObject();
        const bool read = !p[QStringLiteral("reading")].isNull();
        const QString fault = p[QStringLiteral("fault")].toString();
        rows += row({t.number(p[QStringLiteral("point")].toDouble(), 2),
                     t.number(p[QStringLiteral("reference")].toDouble(), 2),
                     read ? t.number(p[QStringLiteral("reading")].toDouble(), 2) : Dash,
                     read ? t.number(p[QStringLiteral("error")].toDouble(), 2) : Dash,
                     passText(p[QStringLiteral("pass")].toBool(), t) +
                         (fault.isEmpty() ? QString() : QStringLiteral(": ") + escaped(fault))});
    }
    return table(rows);
}

QString instrumentsTable(const QJsonArray& instruments, const Language& t) {
    if (instruments.isEmpty()) return QStringLiteral("<p>%1</p>").arg(Dash);
    QString rows =
        row({t("Přístroj", "Instrument"), t("Typ", "Model"), t("Výrobní číslo", "Serial number"),
             t("Kalibrační list", "Calibration certificate"),
             t("Platnost kalibrace do", "Calibration due")},
            true);
    for (const QJsonValue& v : instruments) {
        const QJsonObject i = v.toObject();
        rows += row({escaped(i[QStringLiteral("name")].toString()),
                     escaped(i[QStringLiteral("model")].toString()),
                     escaped(i[QStringLiteral("serial")].toString()),
                     escaped(i[QStringLiteral("certificate")].toString()),
                     t.date(QDate::fromString(i[QStringLiteral("due")].toString(), Qt::ISODate))});
        // A row of its own, so that the mark reads as one line under the instrument it concerns.
        if (i[QStringLiteral("overdue")].toBool())
            rows += QStringLiteral("<tr><td colspan=\"5\"><b>%1</b></td></tr>")
                        .arg(t("po termínu kalibrace – použito na výslovný pokyn technika",
                               "past its calibration due date – used on the technician's "
                               "explicit decision"));
    }
    return table(rows);
}

QString codesText(const CalibrationRecord& r, const Language& t) {
    const QJsonObject before = QJsonDocument::fromJson(r.codesBefore.toUtf8()).object();
    const QJsonObject after = QJsonDocument::fromJson(r.codesAfter.toUtf8()).object();
    const auto code = [](const QJsonObject& o, const char* key) {
        return o.contains(QLatin1String(key)) ? QString::number(o[QLatin1String(key)].toInt())
                                              : Dash;
    };
    return QStringLiteral("%1 %2 → %3, %4 %5 → %6")
        .arg(t("nula", "zero"), code(before, "zero"), code(after, "zero"), t("konec", "end"),
             code(before, "end"), code(after, "end"));
}

QJsonObject objectOf(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

// What the cells a session adjusts hold, as the certificate names them.
QString cellText(const QString& cell, const Language& t) {
    static const std::pair<const char*, std::pair<const char*, const char*>> names[] = {
        {"EEMVCorr", {"zesílení termočlánkového vstupu", "thermocouple input gain"}},
        {"EEADCOffset", {"posun termočlánkového vstupu", "thermocouple input offset"}},
        {"EEPT100Const", {"konstanta vstupu PT100", "PT100 input constant"}},
        {"EEPT1KConst", {"konstanta vstupu PT1000", "PT1000 input constant"}},
        {"EEAOIZero", {"kód nuly proudového výstupu", "current output zero code"}},
        {"EEAOIEnd", {"kód konce proudového výstupu", "current output end code"}},
        {"EEAOUZero", {"kód nuly napěťového výstupu", "voltage output zero code"}},
        {"EEAOUEnd", {"kód konce napěťového výstupu", "voltage output end code"}},
    };
    for (const auto& [name, text] : names)
        if (cell == QLatin1String(name))
            return t(text.first, text.second) + QStringLiteral(" (%1)").arg(cell);
    return escaped(cell);
}

// The unit's configuration as the session read it: the input, its range, the output.
std::vector<std::pair<QString, QString>> configurationFacts(const QJsonObject& c,
                                                            const Language& t) {
    std::vector<std::pair<QString, QString>> lines;
    const auto named = [](const auto& table, const QJsonValue& v) {
        const char* control = v.isDouble() ? controlForCode(table, v.toInt()) : nullptr;
        return control        ? QString::fromLatin1(control).mid(5)
               : v.isDouble() ? QString::number(v.toInt())
                              : Dash;
    };
    if (c.contains(QStringLiteral("EEInputType")))
        lines.push_back(
            {t("Vstup", "Input"), named(InputTypeCodes, c[QStringLiteral("EEInputType")])});
    const bool ohms = c[QStringLiteral("EEInputType")].toInt(-1) == InputTypeOhmMeter;
    if (c.contains(QStringLiteral("EERangeBegin")) && c.contains(QStringLiteral("EERangeEnd")))
        lines.push_back(
            {t("Rozsah", "Range"), QStringLiteral("%1 … %2 %3")
                                       .arg(c[QStringLiteral("EERangeBegin")].toInt())
                                       .arg(c[QStringLiteral("EERangeEnd")].toInt())
                                       .arg(ohms ? QStringLiteral("Ω") : QStringLiteral("°C"))});
    if (c.contains(QStringLiteral("EEOutputType"))) {
        const bool volts = c[QStringLiteral("EEOutputType")].toInt() == 2;
        lines.push_back(
            {t("Výstup", "Output"), named(OutputTypeCodes, c[QStringLiteral("EEOutputType")])
                                            .replace(QStringLiteral("AO"), QString())
                                            .replace(QLatin1Char('_'), QStringLiteral("–")) +
                                        (volts ? QStringLiteral(" V") : QStringLiteral(" mA"))});
    }
    return lines;
}

QString adjustmentsTable(const QString& json, const Language& t) {
    const QJsonArray changes = arrayOf(json);
    if (changes.isEmpty())
        return QStringLiteral("<p>%1</p>").arg(t("Bez seřízení.", "No adjustment."));
    QString rows =
        row({t("Konstanta / kód", "Constant / code"), t("Před", "Before"), t("Po", "After")}, true);
    for (const QJsonValue& v : changes) {
        const QJsonObject a = v.toObject();
        rows += row({cellText(a[QStringLiteral("cell")].toString(), t),
                     QString::number(a[QStringLiteral("old")].toInt()),
                     QString::number(a[QStringLiteral("new")].toInt())});
    }
    return table(rows);
}

// A session's stage: the input's table and the output's, each under its own line.
QString sessionTables(const QString& json, const Language& t) {
    const QJsonObject stage = objectOf(json);
    QString html;
    if (stage.contains(QStringLiteral("input"))) {
        const QJsonObject input = stage[QStringLiteral("input")].toObject();
        const QString unit = input[QStringLiteral("unit")].toString();
        html += QStringLiteral("<p><b>%1</b> (%2 ± %3 %4)</p>")
                    .arg(t("Vstup", "Input"), t("tolerance", "tolerance"),
                         t.number(input[QStringLiteral("tolerance")].toDouble(), 3),
                         unit.toHtmlEscaped());
        html += inputTable(input[QStringLiteral("points")].toArray(), unit, t);
    }
    if (stage.contains(QStringLiteral("output"))) {
        const QJsonObject output = stage[QStringLiteral("output")].toObject();
        const OutputRange& range =
            outputRange(output[QStringLiteral("subject")].toString() == QLatin1String("voltage")
                            ? OutputKind::Voltage
                            : OutputKind::Current);
        html += QStringLiteral("<p><b>%1</b> (%2 ± %3 % %4 %5 %6)</p>")
                    .arg(subjectText(QLatin1String(range.name), t), t("tolerance", "tolerance"),
                         t.number(output[QStringLiteral("tolerance_percent")].toDouble(), 3),
                         t("z rozsahu", "of full scale"), t.number(range.fullScale, 0),
                         QLatin1String(range.unit));
        html +=
            outputTable(output[QStringLiteral("points")].toArray(), QLatin1String(range.unit), t);
    }
    return html;
}

QString html(const CalibrationRecord& r, const LabSettings& lab, const Language& t, bool withLogo) {
    const bool session = r.procedure == QLatin1String("calibration session");
    const bool output = r.procedure.startsWith(QLatin1String("output"));
    const bool voltage = r.subject == QLatin1String("voltage");
    const OutputRange& range = outputRange(voltage ? OutputKind::Voltage : OutputKind::Current);
    const QString unit = output ? QLatin1String(range.unit) : r.subject;

    QString issuer = QStringLiteral("<b>%1</b>").arg(escaped(lab.name));
    for (const QString& line : lab.address) issuer += QStringLiteral("<br/>") + escaped(line);
    QString doc =
        QStringLiteral("<table width=\"100%\" cellspacing=\"0\"><tr><td>%1</td>").arg(issuer);
    if (withLogo)
        doc += QStringLiteral("<td align=\"right\"><img src=\"logo\" height=\"60\"/></td>");
    doc += QStringLiteral("</tr></table>");
    doc += QStringLiteral(
               "<h1 align=\"center\" style=\"margin-top: 18px; margin-bottom: 0px;\">%1</h1>"
               "<p align=\"center\" style=\"font-size: 12pt;\">%2 %3</p>")
               .arg(t("Kalibrační list", "Calibration certificate"), t("č.", "No."),
                    certificateNumber(r).toHtmlEscaped());

    doc += heading(t("Kalibrovaný přístroj", "Unit calibrated"));
    std::vector<std::pair<QString, QString>> unitFacts{
        {t("Typ zařízení", "Device type"), escaped(r.deviceType)},
        {t("Firmware", "Firmware"), escaped(r.firmware)},
        {t("Identifikátor", "Identifier"), escaped(r.identifier)}};
    for (const auto& line : configurationFacts(objectOf(r.configuration), t))
        unitFacts.push_back(line);
    doc += facts(unitFacts);

    doc += heading(t("Kalibrace", "Calibration"));
    QString tolerance = Dash;
    if (output)
        tolerance = QStringLiteral("± %1 % %2 (%3 %4)")
                        .arg(t.number(r.tolerancePercent, 3), t("z rozsahu", "of full scale"),
                             t.number(range.fullScale, 0), QLatin1String(range.unit));
    else if (r.tolerancePercent > 0)
        tolerance = QStringLiteral("± %1 % %2")
                        .arg(t.number(r.tolerancePercent, 3),
                             t("z rozpětí rozsahu", "of the range's span"));
    else if (r.tolerance)
        tolerance = QStringLiteral("± %1 %2").arg(t.number(*r.tolerance, 3), escaped(r.subject));
    const QString reference = r.reference == QLatin1String("typed")
                                  ? t("hodnoty zadané technikem z etalonu",
                                      "values typed in by the technician from the standard")
                                  : escaped(r.reference);
    std::vector<std::pair<QString, QString>> calibration{
        {t("Postup", "Procedure"), procedureText(r.procedure, t)}};
    if (!session) {
        calibration.push_back({t("Veličina", "Quantity"), subjectText(r.subject, t)});
        calibration.push_back({t("Tolerance", "Tolerance"), tolerance});
    }
    calibration.push_back({t("Etalon (měřidlo)", "Reference (meter)"), reference});
    if (session)
        calibration.push_back({t("Teplota okolí", "Ambient temperature"),
                               r.ambient ? t.number(*r.ambient, 1) + QStringLiteral(" °C") : Dash});
    if (!r.codesBefore.isEmpty() || !r.codesAfter.isEmpty())
        calibration.push_back(
            {t("Kódy převodníku před → po", "Converter codes before → after"), codesText(r, t)});
    doc += facts(calibration);

    doc += heading(t("Použité etalony", "Instruments used"));
    doc += instrumentsTable(arrayOf(r.instruments), t);

    const auto points = [&](const QString& json) {
        if (session) return sessionTables(json, t);
        return output ? outputTable(arrayOf(json), unit, t) : inputTable(arrayOf(json), unit, t);
    };
    if (!r.asFound.isEmpty()) {
        doc += heading(t("Stav před seřízením (as found)", "As found"));
        doc += points(r.asFound);
    }
    if (session) {
        doc += heading(t("Seřízení", "Adjustments"));
        doc += adjustmentsTable(r.adjustments, t);
    }
    if (!r.asLeft.isEmpty()) {
        doc += heading(t("Stav po seřízení (as left)", "As left"));
        doc += points(r.asLeft);
    }

    doc += heading(t("Výsledek", "Verdict"));
    QString verdict;
    if (r.verdict == QLatin1String("pass"))
        verdict = t("VYHOVUJE", "PASS");
    else if (r.verdict == QLatin1String("fail"))
        verdict = t("NEVYHOVUJE", "FAIL");
    else
        verdict = t("NEDOKONČENO", "NOT FINISHED");
    doc += QStringLiteral("<p style=\"font-size: 14pt;\"><b>%1</b></p>").arg(verdict);
    if (r.verdict.isEmpty() && !r.problem.isEmpty())
        doc += QStringLiteral("<p>%1: %2</p>").arg(t("Důvod", "Reason"), escaped(r.problem));
    if (!r.operatorNote.trimmed().isEmpty())
        doc += QStringLiteral("<p>%1: %2</p>").arg(t("Poznámka", "Note"), escaped(r.operatorNote));

    doc += QStringLiteral("<p style=\"margin-top: 24px;\"></p>");
    doc += facts({{t("Kalibroval", "Calibrated by"), escaped(r.technician)},
                  {t("Datum", "Date"), t.date(r.time.date())},
                  {t("Místo", "Place"), escaped(lab.place)}});
    doc += QStringLiteral("<p style=\"margin-top: 36px;\">%1 ______________________________</p>")
               .arg(t("Podpis:", "Signature:"));
    return doc;
}

}  // namespace

QString writeCertificate(const CalibrationRecord& record, const LabSettings& lab, bool english,
                         const QString& pdfPath) {
    const Language t(english);
    QImage logo;
    if (!lab.logoPath.isEmpty() && !logo.load(lab.logoPath))
        return QStringLiteral("the lab's logo %1 cannot be read").arg(lab.logoPath);

    // QSaveFile writes beside the target and renames on commit: a failure leaves no half PDF.
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
    QPdfWriter writer(&file);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter);
    writer.setTitle(t("Kalibrační list", "Calibration certificate") + QLatin1Char(' ') +
                    certificateNumber(record));
    writer.setCreator(QStringLiteral("vl48 ") + record.programVersion);

    // Without shaping, "fi" and "ff" stay two letters: a digest copied out of the PDF must read
    // as it was written, and so must any word searched for in it.
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    QFont footFont(QStringLiteral("DejaVu Sans Mono"), 7);
    footFont.setStyleStrategy(QFont::PreferNoShaping);
    const QRectF page = writer.pageLayout().paintRectPixels(writer.resolution()).toRectF();
    const QRectF area(0, 0, page.width(), page.height());
    const qreal footHeight = 3.2 * QFontMetricsF(footFont, &writer).height();

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setPageSize(QSizeF(area.width(), area.height() - footHeight));
    if (!logo.isNull())
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo")), logo);
    doc.setHtml(html(record, lab, t, !logo.isNull()));

    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("%1: the PDF cannot be written").arg(pdfPath);
    const int pages = doc.pageCount();
    const qreal bodyHeight = doc.pageSize().height();
    const QString footer = t("Záznam", "Record") + QLatin1Char(' ') + record.id +
                           QStringLiteral(" · ") + certificateNumber(record) + QLatin1Char('\n') +
                           t("Otisk záznamu SHA-256: ", "Record digest SHA-256: ") +
                           recordDigest(record) + QLatin1Char('\n');
    for (int p = 0; p < pages; ++p) {
        if (p > 0) writer.newPage();
        painter.save();
        painter.translate(0, -p * bodyHeight);
        doc.drawContents(&painter, QRectF(0, p * bodyHeight, area.width(), bodyHeight));
        painter.restore();
        painter.setFont(footFont);
        painter.setPen(Qt::darkGray);
        const QRectF foot(0, area.height() - footHeight, area.width(), footHeight);
        painter.drawLine(foot.topLeft(), foot.topRight());
        painter.drawText(foot.adjusted(0, footHeight * 0.1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                         footer + t("Strana %1 z %2", "Page %1 of %2").arg(p + 1).arg(pages));
    }
    if (!painter.end()) return QStringLiteral("%1: the PDF cannot be written").arg(pdfPath);
    if (!file.commit()) return QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
    return {};
}

}  // namespace vl48

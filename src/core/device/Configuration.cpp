#include "core/device/Configuration.h"

#include <QLocale>
#include <algorithm>

#include "core/device/Cp1250.h"

namespace vl48 {

namespace {

using V = ConfigFileValues;

// A mask position that holds a value (the rest, the comma, are fixed).
bool holdsValue(QChar mask) { return mask == QLatin1Char('#') || mask == QLatin1Char('0'); }

// What a value position takes: a blank or a digit, and at '#' a sign as well. Windows-1250 has no
// digits but the ASCII ones, so a file's line reads here as the masked field reads it.
bool takes(QChar mask, QChar c) {
    if (c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) return true;
    return mask == QLatin1Char('#') && (c == QLatin1Char('+') || c == QLatin1Char('-'));
}

int valuePositions(const FieldDef& def) {
    const QString mask = QLatin1String(def.mask);
    return int(std::count_if(mask.begin(), mask.end(), holdsValue));
}

const QDate EarliestDateOfSetting(2000, 1, 1);

}  // namespace

// The bulk tab's lists offer fewer codes than the transmitter knows (no Ni 891, no filters 3 and
// 4): a file naming one of those is refused as the tab refuses a list left empty.
const std::array<FieldDef, ConfigFieldCount> ConfigFields = {{
    {ConfigField::InputType, "input type", FieldKind::List, EEInputType, 1, 19, &V::inputType},
    {ConfigField::OutputType, "output type", FieldKind::List, EEOutputType, 4, 3, &V::outputType},
    {ConfigField::SensorFault, "sensor fault", FieldKind::List, EESensorFault, 6, 3,
     &V::sensorFault},
    {ConfigField::RangeBegin, "range begin", FieldKind::Number, EERangeBegin, 9, 0, nullptr, "#000",
     0, &V::rangeBegin},
    {ConfigField::RangeEnd, "range end", FieldKind::Number, EERangeEnd, 10, 0, nullptr, "#000", 0,
     &V::rangeEnd},
    {ConfigField::Filter, "filter", FieldKind::List, EEFilter, 7, 3, &V::filter},
    {ConfigField::CompMode, "compensation", FieldKind::List, EECompMode, 3, 3, &V::compMode},
    {ConfigField::CompTemp, "terminal temperature", FieldKind::Number, EECompTemp, 8, 0, nullptr,
     "#00", 0, &V::compTemp},
    {ConfigField::OutputLimit, "output limit", FieldKind::List, EEOutputLimit, 5, 2,
     &V::outputLimit},
    {ConfigField::Wiring, "wiring", FieldKind::List, EEWiring, 2, 2, &V::wiring},
    {ConfigField::Date, "date of setting", FieldKind::Date, EEDayMonth, 11},
    {ConfigField::Note, "note", FieldKind::Note, EENoteLength, 13},
    {ConfigField::LineRes, "lead resistance", FieldKind::Number, EELineRes, 14, 0, nullptr, "#0,00",
     2, &V::lineRes},
}};

int FieldDef::minimum() const {
    int m = 1;
    for (int i = 1; i < valuePositions(*this); ++i) m *= 10;
    return -(m - 1);
}

int FieldDef::maximum() const {
    int m = 1;
    for (int i = 0; i < valuePositions(*this); ++i) m *= 10;
    return m - 1;
}

const FieldDef& fieldDef(ConfigField field) { return ConfigFields[size_t(field)]; }

const char* fieldName(ConfigField field) { return fieldDef(field).name; }

QString fieldReading(const FieldDef& def, const QString& line) {
    const QString mask = QLatin1String(def.mask);
    const int n = int(mask.size());
    const auto blank = [&mask](int i) { return holdsValue(mask[i]) ? QChar(' ') : mask[i]; };
    QString s;
    int i = 0;
    for (int k = 0; k < line.size() && i < n; ++k) {
        const QChar c = line[k];
        if (!holdsValue(mask[i])) {
            // A fixed position fills itself; the character is used up only if it is that one.
            s += mask[i++];
            if (c != s.back()) --k;
            continue;
        }
        if (takes(mask[i], c)) {
            s += c;
            ++i;
            continue;
        }
        // A fixed character further on: the positions up to it stay blank. A lone character
        // that repeats the fixed one just passed is no jump.
        int j = i;
        while (j < n && (holdsValue(mask[j]) || mask[j] != c)) ++j;
        if (j < n) {
            if (line.size() != 1 || i == 0 || holdsValue(mask[i - 1]) || mask[i - 1] != c)
                while (i <= j) s += blank(i++);
            continue;
        }
        // Otherwise the next position that takes it, or nowhere.
        j = i;
        while (j < n && !(holdsValue(mask[j]) && takes(mask[j], c))) ++j;
        if (j < n) {
            while (i < j) s += blank(i++);
            s += c;
            ++i;
        }
    }
    while (i < n) s += blank(i++);
    return s.replace(QLatin1Char(' '), QLatin1Char('0'));
}

int fieldNumber(const FieldDef& def, const QString& text) {
    bool negative = false;
    qint64 n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            negative = c == QLatin1Char('-');
            continue;
        }
        // The digit shown is the digit meant, in whatever script it was typed.
        const int digit = c.digitValue();
        if (digit >= 0)
            n = std::min<qint64>(n * 10 + digit, def.maximum());
        else if (c != QLatin1Char(','))
            n = std::min<qint64>(n * 10, def.maximum());
    }
    return std::clamp(int(negative ? -n : n), def.minimum(), def.maximum());
}

QString fieldText(const FieldDef& def, int number) {
    number = std::clamp(number, def.minimum(), def.maximum());
    const int positions = valuePositions(def);
    const QString digits = QString::number(std::abs(number))
                               .rightJustified(number < 0 ? positions - 1 : positions, '0');
    const QString values = number < 0 ? QLatin1Char('-') + digits : digits;
    QString text;
    int v = 0;
    for (const QChar m : QLatin1String(def.mask)) text += holdsValue(m) ? values[v++] : m;
    return text;
}

QString fieldTextOfWord(const FieldDef& def, uint16_t word) {
    return fieldText(def, cellValue(def.cell, word));
}

QString valueText(const FieldDef& def, const ConfigFileValues& values) {
    switch (def.kind) {
        case FieldKind::List:
            return QString::number(values.*def.code);
        case FieldKind::Number:
            return values.*def.text;
        case FieldKind::Date:
            return configDateText(values.date);
        case FieldKind::Note:
            break;
    }
    return values.note;
}

namespace {

// The short date format of the regional settings with a four-digit year: a two-digit year would
// read 16 back as 1916.
QString regionalDateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

}  // namespace

QString configDateText(const QDate& date) { return date.toString(QStringLiteral("d.M.yyyy")); }

QDate configDateFromText(const QString& text) {
    for (const char* format : {"d.M.yyyy", "yyyy-MM-dd"})
        if (const QDate date = QDate::fromString(text, QLatin1String(format)); date.isValid())
            return date;
    return QLocale().toDate(text, regionalDateFormat());
}

QByteArray noteBytesOf(const ConfigFileValues& values) {
    return toCp1250Keeping(values.note, values.noteBytes).left(NoteMaxLength);
}

std::optional<UploadRefusal> uploadRefusal(const ConfigFileValues& values) {
    std::vector<const FieldDef*> lists;
    for (const FieldDef& def : ConfigFields)
        if (def.kind == FieldKind::List) lists.push_back(&def);
    std::sort(lists.begin(), lists.end(),
              [](const FieldDef* a, const FieldDef* b) { return a->step < b->step; });
    for (const FieldDef* def : lists) {
        const int code = values.*def->code;
        if (code < 0 || code >= def->listLength)
            return UploadRefusal{UploadRefusal::Reason::NoListEntry, def->field};
    }
    if (!values.date.isValid() || values.date < EarliestDateOfSetting)
        return UploadRefusal{UploadRefusal::Reason::EarlyDate, ConfigField::Date};
    return std::nullopt;
}

}  // namespace vl48

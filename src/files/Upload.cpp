#include "Upload.h"

#include <algorithm>

#include "config/ConfigReading.h"
#include "config/Cp1250.h"
#include "config/NumberTexts.h"
#include "link/Link.h"

namespace vl48 {

namespace {

// The basic tab can show no date of setting before this.
const QDate EarliestDateOfSetting(2000, 1, 1);

struct FieldInfo {
    ConfigField field;
    const char* name;
};
constexpr FieldInfo FieldNames[] = {
    {ConfigField::InputType, "input type"},     {ConfigField::OutputType, "output type"},
    {ConfigField::SensorFault, "sensor fault"}, {ConfigField::RangeBegin, "range begin"},
    {ConfigField::RangeEnd, "range end"},       {ConfigField::Filter, "filter"},
    {ConfigField::CompMode, "compensation"},    {ConfigField::CompTemp, "terminal temperature"},
    {ConfigField::OutputLimit, "output limit"}, {ConfigField::Wiring, "wiring"},
    {ConfigField::Date, "date of setting"},     {ConfigField::Note, "note"},
    {ConfigField::LineRes, "lead resistance"},
};

// The seven lists in the order the upload writes them, which is also the order of refusal.
struct ListField {
    ConfigField field;
    Cell cell;
    int ConfigFileValues::*code;
};
constexpr ListField ListFields[] = {
    {ConfigField::InputType, EEInputType, &ConfigFileValues::inputType},
    {ConfigField::Wiring, EEWiring, &ConfigFileValues::wiring},
    {ConfigField::CompMode, EECompMode, &ConfigFileValues::compMode},
    {ConfigField::OutputType, EEOutputType, &ConfigFileValues::outputType},
    {ConfigField::OutputLimit, EEOutputLimit, &ConfigFileValues::outputLimit},
    {ConfigField::SensorFault, EESensorFault, &ConfigFileValues::sensorFault},
    {ConfigField::Filter, EEFilter, &ConfigFileValues::filter},
};

// The three whole-number fields, in upload order, with how a cell's number is written back as
// the field's text and the width of that field.
struct NumberField {
    ConfigField field;
    Cell cell;
    QString ConfigFileValues::*text;
    QString (*textOf)(int);
    int width;
};
const NumberField NumberFields[] = {
    {ConfigField::CompTemp, EECompTemp, &ConfigFileValues::compTemp, compTempText, 3},
    {ConfigField::RangeBegin, EERangeBegin, &ConfigFileValues::rangeBegin, rangeText, 4},
    {ConfigField::RangeEnd, EERangeEnd, &ConfigFileValues::rangeEnd, rangeText, 4},
};
constexpr int LineResWidth = 5;

// A field text as the file writes it: blanks are zeros, and a text shorter than its field (a
// zero is one digit short) fills the positions after it, as the masked field does.
QString fileText(QString text, int width) {
    return text.replace(QLatin1Char(' '), QLatin1Char('0')).leftJustified(width, QLatin1Char('0'));
}

QString dateText(const QDate& date, uint16_t dayMonth, uint16_t year) {
    if (date.isValid()) return configDateText(date);
    return QStringLiteral("%1.%2.%3").arg(dayOf(dayMonth)).arg(monthOf(dayMonth)).arg(year);
}

}  // namespace

const char* fieldName(ConfigField field) {
    for (const FieldInfo& info : FieldNames)
        if (info.field == field) return info.name;
    return "";
}

std::optional<UploadRefusal> uploadRefusal(const ConfigFileValues& values) {
    for (const ListField& list : ListFields)
        if (values.*list.code < 0)
            return UploadRefusal{UploadRefusal::Reason::NoListEntry, list.field};
    if (!values.date.isValid() || values.date < EarliestDateOfSetting)
        return UploadRefusal{UploadRefusal::Reason::EarlyDate, ConfigField::Date};
    return std::nullopt;
}

QByteArray noteBytesOf(const ConfigFileValues& values) {
    return toCp1250Keeping(values.note, values.noteBytes).left(NoteMaxLength);
}

std::vector<UploadStep> uploadSteps(const ConfigFileValues& values) {
    std::vector<UploadStep> steps;
    const auto add = [&steps](ConfigField field, Cell cell, int value) {
        steps.push_back({int(steps.size()) + 1, field, cell, cellWord(value), {}});
    };
    // Steps 1-7: the codes.
    for (const ListField& list : ListFields) add(list.field, list.cell, values.*list.code);
    // Steps 8-10: the whole numbers of the fields, blanks read as zeros.
    for (const NumberField& number : NumberFields)
        add(number.field, number.cell, maskedInteger(values.*number.text));
    // Steps 11-12: the date of setting.
    add(ConfigField::Date, EEDayMonth, encodeDayMonth(values.date.day(), values.date.month()));
    add(ConfigField::Date, EEYear, values.date.year());
    // Step 13: the note, its length and then its characters.
    steps.push_back(
        {int(steps.size()) + 1, ConfigField::Note, EENoteLength, 0, noteBytesOf(values)});
    // Step 14: the lead resistance, in hundredths of an ohm.
    add(ConfigField::LineRes, EELineRes, maskedHundredths(values.lineRes));
    return steps;
}

int runUpload(Link& link, const std::vector<UploadStep>& steps,
              const std::function<void(const UploadStep&)>& done) {
    for (const UploadStep& step : steps) {
        const bool written = step.field == ConfigField::Note
                                 ? link.SendText(step.note)
                                 : writeCell(link, step.cell, step.word);
        if (!written) return step.number;
        if (done) done(step);
    }
    return 0;
}

QString Comparison::cellNames() const {
    std::vector<Cell> cells;
    for (const Difference& d : differences)
        cells.insert(cells.end(), d.cells.begin(), d.cells.end());
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    QStringList names;
    for (Cell cell : cells) names << QString::fromLatin1(cellInfo(cell).name);
    return names.join(QLatin1Char(' '));
}

Comparison compareWithTransmitter(Link& link, const ConfigFileValues& values) {
    const std::vector<UploadStep> steps = uploadSteps(values);
    std::vector<Cell> cells;
    for (const UploadStep& step : steps)
        if (step.field != ConfigField::Note) cells.push_back(step.cell);
    const TransmitterConfig read = readCells(link, cells, true);

    Comparison result;
    if (read.words.size() != cells.size() || read.note.outcome == NoteRead::PortFailed)
        return result;
    result.complete = true;
    const auto differs = [&](const UploadStep& step) { return *read.word(step.cell) != step.word; };

    for (const ListField& list : ListFields) {
        const uint16_t found = *read.word(list.cell);
        if (found == cellWord(values.*list.code)) continue;
        result.differences.push_back({list.field,
                                      {list.cell},
                                      QString::number(values.*list.code),
                                      QString::number(found),
                                      int(found)});
    }
    for (const NumberField& number : NumberFields) {
        const int found = cellValue(number.cell, *read.word(number.cell));
        if (cellWord(found) == cellWord(maskedInteger(values.*number.text))) continue;
        result.differences.push_back({number.field,
                                      {number.cell},
                                      fileText(values.*number.text, number.width),
                                      fileText(number.textOf(found), number.width),
                                      std::nullopt});
    }
    // The date: either cell may differ.
    Difference date{ConfigField::Date, {}, configDateText(values.date), {}, std::nullopt};
    for (const UploadStep& step : steps)
        if (step.field == ConfigField::Date && differs(step)) date.cells.push_back(step.cell);
    if (!date.cells.empty()) {
        const uint16_t dayMonth = *read.word(EEDayMonth), year = *read.word(EEYear);
        date.found = dateText(QDate(year, monthOf(dayMonth), dayOf(dayMonth)), dayMonth, year);
        result.differences.push_back(date);
    }
    // The note: a length no note can have reads as a note that differs from any.
    const QByteArray wanted = noteBytesOf(values);
    const bool noNote = read.note.outcome == NoteRead::NoNote;
    if (noNote || read.note.bytes != wanted) {
        Difference note{
            ConfigField::Note, {}, values.note, fromCp1250(read.note.bytes), std::nullopt};
        if (noNote || read.note.bytes.size() != wanted.size()) note.cells.push_back(EENoteLength);
        note.cells.push_back(EENoteText);
        result.differences.push_back(note);
    }
    const int lineRes = cellValue(EELineRes, *read.word(EELineRes));
    if (cellWord(lineRes) != cellWord(maskedHundredths(values.lineRes)))
        result.differences.push_back({ConfigField::LineRes,
                                      {EELineRes},
                                      fileText(values.lineRes, LineResWidth),
                                      fileText(lineResText(lineRes), LineResWidth),
                                      std::nullopt});
    // In the order of the file's lines, as the marks and the command line list them.
    std::stable_sort(result.differences.begin(), result.differences.end(),
                     [](const Difference& a, const Difference& b) { return a.field < b.field; });
    return result;
}

}  // namespace vl48

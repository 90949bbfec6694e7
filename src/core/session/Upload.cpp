#include "core/session/Upload.h"

#include <algorithm>

#include "core/device/Cp1250.h"
#include "core/link/Link.h"
#include "core/session/Cells.h"
#include "core/session/ConfigReading.h"

namespace vl48 {

namespace {

// The fields in the order the upload writes them.
std::vector<const FieldDef*> inUploadOrder() {
    std::vector<const FieldDef*> fields;
    for (const FieldDef& def : ConfigFields) fields.push_back(&def);
    std::sort(fields.begin(), fields.end(),
              [](const FieldDef* a, const FieldDef* b) { return a->step < b->step; });
    return fields;
}

// The word a list or number field writes.
uint16_t wordOf(const FieldDef& def, const ConfigFileValues& values) {
    return cellWord(def.kind == FieldKind::List ? values.*def.code
                                                : fieldNumber(def, values.*def.text));
}

QString dateText(uint16_t dayMonth, uint16_t year) {
    const QDate date(year, monthOf(dayMonth), dayOf(dayMonth));
    if (date.isValid()) return configDateText(date);
    return QStringLiteral("%1.%2.%3").arg(dayOf(dayMonth)).arg(monthOf(dayMonth)).arg(year);
}

}  // namespace

std::vector<UploadStep> uploadSteps(const ConfigFileValues& values) {
    std::vector<UploadStep> steps;
    const auto add = [&steps](ConfigField field, Cell cell, uint16_t word) {
        steps.push_back({int(steps.size()) + 1, field, cell, word, {}});
    };
    for (const FieldDef* def : inUploadOrder()) {
        switch (def->kind) {
            case FieldKind::List:
            case FieldKind::Number:
                add(def->field, def->cell, wordOf(*def, values));
                break;
            case FieldKind::Date:
                add(def->field, EEDayMonth, encodeDayMonth(values.date.day(), values.date.month()));
                add(def->field, EEYear, cellWord(values.date.year()));
                break;
            case FieldKind::Note:
                // Its length and then its characters.
                steps.push_back(
                    {int(steps.size()) + 1, def->field, EENoteLength, 0, noteBytesOf(values)});
                break;
        }
    }
    return steps;
}

int runUpload(Link& link, const std::vector<UploadStep>& steps,
              const std::function<void(const UploadStep&)>& done) {
    for (const UploadStep& step : steps) {
        const bool written = step.field == ConfigField::Note
                                 ? writeNote(link, step.note)
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
    // A value not read is no value: neither a match nor a difference can be told.
    if (read.words.size() != cells.size() || !read.noteKnown()) return result;
    result.complete = true;
    result.found = values;
    const auto word = [&read](Cell cell) { return *read.word(cell); };

    for (const FieldDef& def : ConfigFields) {
        switch (def.kind) {
            case FieldKind::List: {
                const uint16_t found = word(def.cell);
                if (found != wordOf(def, values))
                    result.differences.push_back({def.field,
                                                  {def.cell},
                                                  QString::number(values.*def.code),
                                                  QString::number(found),
                                                  int(found)});
                result.found.*def.code = found;
                break;
            }
            case FieldKind::Number:
                if (word(def.cell) != wordOf(def, values))
                    result.differences.push_back({def.field,
                                                  {def.cell},
                                                  fieldReading(def, values.*def.text),
                                                  fieldTextOfWord(def, word(def.cell)),
                                                  std::nullopt});
                result.found.*def.text = fieldTextOfWord(def, word(def.cell));
                break;
            case FieldKind::Date: {
                // Either cell may differ.
                Difference date{def.field, {}, configDateText(values.date), {}, std::nullopt};
                for (const UploadStep& step : steps)
                    if (step.field == def.field && word(step.cell) != step.word)
                        date.cells.push_back(step.cell);
                if (date.cells.empty()) break;
                date.found = dateText(word(EEDayMonth), word(EEYear));
                result.found.date = configDateFromText(date.found);
                result.differences.push_back(date);
                break;
            }
            case FieldKind::Note: {
                // A length no note can have reads as a note that differs from any.
                const QByteArray wanted = noteBytesOf(values);
                const bool noNote = read.note.outcome == NoteRead::NoNote;
                if (!noNote && read.note.bytes == wanted) break;
                Difference note{
                    def.field, {}, values.note, fromCp1250(read.note.bytes), std::nullopt};
                result.found.note = note.found;
                result.found.noteBytes = read.note.bytes;
                if (noNote || read.note.bytes.size() != wanted.size())
                    note.cells.push_back(EENoteLength);
                note.cells.push_back(EENoteText);
                result.differences.push_back(note);
                break;
            }
        }
    }
    return result;
}

}  // namespace vl48

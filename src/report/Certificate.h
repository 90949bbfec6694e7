// The calibration certificate of one calibration record: an A4 PDF in Czech or English, issued
// by the lab that the lab file describes, with the record's id and digest at the foot of every
// page so that a printed copy can be traced back to the database and checked against it.
#pragma once

#include <QString>
#include <QStringList>

#include "core/records/RecordStore.h"

namespace vl48 {

// The issuing lab, from an INI file: name, address (lines separated by "|"), place (where the
// certificate is issued) and logo (an image file; relative to the INI file's folder).
struct LabSettings {
    QString name;
    QStringList address;
    QString place;
    QString logoPath;

    // ~/.config/vl48/lab.ini, or wherever the system keeps the user's configuration.
    static QString defaultPath();
    // A file that does not exist is an empty lab (the certificate shows "—"); `error` is set only
    // for a file that exists and cannot be read.
    static LabSettings load(const QString& iniPath, QString& error);
};

// "VL48-20261209-1a2b3c4d": the bench's date of the record and the first 8 hex digits of the
// SHA-256 of its id; the same record always gets the same number.
QString certificateNumber(const CalibrationRecord& record);

// SHA-256 (hex) over the canonical text of every field of the record.
QString recordDigest(const CalibrationRecord& record);
// The canonical text the digest is taken over: one "name=value" line per field, in a fixed
// order, the time in UTC, newlines and backslashes in values escaped.
QString canonicalText(const CalibrationRecord& record);

// Writes the certificate to `pdfPath`: empty on success, else why not. The file appears whole
// or not at all (it is written beside and renamed).
QString writeCertificate(const CalibrationRecord& record, const LabSettings& lab, bool english,
                         const QString& pdfPath);

}  // namespace vl48

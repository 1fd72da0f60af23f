// The wizard as JSON, for `dump` (document to JSON) and `build` (JSON to
// document). Record keys are the record field names; lists are "images",
// "markers" and "logo".
#pragma once

#include "document/WizardDocument.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace stepvane::cli {

// The wizard as dump prints it: the bytes QJsonDocument::toJson writes,
// indented, for the wizard's JSON object.
QByteArray wizardJsonText(const WizardDocument &doc, int model);

struct JsonBuildResult {
    bool ok = false;
    QString error;
    int model = 0;
    // Attached files named in the JSON that cannot be read, each as "PATH in
    // FIELD: why" (a fifo, a folder, missing, above 1 GiB). The document
    // still names them; whether to write without them is the caller's call.
    QStringList unreadable;
};

// Fills doc from JSON. Missing fields take the record factory's defaults for
// the wizard's model (distance unit Meter); relative attachment paths are
// resolved against baseDir; a missing size is the file's size and a missing
// picture width or height is read from the picture. Sizes above the format's
// 1 GiB cap are refused.
JsonBuildResult wizardFromJson(const QJsonObject &json, const QString &baseDir,
                               WizardDocument &doc);

} // namespace stepvane::cli

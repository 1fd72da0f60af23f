// How long a wizard takes to go to the instrument. The protocol paces the
// content of a file (fixed pieces with a pause after each), so the time
// follows from the file's size; the pauses are counted, the wire time of a
// local network is not.
#pragma once

#include "document/WizardDocument.h"

#include <QString>

namespace stepvane {

struct SendEstimate {
    qint64 bytes = -1; // the size of the file as sent; -1 unknown
    qint64 milliseconds = 0;
    bool known() const { return bytes >= 0; }
};

// The paced time of sending a file of that many bytes.
qint64 pacedSendMilliseconds(qint64 fileBytes);
// The bytes the protocol sends per second at its pace.
qint64 pacedBytesPerSecond();
// What an attached file of that size takes inside the wizard file (base64).
qint64 embeddedBytes(qint64 fileBytes);

// The estimate for a file as it lies on disk (what stepvane-cli check is given).
SendEstimate sendEstimateOfFile(const QString &path);
// The estimate for a wizard as the writer would save it now: the writer's
// text without the embedded files, plus those files as base64.
SendEstimate sendEstimateOfWizard(const WizardDocument &doc, int model, bool testingUnit);

// "about 27 s", "about 2 min 5 s", "under a second".
QString durationText(qint64 milliseconds);
// "Sending takes about 27 s (2.6 MB at about 100 KB/s)." or, unknown, empty.
QString sendEstimateText(const SendEstimate &estimate);
// "2.6 MB", "120 KB", "300 bytes".
QString byteSizeText(qint64 bytes);

} // namespace stepvane

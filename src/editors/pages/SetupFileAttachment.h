// Preparing an instrument setup file for a load step: the file is
// classified (the instrument's own format or an XML setup), summarised with
// the reader of its format, and given its own working copy, which the wizard
// writer embeds. An XML setup attached from the computer loses its
// calibration data in the working copy; the user's file is never changed.
#pragma once

#include "document/TaskRecords.h"

#include <QString>

#include <optional>

namespace stepvane {

class MessageSink;

struct SetupAttachment {
    int format = 0;      // 1 the instrument's setup format, 2 an XML setup file
    QString info;        // the summary the step stores as Setup_Info
    QString workingCopy; // path of the working copy
    Size size = 0;       // bytes of the working copy
};

// nullopt, with a message to the sink, when the file is of no known setup
// format ("IDS_UNKWON_SETUP_FORMAT") or its working copy cannot be made.
std::optional<SetupAttachment> attachSetupFile(MessageSink &sink, const QString &path,
                                               bool stripCalibration);

} // namespace stepvane

#pragma once
// Captions and messages of the record toggle, in Italian, English and Turkish.

#include "core/language.h"

namespace kelvo6::record {

extern const core::Text3 kRecord;
extern const core::Text3 kStopRecording;
extern const core::Text3 kRecordingStatus;  // "%1" elapsed, "%2" size, "%3" file name
extern const core::Text3 kRecordingFailed;  // "%1" reason, "%2" file
extern const core::Text3 kFolderFailed;     // "%1" folder, "%2" reason
extern const core::Text3 kRecordingSaved;   // "%1" file
extern const core::Text3 kNewConnection;    // the recording went on in a new file

}  // namespace kelvo6::record

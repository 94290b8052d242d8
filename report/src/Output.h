#pragma once

#include "Document.h"
#include "ReportOutput.h"

namespace report {

// Makes sure the Qt application object the output needs exists.
void prepareApplication(const ReportOutput& output);

// Sends every sheet of the document to the output; throws ERvProjectError.
void produce(const Document& document, const ReportOutput& output);

}  // namespace report

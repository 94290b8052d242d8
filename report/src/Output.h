#pragma once

#include "Document.h"
#include "ReportOutput.h"

namespace report {

// Throws ERvProjectError unless the host created the Qt application the output needs.
void requireApplication(const ReportOutput& output);

// Sends every sheet of the document to the output; throws ERvProjectError.
void produce(const Document& document, const ReportOutput& output);

}  // namespace report

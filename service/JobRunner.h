#pragma once

// Runs one print service job: the request's files in a private temporary folder, removed on
// every path, then the DAMDFE as PDF or its parameters as JSON.

#include <QByteArray>

#include <string>
#include <variant>

#include "JobInput.h"
#include "PrintJob.h"

// 200 with the PDF or the parameters; 422 with the print job's reason; 500 when the service
// itself cannot work (temporary folder, templates).
TAnswer RunJob(const TJobInput& input, const std::string& defaultLogoPath);

// The one step that chooses where the report goes: the PDF bytes, or the print job's result text.
std::variant<QByteArray, std::string> PrintToPdf(const TPrintRequest& request);

#pragma once

// From an HTTP request to a print job's input, or to the error answer that refuses it.

#include <QByteArray>
#include <QUrlQuery>

#include <variant>

#include "JobInput.h"

struct TRequestParts {
  QByteArray contentType;  // as sent
  QByteArray body;
  QUrlQuery query;
};

// 400 for a malformed request, 413 for a body over limitBytes, 415 for another media type.
std::variant<TJobInput, TAnswer> ReadJobRequest(TJobInput::Kind kind, const TRequestParts& request, qint64 limitBytes);

#pragma once

// What one HTTP request asks the print service for, and what it answers.

#include <QByteArray>
#include <QString>

#include <string>

struct TJobInput {
  enum class Kind { Pdf, Parameters, Verification };
  Kind kind = Kind::Pdf;
  QByteArray xml;
  QByteArray logo;  // empty: the logo given at start, if any
  int typeIndex = 0;
  int format = 0;  // 0 portrait, 1 landscape
  std::string protocol;
};

struct TAnswer {
  int status = 200;
  QByteArray contentType;
  QByteArray body;
  QByteArray verification = {};  // the header X-DAMDFE-Verificacao of a printed sheet
};

// {"erro": reason} with the status.
TAnswer ErrorAnswer(int status, const QString& reason);

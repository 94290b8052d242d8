#pragma once
// The report project: one template file, named text parameters, where the
// report goes, and the run of a report by name.

#include <QString>

#include "ReportOutput.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace report {
struct Template;
}

// Every failure of the engine; the message is Portuguese and names the file.
class ERvProjectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRvProject {
 public:
  TRvProject();
  ~TRvProject();
  TRvProject(const TRvProject&) = delete;
  TRvProject& operator=(const TRvProject&) = delete;

  void SetProjectFile(const QString& path);
  QString ProjectFile() const;

  // Name and value are UTF-8; a later value replaces an earlier one.
  void SetParam(const std::string& name, const std::string& value);
  // The value last set, or empty when nobody set the name.
  std::string GetParam(const std::string& name) const;

  // Until set, the print preview.
  void SetOutput(ReportOutput output);
  const ReportOutput& Output() const;

  // Opens the template if not yet open, fills the report and produces it;
  // returns when the output is over. Throws ERvProjectError, also when the
  // host has not created the Qt application the output needs.
  void ExecuteReport(const std::string& reportName);

  // How many sheets the last run produced; 0 before the first.
  int SheetCount() const { return sheetCount_; }

  // Releases the open template; the parameters stay.
  void Close();

 private:
  QString projectFile_;
  std::map<QString, QString> params_;
  ReportOutput output_ = rv::PrintPreview{};
  int sheetCount_ = 0;
  std::shared_ptr<const report::Template> template_;
};

#include "RvProject.h"

#include "Document.h"
#include "Output.h"
#include "TemplateFonts.h"
#include "TemplateReader.h"

TRvProject::TRvProject() = default;
TRvProject::~TRvProject() = default;

void TRvProject::SetProjectFile(const QString& path) {
  if (path != projectFile_) template_.reset();
  projectFile_ = path;
}

QString TRvProject::ProjectFile() const { return projectFile_; }

void TRvProject::SetParam(const std::string& name, const std::string& value) {
  params_[QString::fromStdString(name)] = QString::fromStdString(value);
}

std::string TRvProject::GetParam(const std::string& name) const {
  const auto found = params_.find(QString::fromStdString(name));
  return found == params_.end() ? std::string() : found->second.toStdString();
}

void TRvProject::SetOutput(ReportOutput output) { output_ = std::move(output); }

const ReportOutput& TRvProject::Output() const { return output_; }

void TRvProject::ExecuteReport(const std::string& reportName) {
  if (projectFile_.isEmpty()) throw ERvProjectError("Nenhum modelo de relatório foi indicado ao projeto.");
  if (!template_) template_ = report::openTemplate(projectFile_);

  const QString name = QString::fromStdString(reportName);
  const report::Report* found = template_->find(name);
  if (!found) {
    throw ERvProjectError(QStringLiteral("O modelo de relatório \"%1\" não contém o relatório \"%2\".")
                              .arg(projectFile_, name)
                              .toStdString());
  }
  report::requireApplication(output_);
  report::registerFontsBeside(projectFile_);
  const report::Document document(*found, params_, projectFile_);
  report::produce(document, output_);
  sheetCount_ = document.sheetCount();
  // Tests run with this set: a fixed box too small for its text is a fault of the template.
  if (qEnvironmentVariableIsSet("DAMDFE_LEIAUTE_ESTRITO") && !document.overflows().isEmpty()) {
    throw ERvProjectError(QStringLiteral("Texto cortado na sua caixa: \"%1\".")
                              .arg(document.overflows().join(QStringLiteral("\", \"")))
                              .toStdString());
  }
}

void TRvProject::Close() { template_.reset(); }
